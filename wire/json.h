#pragma once
// Minimal, fast JSON writer used for every message on the wire, and the
// simdjson-based reading helpers shared by client and server.

#include <QString>

#include <simdjson.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tarsel::wire {

// Raised for any message that does not have the shape the protocol requires.
// The text is meant for a person: it names what was wrong and where.
class ProtocolError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class JsonWriter {
public:
    // asciiOnly: escape every non-ASCII character as \uXXXX (for HTTP headers).
    explicit JsonWriter(bool asciiOnly = false) : ascii_(asciiOnly) {}

    void reserve(std::size_t n) { out_.reserve(n); }
    std::string &str() { return out_; }
    std::string take() { return std::move(out_); }

    void beginObject() { sep(); out_ += '{'; first_ = true; }
    void endObject() { out_ += '}'; first_ = false; }
    void beginArray() { sep(); out_ += '['; first_ = true; }
    void endArray() { out_ += ']'; first_ = false; }
    void key(std::string_view k);

    void null() { sep(); out_ += "null"; }
    void boolean(bool v) { sep(); out_ += v ? "true" : "false"; }
    void int64(std::int64_t v);
    void real(double v);  // shortest text that reads back to the same double
    void string(std::string_view utf8);
    void string(const QString &s);
    // Raw, already valid JSON (used to splice pre-encoded parts).
    void raw(std::string_view json) { sep(); out_.append(json); }

    // Object ids for the object form: numbered within one message.
    int nextObjectId() { return ++objectId_; }

private:
    void writeString(std::string_view utf8);
    void sep()
    {
        if (!first_ && !afterKey_) out_ += ',';
        first_ = false;
        afterKey_ = false;
    }

    std::string out_;
    bool first_ = true;
    bool afterKey_ = false;
    bool ascii_;
    int objectId_ = 0;
};

// Reading helpers over simdjson's DOM with errors that say what was expected.
using Element = simdjson::dom::element;

QString ToQString(std::string_view utf8);
QString ReadText(Element e, const char *what);
std::int32_t ReadInt32(Element e, const char *what);
std::int64_t ReadInt64(Element e, const char *what);
double ReadReal(Element e, const char *what);
bool ReadBool(Element e, const char *what);

// Parses a whole message. Throws ProtocolError with simdjson's reason.
Element ParseDocument(simdjson::dom::parser &parser, std::string_view json);

std::string Base64Encode(std::string_view bytes);
// Throws ProtocolError on characters outside the alphabet.
std::string Base64Decode(std::string_view text);

}  // namespace tarsel::wire
