#include "wire/json.h"

#include <QByteArray>

#include <charconv>
#include <cmath>

namespace tarsel::wire {

void JsonWriter::key(std::string_view k)
{
    sep();
    writeString(k);
    out_ += ':';
    afterKey_ = true;
}

void JsonWriter::int64(std::int64_t v)
{
    sep();
    char buf[24];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    out_.append(buf, r.ptr);
}

void JsonWriter::real(double v)
{
    if (!std::isfinite(v)) throw ProtocolError("a real value is not a finite number");
    sep();
    char buf[32];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    out_.append(buf, r.ptr);
}

void JsonWriter::string(const QString &s)
{
    const QByteArray u = s.toUtf8();
    string(std::string_view(u.constData(), std::size_t(u.size())));
}

void JsonWriter::string(std::string_view s)
{
    sep();
    writeString(s);
}

void JsonWriter::writeString(std::string_view s)
{
    static const char hex[] = "0123456789abcdef";
    out_ += '"';
    std::size_t run = 0;  // start of the pending run of plain bytes
    auto flush = [&](std::size_t i) {
        if (i > run) out_.append(s.data() + run, i - run);
    };
    for (std::size_t i = 0; i < s.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c >= 0x20 && c != '"' && c != '\\' && (c < 0x80 || !ascii_)) continue;
        flush(i);
        switch (c) {
        case '"': out_ += "\\\""; break;
        case '\\': out_ += "\\\\"; break;
        case '\n': out_ += "\\n"; break;
        case '\r': out_ += "\\r"; break;
        case '\t': out_ += "\\t"; break;
        case '\b': out_ += "\\b"; break;
        case '\f': out_ += "\\f"; break;
        default:
            if (c < 0x20) {
                out_ += "\\u00";
                out_ += hex[c >> 4];
                out_ += hex[c & 15];
            } else {
                // Non-ASCII in ASCII-only mode: decode one UTF-8 sequence.
                char32_t cp = 0;
                int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : -1;
                if (extra < 0 || i + std::size_t(extra) >= s.size()) {
                    cp = 0xFFFD;
                    extra = 0;
                } else {
                    cp = c & (0x3F >> extra);
                    for (int k = 1; k <= extra; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
                }
                auto put = [&](unsigned u) {
                    out_ += "\\u";
                    for (int sh = 12; sh >= 0; sh -= 4) out_ += hex[(u >> sh) & 15];
                };
                if (cp >= 0x10000) {
                    cp -= 0x10000;
                    put(0xD800 + unsigned(cp >> 10));
                    put(0xDC00 + unsigned(cp & 0x3FF));
                } else {
                    put(unsigned(cp));
                }
                i += std::size_t(extra);
            }
        }
        run = i + 1;
    }
    flush(s.size());
    out_ += '"';
}

QString ToQString(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

namespace {
[[noreturn]] void wrongType(const char *what, const char *expected, Element e)
{
    const char *got = "?";
    switch (e.type()) {
    case simdjson::dom::element_type::ARRAY: got = "an array"; break;
    case simdjson::dom::element_type::OBJECT: got = "an object"; break;
    case simdjson::dom::element_type::INT64:
    case simdjson::dom::element_type::UINT64: got = "an integer"; break;
    case simdjson::dom::element_type::DOUBLE: got = "a real number"; break;
    case simdjson::dom::element_type::STRING: got = "a string"; break;
    case simdjson::dom::element_type::BOOL: got = "a boolean"; break;
    case simdjson::dom::element_type::NULL_VALUE: got = "null"; break;
    }
    throw ProtocolError(std::string(what) + ": expected " + expected + ", got " + got);
}
}  // namespace

QString ReadText(Element e, const char *what)
{
    std::string_view sv;
    if (e.get_string().get(sv)) wrongType(what, "a string", e);
    return ToQString(sv);
}

std::int64_t ReadInt64(Element e, const char *what)
{
    std::int64_t v;
    if (!e.get_int64().get(v)) return v;
    double d;
    // Accept integral reals such as 3.0, which some writers produce.
    if (!e.get_double().get(d) && std::isfinite(d) && std::floor(d) == d && std::fabs(d) < 9.2e18)
        return std::int64_t(d);
    wrongType(what, "an integer", e);
}

std::int32_t ReadInt32(Element e, const char *what)
{
    const std::int64_t v = ReadInt64(e, what);
    if (v < INT32_MIN || v > INT32_MAX)
        throw ProtocolError(std::string(what) + ": " + std::to_string(v) + " does not fit a 32-bit integer");
    return std::int32_t(v);
}

double ReadReal(Element e, const char *what)
{
    double d;
    if (!e.get_double().get(d)) return d;
    std::int64_t i;
    if (!e.get_int64().get(i)) return double(i);
    std::uint64_t u;
    if (!e.get_uint64().get(u)) return double(u);
    wrongType(what, "a number", e);
}

bool ReadBool(Element e, const char *what)
{
    bool b;
    if (e.get_bool().get(b)) wrongType(what, "a boolean", e);
    return b;
}

Element ParseDocument(simdjson::dom::parser &parser, std::string_view json)
{
    Element doc;
    const auto err = parser.parse(json.data(), json.size(), true).get(doc);
    if (err) throw ProtocolError(std::string("malformed JSON: ") + simdjson::error_message(err));
    return doc;
}

std::string Base64Encode(std::string_view bytes)
{
    const QByteArray b = QByteArray::fromRawData(bytes.data(), qsizetype(bytes.size())).toBase64();
    return std::string(b.constData(), std::size_t(b.size()));
}

std::string Base64Decode(std::string_view text)
{
    auto r = QByteArray::fromBase64Encoding(QByteArray::fromRawData(text.data(), qsizetype(text.size())),
                                            QByteArray::AbortOnBase64DecodingErrors);
    if (!r) throw ProtocolError("invalid base64 data");
    return std::string(r.decoded.constData(), std::size_t(r.decoded.size()));
}

}  // namespace tarsel::wire
