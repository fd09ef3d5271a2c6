#include "wire/tablecodec.h"

#include <string>

namespace tarsel::wire {

void WriteTable(JsonWriter &w, const DataTable &table)
{
    table.checkShape();
    w.beginObject();
    w.key("columns");
    w.beginArray();
    for (const auto &c : table.columns) {
        w.beginObject();
        w.key("name");
        w.string(c.name);
        w.key("type");
        w.string(std::string_view(FieldTypeName(c.type)));
        if (c.size > 0) {
            w.key("size");
            w.int64(c.size);
        }
        w.endObject();
    }
    w.endArray();
    w.key("rows");
    w.beginArray();
    const std::size_t n = table.rowCount();
    for (std::size_t r = 0; r < n; ++r) {
        w.beginArray();
        for (const auto &c : table.columns) {
            if (c.isNull(r)) {
                w.null();
                continue;
            }
            switch (c.type) {
            case FieldType::String: w.string(c.bytesAt(r)); break;
            case FieldType::Int32: w.int64(c.int32At(r)); break;
            case FieldType::Int64: w.int64(c.int64At(r)); break;
            case FieldType::Float64:
            case FieldType::Currency:
            case FieldType::DateTime: w.real(c.doubleAt(r)); break;
            case FieldType::Bool: w.boolean(c.boolAt(r)); break;
            case FieldType::Blob: w.string(Base64Encode(c.bytesAt(r))); break;
            }
        }
        w.endArray();
    }
    w.endArray();
    w.endObject();
}

namespace {
[[noreturn]] void cellError(std::size_t row, const DataColumn &c, const char *expected)
{
    throw ProtocolError("table row " + std::to_string(row) + ", column " + c.name.toStdString() + ": expected " +
                        expected);
}
}  // namespace

void ReadTable(Element e, DataTable &out)
{
    simdjson::dom::object obj;
    if (e.get_object().get(obj)) throw ProtocolError("table: expected an object with columns and rows");
    simdjson::dom::array cols, rows;
    if (obj["columns"].get_array().get(cols)) throw ProtocolError("table: \"columns\" must be an array");
    if (obj["rows"].get_array().get(rows)) throw ProtocolError("table: \"rows\" must be an array");

    DataTable t;
    for (Element ce : cols) {
        simdjson::dom::object co;
        if (ce.get_object().get(co)) throw ProtocolError("table: each column must be an object");
        std::string_view name, type;
        if (co["name"].get_string().get(name) || name.empty())
            throw ProtocolError("table: a column has no name");
        if (co["type"].get_string().get(type)) throw ProtocolError("table: column without a type");
        const auto ft = FieldTypeFromName(type);
        if (!ft) throw ProtocolError("table: column " + std::string(name) + " has unknown type " + std::string(type));
        std::int64_t size = 0;
        if (co["size"].get_int64().get(size)) size = 0;  // optional
        t.columns.emplace_back(ToQString(name), *ft, int(size));
    }
    const std::size_t ncol = t.columns.size();
    const std::size_t nrow = rows.size();
    for (auto &c : t.columns) c.reserve(nrow);

    std::size_t r = 0;
    for (Element re : rows) {
        simdjson::dom::array cells;
        if (re.get_array().get(cells)) throw ProtocolError("table row " + std::to_string(r) + ": expected an array");
        if (cells.size() != ncol)
            throw ProtocolError("table row " + std::to_string(r) + ": has " + std::to_string(cells.size()) +
                                " cells, expected " + std::to_string(ncol));
        std::size_t ci = 0;
        for (Element cell : cells) {
            DataColumn &c = t.columns[ci++];
            if (cell.is_null()) {
                c.appendNull();
                continue;
            }
            switch (c.type) {
            case FieldType::String: {
                std::string_view sv;
                if (cell.get_string().get(sv)) cellError(r, c, "text");
                c.appendBytes(sv);
                break;
            }
            case FieldType::Int32: {
                std::int64_t v;
                if (cell.get_int64().get(v) || v < INT32_MIN || v > INT32_MAX) cellError(r, c, "a 32-bit integer");
                c.appendInt32(std::int32_t(v));
                break;
            }
            case FieldType::Int64: {
                std::int64_t v;
                if (cell.get_int64().get(v)) cellError(r, c, "an integer");
                c.appendInt64(v);
                break;
            }
            case FieldType::Float64:
            case FieldType::Currency:
            case FieldType::DateTime: {
                double d;
                if (cell.get_double().get(d)) {
                    std::int64_t i;
                    if (cell.get_int64().get(i)) cellError(r, c, "a number");
                    d = double(i);
                }
                c.appendDouble(d);
                break;
            }
            case FieldType::Bool: {
                bool b;
                if (cell.get_bool().get(b)) cellError(r, c, "a boolean");
                c.appendBool(b);
                break;
            }
            case FieldType::Blob: {
                std::string_view sv;
                if (cell.get_string().get(sv)) cellError(r, c, "base64 text");
                c.appendBytes(Base64Decode(sv));
                break;
            }
            }
        }
        ++r;
    }
    out = std::move(t);
}

}  // namespace tarsel::wire
