#pragma once
// The remote method calls of tarsel-server: decoding, dispatch on a database
// worker, and the answer.

#include "server/config.h"
#include "server/dbpool.h"
#include "server/httpserver.h"

#include <string>

namespace tarsel::server {

class TServerMethods1;

// Installs the handler of GET /datasnap/handshake and
// POST /datasnap/TServerMethods1.<Method>.
void InstallRpc(HttpServer &server, DbPool &pool, const ServerConfig &config);

// One call on any implementation of the methods: decodes the body, runs the
// method and encodes its answer, or an error answer with a clear text
// (400 bad request, 501 not implemented, 500 method or database error).
Response AnswerCall(TServerMethods1 &methods, int methodId, const std::string &body);

std::string HandshakeBody();

}  // namespace tarsel::server
