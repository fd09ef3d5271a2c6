#include "server/schema.h"

namespace tarsel::server {

QStringList HistorySchema()
{
    return {};
}

}  // namespace tarsel::server
