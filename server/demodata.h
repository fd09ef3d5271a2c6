#pragma once
// Demo data: salespeople, customer accounts and users of every type, with the
// machine that runs the set-up registered, so that a fresh installation can
// be signed into at once.

#include <QString>

namespace tarsel::server {

class Db;

struct DemoUser {
    const char *name;
    const char *password;
    int type;
    const char *demoMachine;  // identifier registered for this user alone
};

// The demo users (printed in the README). The first one is registered to the
// machine that runs the set-up.
extern const DemoUser kDemoUsers[4];

// Seeds the demo data when the database has no users yet; returns false when
// it was already there. `machineId` is this machine's computer identifier.
bool SeedDemoData(Db &db, const QString &machineId);

// The demo data of each method group (called by SeedDemoData, in this order,
// inside its transaction): democatalogue.cpp, demopromo.cpp, demohistory.cpp.
void SeedCatalogueDemo(Db &db);
void SeedPromoDemo(Db &db);
void SeedHistoryDemo(Db &db);

// Registers a machine to a user (by user name); creates the machine row when
// missing. Throws MethodError when the user does not exist.
void RegisterMachine(Db &db, const QString &machineId, const QString &userName);

}  // namespace tarsel::server
