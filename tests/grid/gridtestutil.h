#pragma once
// Small tables for the grid tests.

#include "wire/datatable.h"

#include <QDateTime>
#include <QVariant>

#include <initializer_list>
#include <memory>
#include <utility>
#include <vector>

namespace tarsel::test {

using ColumnDef = std::pair<const char *, FieldType>;

inline std::shared_ptr<DataTable> MakeTable(std::initializer_list<ColumnDef> columns,
                                            const std::vector<QVariantList> &rows)
{
    auto t = std::make_shared<DataTable>();
    for (const auto &c : columns) t->addColumn(QString::fromUtf8(c.first), c.second);
    for (const auto &r : rows) t->appendRow(r);
    return t;
}

inline QVariant Null() { return QVariant(); }

}  // namespace tarsel::test
