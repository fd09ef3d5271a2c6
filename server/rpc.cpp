#include "server/rpc.h"

#include "server/handlers.h"
#include "server/servermethods.h"
#include "wire/methodtable.h"

namespace tarsel::server {

std::string HandshakeBody()
{
    return std::string(R"({"server":"tarsel-server","protocol":)") + std::to_string(wire::kProtocolVersion) + "}";
}

Response AnswerCall(TServerMethods1 &methods, int methodId, const std::string &body)
{
    const char *name = wire::kMethods[methodId].name;
    // One parser per worker thread: it keeps its buffers between calls.
    thread_local simdjson::dom::parser parser;
    try {
        wire::Element doc = wire::ParseDocument(parser, body);
        wire::Element params;
        if (doc.type() != simdjson::dom::element_type::OBJECT || doc["params"].get(params))
            throw wire::ProtocolError("the request must be an object with a \"params\" array");
        RpcAnswer answer;
        Dispatch(methods, methodId, params, answer);
        if (answer.isStream()) {
            Response r;
            r.status = 200;
            r.contentType = "application/octet-stream";
            r.headers.emplace_back(std::string(wire::kStreamResultHeader), answer.takeJson());
            const QByteArray data = answer.takeStream();
            r.body.assign(data.constData(), std::size_t(data.size()));
            return r;
        }
        return Response::Json(200, answer.takeJson());
    } catch (const wire::ProtocolError &e) {
        return Response::Error(400, std::string("Geçersiz istek (") + name + "): " + e.what());
    } catch (const NotImplemented &e) {
        return Response::Error(501, e.what());
    } catch (const MethodError &e) {
        return Response::Error(500, e.what());
    } catch (const DbError &e) {
        // The driver's text stays in the log; the client gets a plain message.
        Response r = Response::Error(500, std::string("Veritabanı hatası (") + name + ")");
        r.logNote = std::string("db: ") + e.what();
        return r;
    }
}

void InstallRpc(HttpServer &server, DbPool &pool, const ServerConfig &)
{
    server.setRpcHandler(MakePoolHandler(pool, [](Db &db, Request &request) {
        if (request.rpcMethod.empty()) {
            if (request.target == wire::kHandshakePath) return Response::Json(200, HandshakeBody());
            return Response::Error(404, "Bilinmeyen adres: " + request.target);
        }
        const int id = wire::FindMethod(request.rpcMethod);
        if (id < 0) return Response::Error(404, "Bilinmeyen metot: TServerMethods1." + request.rpcMethod);
        ServerMethods methods(db);
        return AnswerCall(methods, id, request.body);
    }));
}

}  // namespace tarsel::server
