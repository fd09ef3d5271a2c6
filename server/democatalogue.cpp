#include "server/demodata.h"

#include "server/dbpool.h"

namespace tarsel::server {

void SeedCatalogueDemo(Db &db)
{
    (void)db;
}

}  // namespace tarsel::server
