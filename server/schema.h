#pragma once
// The schema of each method group, one migration each, in this order
// (see migrations.cpp). A group whose list is still empty adds no migration.

#include <QStringList>

namespace tarsel::server {

QStringList CatalogueSchema();  // migration 2: stock, prices, baskets, orders, carriers
QStringList PromoSchema();      // migration 3: account movements, invoices, adverts, banners, documents, outbox
QStringList HistorySchema();    // migration 4: what the history group needs beyond the above

}  // namespace tarsel::server
