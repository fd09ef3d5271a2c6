#pragma once
// (See methodgroup.h for how the method groups stack.)

#include "server/signinmethods.h"

namespace tarsel::server {

class CatalogueMethods : public SignInMethods {
public:
    explicit CatalogueMethods(Db &db) : SignInMethods(db) {}
};

}  // namespace tarsel::server
