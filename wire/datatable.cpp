#include "wire/datatable.h"

#include <QDateTime>

#include <cmath>
#include <stdexcept>

namespace tarsel {

namespace {
struct TypeName {
    FieldType type;
    const char *name;
};
constexpr TypeName kTypeNames[] = {
    {FieldType::String, "string"}, {FieldType::Int32, "int32"},     {FieldType::Int64, "int64"},
    {FieldType::Float64, "float64"}, {FieldType::Currency, "currency"}, {FieldType::Bool, "bool"},
    {FieldType::DateTime, "datetime"}, {FieldType::Blob, "blob"},
};
}  // namespace

const char *FieldTypeName(FieldType t)
{
    for (const auto &tn : kTypeNames)
        if (tn.type == t) return tn.name;
    return "string";
}

std::optional<FieldType> FieldTypeFromName(std::string_view name)
{
    for (const auto &tn : kTypeNames)
        if (name == tn.name) return tn.type;
    return std::nullopt;
}

DataColumn::DataColumn(QString n, FieldType t, int s) : name(std::move(n)), type(t), size(s) {}

void DataColumn::reserve(std::size_t rows, std::size_t arenaBytes)
{
    switch (type) {
    case FieldType::Int32: i32_.reserve(rows); break;
    case FieldType::Int64: i64_.reserve(rows); break;
    case FieldType::Float64:
    case FieldType::Currency:
    case FieldType::DateTime: f64_.reserve(rows); break;
    case FieldType::Bool: u8_.reserve(rows); break;
    case FieldType::String:
    case FieldType::Blob:
        offs_.reserve(rows + 1);
        arena_.reserve(arenaBytes);
        break;
    }
}

void DataColumn::clearRows()
{
    rows_ = 0;
    i32_.clear();
    i64_.clear();
    f64_.clear();
    u8_.clear();
    arena_.clear();
    offs_.assign(1, 0);
    nulls_.clear();
}

void DataColumn::markNotNull()
{
    if (!nulls_.empty()) nulls_.push_back(0);
    ++rows_;
}

void DataColumn::appendNull()
{
    if (nulls_.empty()) nulls_.assign(rows_, 0);
    switch (type) {
    case FieldType::Int32: i32_.push_back(0); break;
    case FieldType::Int64: i64_.push_back(0); break;
    case FieldType::Float64:
    case FieldType::Currency:
    case FieldType::DateTime: f64_.push_back(0.0); break;
    case FieldType::Bool: u8_.push_back(0); break;
    case FieldType::String:
    case FieldType::Blob: offs_.push_back(arena_.size()); break;
    }
    nulls_.push_back(1);
    ++rows_;
}

void DataColumn::appendInt32(std::int32_t v)
{
    i32_.push_back(v);
    markNotNull();
}

void DataColumn::appendInt64(std::int64_t v)
{
    i64_.push_back(v);
    markNotNull();
}

void DataColumn::appendDouble(double v)
{
    f64_.push_back(v);
    markNotNull();
}

void DataColumn::appendBool(bool v)
{
    u8_.push_back(v ? 1 : 0);
    markNotNull();
}

void DataColumn::appendBytes(std::string_view s)
{
    arena_.append(s.data(), s.size());
    offs_.push_back(arena_.size());
    markNotNull();
}

void DataColumn::appendString(const QString &s)
{
    const QByteArray u = s.toUtf8();
    appendBytes(std::string_view(u.constData(), std::size_t(u.size())));
}

void DataColumn::appendVariant(const QVariant &v)
{
    if (!v.isValid() || v.isNull()) {
        appendNull();
        return;
    }
    bool ok = true;
    switch (type) {
    case FieldType::Int32: {
        const qlonglong x = v.toLongLong(&ok);
        if (ok && (x < INT32_MIN || x > INT32_MAX)) ok = false;
        if (ok) appendInt32(std::int32_t(x));
        break;
    }
    case FieldType::Int64: {
        const qlonglong x = v.toLongLong(&ok);
        if (ok) appendInt64(x);
        break;
    }
    case FieldType::Float64:
    case FieldType::Currency: {
        const double x = v.toDouble(&ok);
        if (ok) appendDouble(x);
        break;
    }
    case FieldType::DateTime: {
        if (v.typeId() == QMetaType::QDateTime || v.typeId() == QMetaType::QDate) {
            static const QDateTime epoch(QDate(1899, 12, 30), QTime(0, 0));
            const QDateTime dt = v.toDateTime();
            const qint64 ms = epoch.msecsTo(QDateTime(dt.date(), dt.time()));
            appendDouble(double(ms) / 86400000.0);
        } else {
            const double x = v.toDouble(&ok);
            if (ok) appendDouble(x);
        }
        break;
    }
    case FieldType::Bool:
        if (v.typeId() == QMetaType::QString) {
            const QString s = v.toString().trimmed().toLower();
            appendBool(s == u"1" || s == u"true");
        } else {
            appendBool(v.toBool());
        }
        break;
    case FieldType::String: appendString(v.toString()); break;
    case FieldType::Blob: {
        const QByteArray b = v.toByteArray();
        appendBytes(std::string_view(b.constData(), std::size_t(b.size())));
        break;
    }
    }
    if (!ok)
        throw std::invalid_argument("column " + name.toStdString() + ": value '" +
                                    v.toString().toStdString() + "' is not of type " +
                                    FieldTypeName(type));
}

QString DataColumn::stringAt(std::size_t row) const
{
    if (isNull(row)) return {};
    switch (type) {
    case FieldType::String: {
        const auto b = bytesAt(row);
        return QString::fromUtf8(b.data(), qsizetype(b.size()));
    }
    case FieldType::Blob: return QString();
    case FieldType::Int32: return QString::number(i32_[row]);
    case FieldType::Int64: return QString::number(i64_[row]);
    case FieldType::Bool: return u8_[row] ? QStringLiteral("True") : QStringLiteral("False");
    case FieldType::Float64:
    case FieldType::Currency:
    case FieldType::DateTime: return QString::number(f64_[row], 'g', 15);
    }
    return {};
}

QVariant DataColumn::variantAt(std::size_t row) const
{
    if (isNull(row)) return {};
    switch (type) {
    case FieldType::String: return stringAt(row);
    case FieldType::Int32: return QVariant(i32_[row]);
    case FieldType::Int64: return QVariant(qint64(i64_[row]));
    case FieldType::Float64:
    case FieldType::Currency: return QVariant(f64_[row]);
    case FieldType::DateTime: {
        static const QDateTime epoch(QDate(1899, 12, 30), QTime(0, 0));
        return epoch.addMSecs(qint64(std::llround(f64_[row] * 86400000.0)));
    }
    case FieldType::Bool: return QVariant(u8_[row] != 0);
    case FieldType::Blob: {
        const auto b = bytesAt(row);
        return QByteArray(b.data(), qsizetype(b.size()));
    }
    }
    return {};
}

double DataColumn::numberAt(std::size_t row) const
{
    if (isNull(row)) return 0.0;
    switch (type) {
    case FieldType::Int32: return i32_[row];
    case FieldType::Int64: return double(i64_[row]);
    case FieldType::Float64:
    case FieldType::Currency:
    case FieldType::DateTime: return f64_[row];
    case FieldType::Bool: return u8_[row] ? 1.0 : 0.0;
    case FieldType::String: return stringAt(row).toDouble();
    case FieldType::Blob: return 0.0;
    }
    return 0.0;
}

void DataColumn::setInt32(std::size_t row, std::int32_t v)
{
    i32_.at(row) = v;
    clearNull(row);
}

void DataColumn::setInt64(std::size_t row, std::int64_t v)
{
    i64_.at(row) = v;
    clearNull(row);
}

void DataColumn::setDouble(std::size_t row, double v)
{
    f64_.at(row) = v;
    clearNull(row);
}

void DataColumn::setBool(std::size_t row, bool v)
{
    u8_.at(row) = v ? 1 : 0;
    clearNull(row);
}

void DataColumn::setBytes(std::size_t row, std::string_view v)
{
    if (row >= rows_) throw std::out_of_range("row out of range");
    const std::uint64_t start = offs_[row];
    const std::uint64_t oldLen = offs_[row + 1] - start;
    arena_.replace(start, oldLen, v.data(), v.size());
    const std::int64_t delta = std::int64_t(v.size()) - std::int64_t(oldLen);
    if (delta != 0)
        for (std::size_t r = row + 1; r < offs_.size(); ++r) offs_[r] = std::uint64_t(std::int64_t(offs_[r]) + delta);
    clearNull(row);
}

void DataColumn::setString(std::size_t row, const QString &v)
{
    const QByteArray u = v.toUtf8();
    setBytes(row, std::string_view(u.constData(), std::size_t(u.size())));
}

void DataColumn::setNull(std::size_t row)
{
    if (row >= rows_) throw std::out_of_range("row out of range");
    if (type == FieldType::String || type == FieldType::Blob) setBytes(row, {});
    if (nulls_.empty()) nulls_.assign(rows_, 0);
    nulls_[row] = 1;
}

void DataColumn::setVariant(std::size_t row, const QVariant &v)
{
    if (row >= rows_) throw std::out_of_range("row out of range");
    // Convert through a one-cell column so the rules stay those of appendVariant.
    DataColumn one(name, type, size);
    one.appendVariant(v);
    if (one.isNull(0)) {
        setNull(row);
        return;
    }
    switch (type) {
    case FieldType::Int32: setInt32(row, one.int32At(0)); break;
    case FieldType::Int64: setInt64(row, one.int64At(0)); break;
    case FieldType::Float64:
    case FieldType::Currency:
    case FieldType::DateTime: setDouble(row, one.doubleAt(0)); break;
    case FieldType::Bool: setBool(row, one.boolAt(0)); break;
    case FieldType::String:
    case FieldType::Blob: setBytes(row, one.bytesAt(0)); break;
    }
}

std::size_t DataColumn::memoryBytes() const
{
    return i32_.capacity() * 4 + i64_.capacity() * 8 + f64_.capacity() * 8 + u8_.capacity() +
           arena_.capacity() + offs_.capacity() * 8 + nulls_.capacity();
}

int DataTable::indexOf(const QString &name) const
{
    for (int i = 0; i < int(columns.size()); ++i)
        if (columns[i].name.compare(name, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

const DataColumn *DataTable::column(const QString &name) const
{
    const int i = indexOf(name);
    return i < 0 ? nullptr : &columns[i];
}

DataColumn *DataTable::column(const QString &name)
{
    const int i = indexOf(name);
    return i < 0 ? nullptr : &columns[i];
}

DataColumn &DataTable::addColumn(const QString &name, FieldType type, int size)
{
    if (rowCount() != 0) throw std::logic_error("cannot add a column to a table that has rows");
    columns.emplace_back(name, type, size);
    return columns.back();
}

void DataTable::addColumns(std::initializer_list<ColumnSpec> specs)
{
    for (const ColumnSpec &c : specs) addColumn(QString::fromLatin1(c.name), c.type, c.size);
}

void DataTable::clearRows()
{
    for (auto &c : columns) c.clearRows();
}

QString DataTable::text(std::size_t row, const QString &col) const
{
    const DataColumn *c = column(col);
    return c && row < c->rowCount() ? c->stringAt(row) : QString();
}

std::int32_t DataTable::int32(std::size_t row, const QString &col) const
{
    const DataColumn *c = column(col);
    if (!c || row >= c->rowCount() || c->isNull(row)) return 0;
    if (c->type == FieldType::Int32) return c->int32At(row);
    return std::int32_t(c->numberAt(row));
}

double DataTable::number(std::size_t row, const QString &col) const
{
    const DataColumn *c = column(col);
    return c && row < c->rowCount() ? c->numberAt(row) : 0.0;
}

void DataTable::appendRow(const QVariantList &values)
{
    if (values.size() != qsizetype(columns.size()))
        throw std::invalid_argument("row has " + std::to_string(values.size()) + " values, table has " +
                                    std::to_string(columns.size()) + " columns");
    const std::size_t before = rowCount();
    try {
        for (std::size_t i = 0; i < columns.size(); ++i) columns[i].appendVariant(values[qsizetype(i)]);
    } catch (...) {
        // Keep the table rectangular: drop the partial row.
        for (auto &c : columns)
            if (c.rowCount() > before) {
                // rebuild only the affected column up to `before` rows
                DataColumn rebuilt(c.name, c.type, c.size);
                rebuilt.displayFormat = c.displayFormat;
                for (std::size_t r = 0; r < before; ++r) rebuilt.appendVariant(c.variantAt(r));
                c = std::move(rebuilt);
            }
        throw;
    }
}

void DataTable::checkShape() const
{
    for (const auto &c : columns)
        if (c.rowCount() != rowCount())
            throw std::logic_error("column " + c.name.toStdString() + " has a different row count");
}

std::size_t DataTable::memoryBytes() const
{
    std::size_t n = 0;
    for (const auto &c : columns) n += c.memoryBytes();
    return n;
}

}  // namespace tarsel
