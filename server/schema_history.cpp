#include "server/schema.h"

namespace tarsel::server {

// Migration 4. The history methods read the orders, order lines and account
// movements of migrations 2 and 3; they add only what makes their queries
// cheap on a large order book.
QStringList HistorySchema()
{
    return {
        // The outstanding-balance list of an account reads its lines with an
        // outstanding quantity, a small part of all its order lines.
        QStringLiteral("CREATE INDEX order_lines_open ON order_lines(carino, idno) WHERE kalan > 0"),
    };
}

}  // namespace tarsel::server
