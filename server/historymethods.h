#pragma once
// (See methodgroup.h for how the method groups stack.)

#include "server/promomethods.h"

namespace tarsel::server {

class HistoryMethods : public PromoMethods {
public:
    explicit HistoryMethods(Db &db) : PromoMethods(db) {}
};

}  // namespace tarsel::server
