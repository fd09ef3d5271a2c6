#include "server/demodata.h"

#include "server/dbpool.h"

namespace tarsel::server {

void SeedHistoryDemo(Db &db)
{
    (void)db;
}

}  // namespace tarsel::server
