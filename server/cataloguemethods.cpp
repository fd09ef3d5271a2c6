#include "server/cataloguemethods.h"

#include "server/dbpool.h"

namespace tarsel::server {

}  // namespace tarsel::server
