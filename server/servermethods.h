#pragma once
// The server's methods, on one worker's database connection.

#include "generated/servermethods_gen.h"

namespace tarsel::server {

class Db;

// The client version this server expects unless a user record says otherwise.
inline constexpr int kExpectedClientVersion = 8;

class ServerMethods : public TServerMethods1 {
public:
    explicit ServerMethods(Db &db) : db_(db) {}

    std::unique_ptr<TSonucBilgisi> BuyukGetir(const QString &idsi) override;

private:
    Db &db_;
};

}  // namespace tarsel::server
