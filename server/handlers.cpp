#include "server/handlers.h"

#include <memory>

namespace tarsel::server {

RequestHandler MakePoolHandler(DbPool &pool, PoolWork work)
{
    auto shared = std::make_shared<PoolWork>(std::move(work));
    return [&pool, shared](Request request, ResponseCallback done) {
        // `done` is shared between the job and the refusal path below: when
        // the pool refuses the job, the job (and its copy) is destroyed
        // without running.
        auto reply = std::make_shared<ResponseCallback>(std::move(done));
        const bool queued = pool.tryPost([shared, reply, request = std::move(request)](Db &db) mutable {
            Response r;
            try {
                r = (*shared)(db, request);
            } catch (const DbError &e) {
                r = Response::Error(500, std::string("Veritabanı hatası: ") + e.what());
            } catch (const std::exception &e) {
                r = Response::Error(500, e.what());
            } catch (...) {
                r = Response::Error(500, "Sunucu iç hatası");
            }
            (*reply)(std::move(r));
        });
        if (!queued) {
            Response busy = Response::Error(503, "Sunucu meşgul, lütfen tekrar deneyin");
            busy.headers.emplace_back("Retry-After", "1");
            (*reply)(std::move(busy));
        }
    };
}

void InstallHealthCheck(HttpServer &server, DbPool &pool)
{
    server.setHealthHandler(MakePoolHandler(pool, [](Db &db, Request &) {
        try {
            db.scalar(QStringLiteral("SELECT 1"));
            return Response::Json(200, "{\"status\":\"ok\",\"db\":\"ok\"}");
        } catch (const DbError &e) {
            Response r = Response::Json(503, "{\"status\":\"error\",\"db\":\"" + JsonEscape(e.what()) + "\"}");
            r.logNote = std::string("veritabanı: ") + e.what();
            return r;
        }
    }));
}

} // namespace tarsel::server
