#include "server/schema.h"

namespace tarsel::server {

QStringList CatalogueSchema()
{
    return {};
}

}  // namespace tarsel::server
