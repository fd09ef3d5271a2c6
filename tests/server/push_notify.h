#pragma once
// Helpers of the push channel tests: `tarsel-server notify` and the
// registered client count of a running test server.

#include "tests/server/serverprocess.h"
#include "tests/server/testhttp.h"

#include <QString>

#include <chrono>
#include <future>
#include <regex>
#include <string>
#include <thread>

namespace tarsel::test {

struct NotifyOutcome {
    int exitCode = -1;
    int clients = -1, delivered = -1, replied = -1, dropped = -1;
    std::string out, err;
};

// Runs `tarsel-server notify --message message` against srv and reads the
// counts from its output line.
inline NotifyOutcome RunNotify(const ServerProcess &srv, const QString &message)
{
    const auto r = ServerProcess::run({"notify", "--config", "/dev/null", "--port", QString::number(srv.port()),
                                       "--message", message});
    NotifyOutcome o;
    o.exitCode = r.exitCode;
    o.out = r.out;
    o.err = r.err;
    static const std::regex line(R"(Bildirim: (\d+) kayıtlı istemci, (\d+) istemciye ulaştı, (\d+) istemci true )"
                                 R"(yanıtladı, (\d+) istemci düşürüldü)");
    std::smatch m;
    if (std::regex_search(r.out, m, line)) {
        o.clients = std::stoi(m[1]);
        o.delivered = std::stoi(m[2]);
        o.replied = std::stoi(m[3]);
        o.dropped = std::stoi(m[4]);
    }
    return o;
}

// The same on a thread of its own, so that the caller can answer meanwhile.
inline std::future<NotifyOutcome> NotifyAsync(const ServerProcess &srv, const QString &message)
{
    return std::async(std::launch::async, [&srv, message] { return RunNotify(srv, message); });
}

// Registered clients according to GET /admin/push; -1 when it fails.
inline int AdminClientCount(const ServerProcess &srv)
{
    HttpClient http;
    const HttpResult r = http.get(srv.url("/admin/push"));
    const auto n = JsonMember(r.body, "clients");
    return r.status == 200 && n ? std::stoi(*n) : -1;
}

// Waits (up to 10 s) until the server counts `expected` registered clients.
inline bool WaitForClientCount(const ServerProcess &srv, int expected)
{
    for (int i = 0; i < 1000; ++i) {
        if (AdminClientCount(srv) == expected)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

} // namespace tarsel::test
