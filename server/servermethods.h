#pragma once
// The server's methods, on one worker's database connection: every group
// stacked (see methodgroup.h).

#include "server/historymethods.h"

namespace tarsel::server {

class ServerMethods final : public HistoryMethods {
public:
    explicit ServerMethods(Db &db) : HistoryMethods(db) {}
};

}  // namespace tarsel::server
