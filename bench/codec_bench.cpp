// Decoding a large table answer into the in-memory table, against simdjson's
// bare parse of the same bytes (the floor).
//
// usage: bench-codec [rows] [columns]     (default 20000 x 40)

#include "wire/tablecodec.h"

#include <QDateTime>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

using namespace tarsel;
using Clock = std::chrono::steady_clock;

namespace {

// A stock-list-like table: a quarter text, a quarter integers, the rest
// money and a few flags and dates.
DataTable makeTable(int rows, int cols)
{
    DataTable t;
    for (int c = 0; c < cols; ++c) {
        FieldType type = FieldType::Float64;
        switch (c % 8) {
        case 0:
        case 1: type = FieldType::String; break;
        case 2:
        case 3: type = FieldType::Int32; break;
        case 6: type = (c % 16 == 6) ? FieldType::Bool : FieldType::DateTime; break;
        default: type = FieldType::Float64;
        }
        t.addColumn(QStringLiteral("KOLON%1").arg(c), type, type == FieldType::String ? 60 : 0);
    }
    std::mt19937 rng(42);
    std::uniform_real_distribution<double> money(0.5, 25000.0);
    const char *words[] = {"FREN", "BALATASI", "ÖN", "ARKA", "DİSK", "AMORTİSÖR", "FİLTRE", "YAĞ", "BUJİ", "KAYIŞ"};
    for (auto &col : t.columns) col.reserve(std::size_t(rows));
    for (int r = 0; r < rows; ++r) {
        for (auto &col : t.columns) {
            switch (col.type) {
            case FieldType::String: {
                QString s = QString::fromUtf8(words[rng() % 10]) + ' ' + QString::fromUtf8(words[rng() % 10]) +
                            ' ' + QString::number(rng() % 100000);
                col.appendString(s);
                break;
            }
            case FieldType::Int32: col.appendInt32(int(rng() % 1000000)); break;
            case FieldType::Bool: col.appendBool(rng() % 2); break;
            case FieldType::DateTime: col.appendDouble(46000.0 + (rng() % 1000) + (rng() % 86400) / 86400.0); break;
            default: col.appendDouble(std::round(money(rng) * 100.0) / 100.0);
            }
        }
    }
    return t;
}

template <class F> double bestMs(int runs, F &&f)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto t0 = Clock::now();
        f();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];  // median
}

}  // namespace

int main(int argc, char **argv)
{
    const int rows = argc > 1 ? std::atoi(argv[1]) : 20000;
    const int cols = argc > 2 ? std::atoi(argv[2]) : 40;
    const DataTable table = makeTable(rows, cols);

    wire::JsonWriter w;
    w.beginObject();
    w.key("result");
    w.beginArray();
    wire::WriteTable(w, table);
    w.endArray();
    w.endObject();
    const std::string json = w.take();
    const double mb = double(json.size()) / (1024.0 * 1024.0);

    const double encodeMs = bestMs(5, [&] {
        wire::JsonWriter w2;
        wire::WriteTable(w2, table);
    });

    simdjson::dom::parser parser;
    volatile std::size_t sink = 0;
    const double floorMs = bestMs(9, [&] { sink = sink + wire::ParseDocument(parser, json)["result"].get_array().size(); });

    const double decodeMs = bestMs(9, [&] {
        DataTable out;
        wire::ReadTable(wire::ParseDocument(parser, json)["result"].at(0), out);
        sink = sink + out.rowCount();
    });

    DataTable decoded;
    wire::ReadTable(wire::ParseDocument(parser, json)["result"].at(0), decoded);

    std::printf("table answer: %d rows x %d columns, %.2f MB of JSON\n", rows, cols, mb);
    std::printf("encode (server side):        %8.2f ms  %8.1f MB/s\n", encodeMs, mb / (encodeMs / 1000.0));
    std::printf("simdjson bare parse (floor): %8.2f ms  %8.1f MB/s\n", floorMs, mb / (floorMs / 1000.0));
    std::printf("decode into typed table:     %8.2f ms  %8.1f MB/s\n", decodeMs, mb / (decodeMs / 1000.0));
    std::printf("decode / floor:              %8.2f x   (target <= 3x)\n", decodeMs / floorMs);
    std::printf("in-memory table:             %8.2f MB\n", double(decoded.memoryBytes()) / (1024.0 * 1024.0));
    return 0;
}
