#pragma once
// (See methodgroup.h for how the method groups stack.)

#include "server/cataloguemethods.h"

namespace tarsel::server {

class PromoMethods : public CatalogueMethods {
public:
    explicit PromoMethods(Db &db) : CatalogueMethods(db) {}
};

}  // namespace tarsel::server
