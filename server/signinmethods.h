#pragma once
// Sign-in: the user registered for a machine; the account card; requests.

#include "server/methodgroup.h"

namespace tarsel::server {

// The client version this server expects unless a user record says otherwise.
inline constexpr int kExpectedClientVersion = 8;

class SignInMethods : public MethodGroup {
public:
    explicit SignInMethods(Db &db) : MethodGroup(db) {}

    std::unique_ptr<TSonucBilgisi> BuyukGetir(const QString &idsi) override;
};

}  // namespace tarsel::server
