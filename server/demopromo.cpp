#include "server/demodata.h"

#include "server/dbpool.h"

namespace tarsel::server {

void SeedPromoDemo(Db &db)
{
    (void)db;
}

}  // namespace tarsel::server
