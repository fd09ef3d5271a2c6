#include "server/historymethods.h"

#include "server/dbpool.h"

namespace tarsel::server {

}  // namespace tarsel::server
