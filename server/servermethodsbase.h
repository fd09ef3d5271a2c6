#pragma once
// What the generated server interface (servermethods_gen.h) builds on: the
// answer being written, the 'not implemented' error, parameter checks.

#include "remote/baglantiu.h"
#include "remote/mobilstokunit.h"
#include "wire/datatable.h"
#include "wire/json.h"
#include "wire/methodtable.h"

#include <QByteArray>

#include <optional>
#include <stdexcept>
#include <string>

namespace tarsel::server {

// A method this server does not offer (yet). Answered with HTTP 501.
class NotImplemented : public std::runtime_error {
public:
    explicit NotImplemented(const std::string &method)
        : std::runtime_error(method + " sunucuda henüz uygulanmadı"), methodName(method)
    {
    }
    std::string methodName;
};

// A business error of a method: its text goes to the client as it is (HTTP 500).
class MethodError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The answer of one call: out parameters and the result by position.
// A JSON answer is {"result":[...]}; a stream answer carries the stream as the
// body and the positions (ASCII-only JSON) in the X-Tarsel-Result header.
class RpcAnswer {
public:
    wire::JsonWriter &begin(bool streamAnswer)
    {
        stream_ = streamAnswer;
        writer_.emplace(streamAnswer);
        if (!streamAnswer) {
            writer_->beginObject();
            writer_->key("result");
        }
        writer_->beginArray();
        return *writer_;
    }
    void setStream(QByteArray data, wire::JsonWriter &w)
    {
        w.beginObject();
        w.key("stream");
        w.int64(data.size());
        w.endObject();
        streamData_ = std::move(data);
    }
    void end()
    {
        writer_->endArray();
        if (!stream_) writer_->endObject();
    }

    bool isStream() const { return stream_; }
    // JSON body, or the stream header's value for a stream answer.
    std::string takeJson() { return writer_ ? writer_->take() : std::string(); }
    QByteArray takeStream() { return std::move(streamData_); }

private:
    bool stream_ = false;
    std::optional<wire::JsonWriter> writer_;
    QByteArray streamData_;
};

// Checks that params is an array of exactly the declared length.
inline simdjson::dom::array CheckParams(const wire::MethodDecl &decl, wire::Element params)
{
    simdjson::dom::array arr;
    if (params.get_array().get(arr))
        throw wire::ProtocolError(std::string(decl.name) + ": \"params\" must be an array");
    if (arr.size() != decl.paramCount)
        throw wire::ProtocolError(std::string(decl.name) + " takes " + std::to_string(decl.paramCount) +
                                  " parameters, got " + std::to_string(arr.size()));
    return arr;
}

template <class T> std::unique_ptr<T> ReadParamObject(wire::Element e, const char *what)
{
    try {
        return objectform::ReadOptionalObject<T>(e);
    } catch (const wire::ProtocolError &err) {
        throw wire::ProtocolError(std::string(what) + ": " + err.what());
    }
}

}  // namespace tarsel::server
