#pragma once
// In-memory result table: an ordered set of named, typed columns.
//
// Every list the client shows is loaded into one of these. Columns keep their
// values in typed vectors (strings as UTF-8 in one arena per column), so that
// decoding a large answer costs no allocation per cell and a grid model only
// builds QString/QVariant values for the cells it actually paints.

#include <QString>
#include <QVariant>

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarsel {

enum class FieldType : std::uint8_t {
    String,    // UTF-8 text
    Int32,
    Int64,
    Float64,   // plain floating point: the money display format applies
    Currency,  // fixed-point money kind, held as double; no automatic format
    Bool,
    DateTime,  // OLE automation day number (day 0 = 1899-12-30), fraction = time of day
    Blob,      // raw bytes
};

const char *FieldTypeName(FieldType t);
std::optional<FieldType> FieldTypeFromName(std::string_view name);

class DataColumn {
public:
    DataColumn() = default;
    DataColumn(QString name, FieldType type, int size = 0);

    QString name;
    FieldType type = FieldType::String;
    int size = 0;           // declared width for text columns, 0 when unknown
    QString displayFormat;  // e.g. "#,###,##0.00"; empty = default rendering

    std::size_t rowCount() const { return rows_; }
    void reserve(std::size_t rows, std::size_t arenaBytes = 0);
    void clearRows();

    bool isNull(std::size_t row) const { return !nulls_.empty() && nulls_[row]; }
    bool hasNulls() const { return !nulls_.empty(); }

    // Typed readers: valid only for the matching type (asserted in debug).
    std::int32_t int32At(std::size_t row) const { return i32_[row]; }
    std::int64_t int64At(std::size_t row) const { return i64_[row]; }
    double doubleAt(std::size_t row) const { return f64_[row]; }  // Float64, Currency, DateTime
    bool boolAt(std::size_t row) const { return u8_[row] != 0; }
    std::string_view bytesAt(std::size_t row) const  // String (UTF-8) and Blob
    {
        return std::string_view(arena_.data() + offs_[row], offs_[row + 1] - offs_[row]);
    }

    // Conversions usable on any column type (used by models, filters, exports).
    QString stringAt(std::size_t row) const;  // empty for null
    QVariant variantAt(std::size_t row) const;  // invalid QVariant for null
    double numberAt(std::size_t row) const;    // numeric value, 0 for null/text

    // Appenders: the typed ones must match the column type.
    void appendNull();
    void appendInt32(std::int32_t v);
    void appendInt64(std::int64_t v);
    void appendDouble(double v);
    void appendBool(bool v);
    void appendBytes(std::string_view utf8OrBytes);
    void appendString(const QString &s);
    // Converting appender for callers holding loosely typed values (server
    // result sets, tests). Throws std::invalid_argument when it cannot convert.
    void appendVariant(const QVariant &v);

    // In-place changes of one cell (a selection flag, a running balance).
    // The typed setters must match the column type; setBytes on a text
    // column costs time proportional to the column's size.
    void setInt32(std::size_t row, std::int32_t v);
    void setInt64(std::size_t row, std::int64_t v);
    void setDouble(std::size_t row, double v);
    void setBool(std::size_t row, bool v);
    void setBytes(std::size_t row, std::string_view v);
    void setString(std::size_t row, const QString &v);
    void setNull(std::size_t row);
    // Converting setter, as appendVariant. Throws std::invalid_argument.
    void setVariant(std::size_t row, const QVariant &v);

    std::size_t memoryBytes() const;

private:
    void markNotNull();
    void clearNull(std::size_t row)
    {
        if (!nulls_.empty()) nulls_[row] = 0;
    }

    std::size_t rows_ = 0;
    std::vector<std::int32_t> i32_;
    std::vector<std::int64_t> i64_;
    std::vector<double> f64_;
    std::vector<std::uint8_t> u8_;
    std::string arena_;
    std::vector<std::uint64_t> offs_{0};
    std::vector<std::uint8_t> nulls_;  // empty until the first null arrives
};

class DataTable {
public:
    std::vector<DataColumn> columns;

    std::size_t rowCount() const { return columns.empty() ? 0 : columns.front().rowCount(); }
    int columnCount() const { return int(columns.size()); }

    int indexOf(const QString &name) const;  // case-insensitive, -1 when missing
    const DataColumn *column(const QString &name) const;
    DataColumn *column(const QString &name);

    DataColumn &addColumn(const QString &name, FieldType type, int size = 0);
    // A table's structure written as a list: {{"BARKOD", FieldType::String, 30}, ...}.
    struct ColumnSpec {
        const char *name;  // Latin-1
        FieldType type;
        int size = 0;
    };
    void addColumns(std::initializer_list<ColumnSpec> specs);
    void clear() { columns.clear(); }
    void clearRows();

    // Convenience reads by column name; missing column or null gives the default.
    QString text(std::size_t row, const QString &col) const;
    std::int32_t int32(std::size_t row, const QString &col) const;
    double number(std::size_t row, const QString &col) const;
    QVariant value(std::size_t row, int col) const { return columns[col].variantAt(row); }

    // Appends one row; values convert through DataColumn::appendVariant.
    void appendRow(const QVariantList &values);

    // Throws std::logic_error when columns hold different row counts.
    void checkShape() const;

    std::size_t memoryBytes() const;
};

}  // namespace tarsel
