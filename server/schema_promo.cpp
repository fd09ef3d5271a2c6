#include "server/schema.h"

namespace tarsel::server {

QStringList PromoSchema()
{
    return {};
}

}  // namespace tarsel::server
