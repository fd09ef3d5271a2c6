#pragma once
// Glue between the HTTP front end and the database worker pool.

#include "server/dbpool.h"
#include "server/httpserver.h"

#include <functional>

namespace tarsel::server {

// Work that turns one request into one answer on a database worker.
using PoolWork = std::function<Response(Db &db, Request &request)>;

// A RequestHandler that queues work on the pool and answers with its result.
// A full queue answers 503 {"error":"Sunucu meşgul, lütfen tekrar deneyin"}
// (with Retry-After: 1); a DbError answers 500 with the driver text; any
// other exception answers 500 with its text. The pool must outlive the
// handler's use (stop the HTTP server before the pool).
RequestHandler MakePoolHandler(DbPool &pool, PoolWork work);

// GET /health: runs "SELECT 1" on a pool worker. Answers
// {"status":"ok","db":"ok"}, or 503 {"status":"error","db":"<driver text>"}.
void InstallHealthCheck(HttpServer &server, DbPool &pool);

} // namespace tarsel::server
