#include "remote/proxybase.h"

#include "generated/methodtable_gen.h"
#include "wire/tablecodec.h"

namespace tarsel {

ProxyBase::~ProxyBase() = default;

ProxyBase::Command &ProxyBase::command(int methodId)
{
    if (commands_.empty()) commands_.resize(wire::kMethodCount);
    auto &slot = commands_[std::size_t(methodId)];
    if (!slot) {
        slot = std::make_unique<Command>();
        slot->decl = &wire::kMethods[methodId];
        slot->commandType = QString::fromLatin1(wire::kCommandType.data(), qsizetype(wire::kCommandType.size()));
        slot->text = QString::fromLatin1(wire::kCommandPrefix.data(), qsizetype(wire::kCommandPrefix.size())) +
                     QString::fromLatin1(slot->decl->name);
    }
    return *slot;
}

void ProxyBase::beginParams(wire::JsonWriter &w)
{
    w.beginObject();
    w.key("params");
    w.beginArray();
}

void ProxyBase::endParams(wire::JsonWriter &w)
{
    w.endArray();
    w.endObject();
}

Reply &ProxyBase::execute(Command &cmd, std::string &&request)
{
    // Results of the previous execution are released now.
    cmd.object.reset();
    cmd.stream.reset();
    HttpResult http = connection_.Post(QString::fromLatin1(cmd.decl->name), std::move(request));
    cmd.reply.load(std::move(http), *cmd.decl);
    return cmd.reply;
}

void Reply::load(HttpResult &&http, const wire::MethodDecl &decl)
{
    decl_ = &decl;
    body_ = std::move(http.body);
    header_.clear();
    streamAnswer_ = false;
    results_ = {};

    if (http.status != 200) {
        // The server's own error text, when it sent one.
        std::string text;
        try {
            simdjson::dom::parser p;
            auto doc = wire::ParseDocument(p, std::string_view(body_.constData(), std::size_t(body_.size())));
            std::string_view sv;
            if (!doc["error"].get_string().get(sv)) text = std::string(sv);
        } catch (const std::exception &) {
        }
        if (text.empty())
            text = "Sunucu hatası (HTTP " + std::to_string(http.status) + ", " + decl.name + ")";
        body_.clear();
        throw RemoteError(text, int(http.status));
    }

    std::string_view json;
    if (!http.resultHeader.empty()) {
        streamAnswer_ = true;
        header_ = std::move(http.resultHeader);
        json = header_;
    } else {
        json = std::string_view(body_.constData(), std::size_t(body_.size()));
    }
    try {
        auto doc = wire::ParseDocument(parser_, json);
        if (streamAnswer_) {
            if (doc.get_array().get(results_)) throw wire::ProtocolError("stream answer header is not an array");
        } else if (doc["result"].get_array().get(results_)) {
            throw wire::ProtocolError("answer has no \"result\" array");
        }
        const std::size_t expected = decl.paramCount + (decl.hasResult() ? 1 : 0);
        if (results_.size() < expected)
            throw wire::ProtocolError("answer has " + std::to_string(results_.size()) + " positions, expected " +
                                      std::to_string(expected));
    } catch (const wire::ProtocolError &e) {
        throw RemoteError(std::string("Sunucudan geçersiz cevap (") + decl.name + "): " + e.what(), 200);
    }
}

wire::Element Reply::at(int position) const
{
    wire::Element e;
    if (results_.at(std::size_t(position)).get(e))
        throw RemoteError("Sunucudan geçersiz cevap: konum " + std::to_string(position) + " yok", 200);
    return e;
}

DataTable Reply::table(int position) const
{
    DataTable t;
    try {
        wire::ReadTable(at(position), t);
    } catch (const wire::ProtocolError &e) {
        throw RemoteError(std::string("Sunucudan geçersiz tablo (") + decl_->name + "): " + e.what(), 200);
    }
    return t;
}

std::unique_ptr<QIODevice> Reply::stream(int position)
{
    if (!streamAnswer_) throw RemoteError(std::string("Sunucu akış göndermedi (") + decl_->name + ")", 200);
    std::int64_t announced = -1;
    if (at(position)["stream"].get_int64().get(announced)) announced = -1;
    if (announced != body_.size())
        throw RemoteError("Sunucudan eksik veri geldi (" + std::to_string(body_.size()) + " / " +
                              std::to_string(announced) + " bayt)",
                          200);
    auto buf = std::make_unique<QBuffer>();
    buf->setData(std::move(body_));  // no copy: the buffer takes the received bytes
    buf->open(QIODevice::ReadOnly);
    body_ = QByteArray();
    return buf;
}

}  // namespace tarsel
