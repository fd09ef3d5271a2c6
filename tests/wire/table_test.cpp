#include "wire/tablecodec.h"

#include <gtest/gtest.h>

#include <QDateTime>

using namespace tarsel;

namespace {

DataTable everyType()
{
    DataTable t;
    t.addColumn("ADI", FieldType::String, 60);
    t.addColumn("STOK_STOKNO", FieldType::Int32);
    t.addColumn("BUYUK", FieldType::Int64);
    t.addColumn("FIYAT", FieldType::Float64);
    t.addColumn("TUTAR", FieldType::Currency);
    t.addColumn("SEC", FieldType::Bool);
    t.addColumn("TARIH", FieldType::DateTime);
    t.addColumn("RESIM", FieldType::Blob);
    const QByteArray binary("\x00\xff\x01\"\\\n", 6);
    t.appendRow({QString("FREN BALATASI \"ön\" ğüşiöç"), 1234, qint64(1) << 40, 307.8, 12.5, true,
                 QDateTime(QDate(2026, 12, 11), QTime(14, 30)), binary});
    t.appendRow({QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant()});
    t.appendRow({QString(""), INT32_MIN, qint64(-1), -0.1, 0.0, false, 0.0, QByteArray()});
    return t;
}

std::string encode(const DataTable &t)
{
    wire::JsonWriter w;
    wire::WriteTable(w, t);
    return w.take();
}

DataTable decode(const std::string &json)
{
    simdjson::dom::parser p;
    DataTable t;
    wire::ReadTable(wire::ParseDocument(p, json), t);
    return t;
}

}  // namespace

TEST(TableCodec, EveryColumnTypeRoundTrips)
{
    const DataTable src = everyType();
    const DataTable back = decode(encode(src));
    ASSERT_EQ(back.columnCount(), src.columnCount());
    ASSERT_EQ(back.rowCount(), 3u);
    for (int c = 0; c < src.columnCount(); ++c) {
        EXPECT_EQ(back.columns[c].name, src.columns[c].name);
        EXPECT_EQ(back.columns[c].type, src.columns[c].type);
        EXPECT_EQ(back.columns[c].size, src.columns[c].size);
        for (std::size_t r = 0; r < 3; ++r) {
            EXPECT_EQ(back.columns[c].isNull(r), src.columns[c].isNull(r)) << c << "," << r;
            EXPECT_EQ(back.value(r, c), src.value(r, c)) << src.columns[c].name.toStdString() << " row " << r;
        }
    }
    EXPECT_EQ(back.columns[7].bytesAt(0), std::string_view("\x00\xff\x01\"\\\n", 6));
    EXPECT_EQ(back.text(0, "adi"), QString("FREN BALATASI \"ön\" ğüşiöç"));
    EXPECT_DOUBLE_EQ(back.number(0, "FIYAT"), 307.8);
    EXPECT_EQ(back.value(0, 6).toDateTime(), QDateTime(QDate(2026, 12, 11), QTime(14, 30)));
}

TEST(TableCodec, EmptyTableKeepsItsColumns)
{
    DataTable t;
    t.addColumn("SIRANO", FieldType::Int32);
    const DataTable back = decode(encode(t));
    EXPECT_EQ(back.columnCount(), 1);
    EXPECT_EQ(back.rowCount(), 0u);
}

TEST(TableCodec, BadTablesNameTheProblem)
{
    struct Case {
        const char *json;
        const char *mentions;
    } cases[] = {
        {R"({"columns":[{"name":"A","type":"int32"}],"rows":[["x"]]})", "row 0, column A"},
        {R"({"columns":[{"name":"A","type":"int32"}],"rows":[[1],[3000000000]]})", "row 1, column A"},
        {R"({"columns":[{"name":"A","type":"int32"}],"rows":[[1,2]]})", "2 cells"},
        {R"({"columns":[{"name":"A","type":"decimal"}],"rows":[]})", "unknown type"},
        {R"({"columns":[{"type":"int32"}],"rows":[]})", "no name"},
        {R"({"columns":[{"name":"B","type":"blob"}],"rows":[["***"]]})", "base64"},
        {R"({"rows":[]})", "columns"},
        {R"([])", "object"},
    };
    for (const auto &c : cases) {
        try {
            decode(c.json);
            ADD_FAILURE() << "accepted " << c.json;
        } catch (const wire::ProtocolError &e) {
            EXPECT_NE(std::string(e.what()).find(c.mentions), std::string::npos) << c.json << " -> " << e.what();
        }
    }
}

TEST(DataTable, AppendRowOfWrongTypeLeavesTableRectangular)
{
    DataTable t;
    t.addColumn("A", FieldType::String);
    t.addColumn("B", FieldType::Int32);
    t.appendRow({"x", 1});
    EXPECT_THROW(t.appendRow({"y", "not a number"}), std::invalid_argument);
    EXPECT_NO_THROW(t.checkShape());
    EXPECT_EQ(t.rowCount(), 1u);
}

TEST(DataTable, CellsChangeInPlace)
{
    DataTable t;
    t.addColumn("ADI", FieldType::String);
    t.addColumn("SEC", FieldType::Bool);
    t.addColumn("BAKIYE", FieldType::Float64);
    t.appendRow({"bir", false, 1.0});
    t.appendRow({"iki", true, QVariant()});
    t.appendRow({"üç", false, 3.0});
    t.columns[0].setString(0, "birinci satır");  // longer: later rows must move
    t.columns[0].setString(2, "3");               // shorter
    t.columns[1].setBool(0, true);
    t.columns[2].setDouble(1, 42.5);  // a null becomes a value
    t.columns[2].setNull(2);
    EXPECT_EQ(t.text(0, "ADI"), "birinci satır");
    EXPECT_EQ(t.text(1, "ADI"), "iki");
    EXPECT_EQ(t.text(2, "ADI"), "3");
    EXPECT_TRUE(t.columns[1].boolAt(0));
    EXPECT_FALSE(t.columns[2].isNull(1));
    EXPECT_DOUBLE_EQ(t.number(1, "BAKIYE"), 42.5);
    EXPECT_TRUE(t.columns[2].isNull(2));
    EXPECT_THROW(t.columns[2].setVariant(2, "7,5"), std::invalid_argument);  // not a number
    EXPECT_TRUE(t.columns[2].isNull(2));  // and the cell kept what it held
    t.columns[2].setVariant(2, "7.5");
    EXPECT_DOUBLE_EQ(t.number(2, "BAKIYE"), 7.5);
}
