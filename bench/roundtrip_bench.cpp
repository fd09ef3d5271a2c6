// One remote call round trip on loopback against a real tarsel-server:
// open (handshake) + call + close, as every routine of the client does, and
// the call alone on an open connection.
//
// usage: bench-roundtrip [iterations]    (default 500)

#include "remote/proxim.h"
#include "remote/remotecall.h"
#include "tests/server/serverprocess.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

using namespace tarsel;
using Clock = std::chrono::steady_clock;

namespace {

void report(const char *what, std::vector<double> us)
{
    std::sort(us.begin(), us.end());
    auto pct = [&](double p) { return us[std::min(us.size() - 1, std::size_t(p * double(us.size())))]; };
    std::printf("%-34s median %8.1f us   p90 %8.1f us   p99 %8.1f us   (%zu calls)\n", what, pct(0.5), pct(0.9),
                pct(0.99), us.size());
}

}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int n = argc > 1 ? std::atoi(argv[1]) : 500;
    test::ServerProcess server;
    server.start({"--demo", "--machine", "BENCH-PC"});

    DSConnection desc;
    desc.Port = QString::number(server.port());

    // Warm up (first connection, statement caches).
    for (int i = 0; i < 20; ++i) GuardedCall(desc, [](TServerMethods1Client &p) { p.BuyukGetir("BENCH-PC"); });

    std::vector<double> full, callOnly;
    for (int i = 0; i < n; ++i) {
        const auto t0 = Clock::now();
        const bool failed = GuardedCall(desc, [](TServerMethods1Client &p) {
            if (!p.BuyukGetir("BENCH-PC")) throw std::runtime_error("no record");
        });
        full.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
        if (failed) {
            std::fprintf(stderr, "call failed\n");
            return 1;
        }
    }
    auto conn = desc.CloneDescription();
    if (!OpenConnectionWithRetry(*conn, false)) return 1;
    {
        TServerMethods1Client proxy(*conn);
        for (int i = 0; i < n; ++i) {
            const auto t0 = Clock::now();
            proxy.BuyukGetir("BENCH-PC");
            callOnly.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
        }
    }
    conn->Close();
    std::printf("tarsel-server on 127.0.0.1:%u, SQLite, BuyukGetir (one session record)\n", unsigned(server.port()));
    report("open + call + close:", full);
    report("call on an open connection:", callOnly);
    server.stop();
    return 0;
}
