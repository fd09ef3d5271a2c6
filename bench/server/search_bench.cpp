// The stock search under load: a catalogue of 100,000 generated items (plus
// the demo catalogue), 16 clients at once, each on its own connection
// through the real client proxy against a real tarsel-server process, with a
// mix of search texts as dealers type them: item codes, OEM numbers, one and
// two words of a description. The same queries run directly on the database
// (QtSql, the same SQL and binds, every row read) give the floor.
//
// usage: bench-search [--items N] [--clients N] [--seconds S] [--data DIR] [--sqlite] [--mmap MB]
//   --items    generated items (default 100000)
//   --clients  concurrent clients (default 16)
//   --seconds  length of the concurrent run (default 20)
//   --data     keep the SQLite database in DIR and reuse it on the next run
//   --sqlite   use SQLite even when TARSEL_TEST_PG is set
//   --mmap     the bench's own SQLite connections (bare query, in-process
//              split) read through a memory map of MB megabytes
// With TARSEL_TEST_PG set the catalogue goes into a fresh PostgreSQL schema.
// CPU times count this process and tarsel-server; on PostgreSQL the query's
// own work happens in the database server's processes, so there the one
// client's wall clock is compared with the bare query's.

#include "remote/proxim.h"
#include "server/catalogue_pricing.h"
#include "server/catalogue_search.h"
#include "server/dbpool.h"
#include "server/democatalogue.h"
#include "server/demodata.h"
#include "server/migrations.h"
#include "tests/server/pgtest.h"
#include "tests/server/serverprocess.h"
#include "wire/tablecodec.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSqlRecord>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include <time.h>
#include <unistd.h>

using namespace tarsel;
using Clock = std::chrono::steady_clock;

namespace {

struct Query {
    const char *kind;
    QString text;  // as the client sends it (normal form)
};

struct Stats {
    std::vector<double> ms;
    std::size_t rows = 0;
    void add(double v, std::size_t r)
    {
        ms.push_back(v);
        rows += r;
    }
    double pct(double p)
    {
        if (ms.empty()) return 0;
        std::sort(ms.begin(), ms.end());
        return ms[std::min(ms.size() - 1, std::size_t(p * double(ms.size())))];
    }
    double mean() const
    {
        double s = 0;
        for (double v : ms) s += v;
        return ms.empty() ? 0 : s / double(ms.size());
    }
};

void Print(const char *what, Stats s)
{
    std::printf("  %-22s n=%6zu  mean %7.2f ms  p50 %7.2f ms  p90 %7.2f ms  p99 %7.2f ms  max %7.2f ms  rows/search %6.1f\n",
                what, s.ms.size(), s.mean(), s.pct(0.5), s.pct(0.9), s.pct(0.99), s.pct(1.0),
                s.ms.empty() ? 0.0 : double(s.rows) / double(s.ms.size()));
}

std::vector<Query> QueryMix(server::Db &db)
{
    std::vector<Query> mix;
    // Codes, OEM numbers and maker codes of items spread over the catalogue.
    QSqlQuery q = db.exec(QStringLiteral("SELECT barkod, oem1, uretici_kodu FROM stock WHERE stokno % 997 = 13 ORDER BY stokno"));
    int i = 0;
    while (q.next() && i < 120) {
        const QString code = q.value(0).toString();
        const QString oem = q.value(1).toString();
        mix.push_back({"kod", server::NormalizeSearchText(i % 3 == 2 ? code.toLower() : code)});
        if (!oem.isEmpty()) {
            QString compact = oem;
            compact.remove(QLatin1Char(' ')).remove(QLatin1Char('-')).remove(QLatin1Char('.'));
            mix.push_back({"oem", server::NormalizeSearchText(i % 2 ? oem : compact)});
        }
        if (i % 4 == 0) mix.push_back({"üretici kodu", server::NormalizeSearchText(q.value(2).toString())});
        ++i;
    }
    const char *oneWord[] = {"balata", "disk", "filtre", "amortisör", "rulman", "buji", "kayış", "radyatör", "sensör",
                             "ampul", "debriyaj", "triger", "rotil", "salıncak", "termostat", "devirdaim", "kampana",
                             "hortum", "takoz", "alternatör"};
    const char *twoWords[] = {"fren balatası", "yağ filtresi", "ön amortisör", "triger seti", "balata clio",
                              "disk passat", "filtre egea", "amortisör focus", "rulman golf", "buji corolla",
                              "hava filtresi", "fren diski", "debriyaj seti", "sis farı", "balata sprinter",
                              "rotil megane", "radyatör duster", "kayış transit", "ampul h7", "akü 60ah"};
    for (int round = 0; round < 4; ++round) {
        for (const char *w : oneWord) mix.push_back({"tek kelime", server::NormalizeSearchText(QString::fromUtf8(w))});
        for (const char *w : twoWords) mix.push_back({"iki kelime", server::NormalizeSearchText(QString::fromUtf8(w))});
    }
    // Interleave the kinds.
    std::vector<Query> out;
    std::map<std::string, std::vector<Query>> byKind;
    for (const Query &m : mix) byKind[m.kind].push_back(m);
    for (std::size_t k = 0;; ++k) {
        bool any = false;
        for (auto &[kind, list] : byKind)
            if (k < list.size()) out.push_back(list[k]), any = true;
        if (!any) break;
    }
    return out;
}

server::StockSearchRequest Request(const Query &q)
{
    server::StockSearchRequest r;
    r.text = q.text;
    r.manufacturer = r.mainGroup = r.subGroup = QString::fromUtf8(" HEPSİ");
    return r;
}

// The bare query: the same word counts, SQL and binds, every value of every
// row read.
std::size_t BareSearch(server::Db &db, const Query &q, int carino)
{
    const server::StockQuery sq = server::BuildStockSearchQuery(Request(q), carino, server::TokenCounter(db));
    if (sq.matchesNothing) return 0;
    QSqlQuery r = db.exec(sq.sql, sq.binds);
    std::size_t rows = 0;
    const int cols = r.record().count();
    while (r.next()) {
        for (int c = 0; c < cols; ++c) (void)r.value(c);
        ++rows;
    }
    return rows;
}

// --mmap N: the bench's own SQLite connections read the file through a
// memory map of N MB (the server's connections keep their settings), to show
// what the page reads cost.
void Tune(server::Db &db, int mmapMb)
{
    if (mmapMb > 0 && db.dialect() == server::Dialect::SQLite)
        db.exec(QStringLiteral("PRAGMA mmap_size = %1").arg(qint64(mmapMb) * 1024 * 1024));
}

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// CPU time of the calling thread, in ms: unlike the wall clock it does not
// count the time other programs on the machine take the processor away.
double ThreadCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1000.0 + double(ts.tv_nsec) / 1e6;
}

// CPU time (user + system) a process has used so far, in ms.
double ProcessCpuMs(pid_t pid)
{
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    const QByteArray line = f.readAll();
    // Fields after the command name (which is in parentheses): utime is the
    // 14th and stime the 15th field of the line.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13) return 0;
    const double ticks = double(sysconf(_SC_CLK_TCK));
    return (fields[11].toDouble() + fields[12].toDouble()) * 1000.0 / ticks;
}

}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int items = 100000, clients = 16, seconds = 20;
    QString dataDir;
    bool forceSqlite = false;
    int mmapMb = 0;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        const QString a = args[i];
        const QString v = i + 1 < args.size() ? args[i + 1] : QString();
        if (a == "--items") items = v.toInt(), ++i;
        else if (a == "--clients") clients = v.toInt(), ++i;
        else if (a == "--seconds") seconds = v.toInt(), ++i;
        else if (a == "--data") dataDir = v, ++i;
        else if (a == "--sqlite") forceSqlite = true;
        else if (a == "--mmap") mmapMb = v.toInt(), ++i;
        else {
            std::fprintf(stderr, "bench-search: unknown argument %s\n", qPrintable(a));
            return 2;
        }
    }

    QTemporaryDir tmp;
    if (dataDir.isEmpty()) dataDir = tmp.path();
    QDir().mkpath(dataDir);
    std::unique_ptr<test::PgTestSchema> pg;
    QString url = QStringLiteral("sqlite:") + dataDir + QStringLiteral("/bench.db");
    if (!forceSqlite && test::PgTestAvailable()) {
        pg = std::make_unique<test::PgTestSchema>();
        const QString base = test::PgTestConnectionString();
        url = base + (base.contains(u'?') ? u'&' : u'?') + QStringLiteral("options=-csearch_path%3D") + pg->name();
    }
    const server::DbSettings settings = server::ParseConnectionString(url, dataDir);
    std::printf("bench-search: %s, %d generated items, %d clients, %d s\n", qPrintable(settings.describe()), items,
                clients, seconds);

    std::vector<Query> mix;
    int carino = 1201;
    {
        server::Db db(settings, QStringLiteral("bench-setup"));
        server::RunMigrations(db);
        const int have = db.scalar(QStringLiteral("SELECT COUNT(*) FROM stock")).toInt();
        if (have < items) {
            if (have > 0) {
                std::fprintf(stderr, "bench-search: %s holds another catalogue; use a new --data folder\n",
                             qPrintable(dataDir));
                return 2;
            }
            const auto t0 = Clock::now();
            server::SeedDemoData(db, QStringLiteral("BENCH-PC"));
            server::SeedLargeCatalogue(db, items, 1000000, 1, [&](int done) {
                if (done % 20000 == 0 || done == items) {
                    std::printf("  seeded %6d items, %.1f s\n", done, Ms(Clock::now() - t0) / 1000);
                    std::fflush(stdout);
                }
            });
            // Statistics for the planner; on PostgreSQL also the visibility
            // map, without which the word index cannot answer from the index
            // alone (what autovacuum does some time after a bulk load).
            db.exec(db.dialect() == server::Dialect::PostgreSQL ? QStringLiteral("VACUUM ANALYZE")
                                                                 : QStringLiteral("ANALYZE"));
            std::printf("  catalogue ready in %.1f s: %d items, %d search words\n", Ms(Clock::now() - t0) / 1000,
                        db.scalar(QStringLiteral("SELECT COUNT(*) FROM stock")).toInt(),
                        db.scalar(QStringLiteral("SELECT COUNT(*) FROM stock_tokens")).toInt());
        } else {
            std::printf("  reusing the catalogue in %s (%d items)\n", qPrintable(dataDir), have);
        }
        mix = QueryMix(db);
    }
    std::map<std::string, int> kinds;
    for (const Query &q : mix) ++kinds[q.kind];
    std::printf("  query mix: %zu texts (", mix.size());
    for (auto &[k, n] : kinds) std::printf(" %s %d", k.c_str(), n);
    std::printf(" )\n\n");

    // --- the floor: the bare query on the database ---------------------------
    Stats bare;
    std::map<std::string, Stats> bareByKind;
    double bareCpu = 0;
    {
        server::Db db(settings, QStringLiteral("bench-bare"));
        Tune(db, mmapMb);
        for (const Query &q : mix) BareSearch(db, q, carino);  // warm the caches
        const double cpu0 = ThreadCpuMs();
        for (int pass = 0; pass < 2; ++pass)
            for (const Query &q : mix) {
                const auto t0 = Clock::now();
                const std::size_t rows = BareSearch(db, q, carino);
                const double ms = Ms(Clock::now() - t0);
                bare.add(ms, rows);
                bareByKind[q.kind].add(ms, rows);
            }
        bareCpu = (ThreadCpuMs() - cpu0) / double(bare.ms.size());
    }
    std::printf("Bare query on the database (QtSql, one connection, sequential):\n");
    Print("all", bare);
    for (auto &[k, s] : bareByKind) Print(k.c_str(), s);
    std::printf("  CPU per search: %.2f ms\n", bareCpu);

    // The server's own work, in this process: the database part as above,
    // then pricing and the table, the JSON text, and the client's decoding.
    {
        server::Db db(settings, QStringLiteral("bench-split"));
        Tune(db, mmapMb);
        const server::AccountPricing account = server::LoadAccountPricing(db, carino);
        Stats table, encode, decode;
        std::size_t bytes = 0;
        simdjson::dom::parser parser;
        for (int pass = 0; pass < 2; ++pass)
            for (const Query &q : mix) {
                const double t0 = ThreadCpuMs();
                const server::StockQuery sq =
                    server::BuildStockSearchQuery(Request(q), carino, server::TokenCounter(db));
                DataTable t;
                if (!sq.matchesNothing) {
                    QSqlQuery r = db.exec(sq.sql, sq.binds);
                    t = server::StockRowsToTable(r, account, sq.sortByCode);
                }
                const double t1 = ThreadCpuMs();
                wire::JsonWriter w;
                wire::WriteTable(w, t);
                const std::string json = w.take();
                const double t2 = ThreadCpuMs();
                DataTable back;
                wire::ReadTable(wire::ParseDocument(parser, json), back);
                const double t3 = ThreadCpuMs();
                if (pass == 0) continue;
                table.add(t1 - t0, t.rowCount());
                encode.add(t2 - t1, t.rowCount());
                decode.add(t3 - t2, t.rowCount());
                bytes += json.size();
            }
        std::printf("The server's work in this process (same queries, sequential; CPU time):\n");
        Print("query+pricing+table", table);
        Print("JSON text", encode);
        Print("client decoding", decode);
        std::printf("  JSON per search: %.1f KB\n", double(bytes) / 1024.0 / double(std::max<std::size_t>(1, table.ms.size())));
    }

    // Bare throughput with as many connections as the server has database threads.
    const int dbThreads = std::max(2, int(std::thread::hardware_concurrency()));
    double bareRate = 0;
    {
        std::atomic<long> done{0};
        std::atomic<bool> stop{false};
        std::vector<std::thread> ts;
        for (int t = 0; t < dbThreads; ++t)
            ts.emplace_back([&, t] {
                server::Db db(settings, QStringLiteral("bench-bare-%1").arg(t));
                Tune(db, mmapMb);
                for (std::size_t k = std::size_t(t) * 7; !stop; ++k) {
                    BareSearch(db, mix[k % mix.size()], carino);
                    ++done;
                }
            });
        const auto t0 = Clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(std::max(3, seconds / 4)));
        stop = true;
        for (auto &t : ts) t.join();
        bareRate = double(done) / (Ms(Clock::now() - t0) / 1000);
        std::printf("  %d connections at once: %.0f searches/s\n\n", dbThreads, bareRate);
    }

    // --- the server -----------------------------------------------------------
    test::ServerProcess server;
    server.start({"--db", url, "--machine", "BENCH-PC"});
    auto description = std::make_unique<DSConnection>();
    description->Port = QString::number(server.port());
    TSonucBilgisi dealer;
    {
        auto c = description->CloneDescription();
        c->Open();
        TServerMethods1Client p(*c);
        TSonucBilgisi *r = p.BuyukGetir(QStringLiteral("DEMO-BAYI"));
        if (!r || r->CARINO() != carino) {
            std::fprintf(stderr, "bench-search: the demo dealer is missing\n");
            return 1;
        }
        dealer.Kopyala(*r);
        c->Close();
    }
    auto search = [&](TServerMethods1Client &p, const Query &q) {
        return p.StokAraGetirEFS(q.text, QString::fromUtf8(" HEPSİ"), QString::fromUtf8(" HEPSİ"),
                                 QString::fromUtf8(" HEPSİ"), false, false, false, false, CopyOf(dealer))
            .rowCount();
    };

    // One client, sequential: the server's own time per search, as the
    // server process's CPU time per search (the wall clock on a busy
    // machine also counts other programs).
    Stats single;
    std::map<std::string, Stats> singleByKind;
    double serverCpu = 0, clientCpu = 0;
    {
        auto c = description->CloneDescription();
        c->Open();
        TServerMethods1Client p(*c);
        for (const Query &q : mix) search(p, q);
        const double server0 = ProcessCpuMs(server.pid()), client0 = ThreadCpuMs();
        for (int pass = 0; pass < 2; ++pass)
            for (const Query &q : mix) {
                const auto t0 = Clock::now();
                const std::size_t rows = search(p, q);
                const double ms = Ms(Clock::now() - t0);
                single.add(ms, rows);
                singleByKind[q.kind].add(ms, rows);
            }
        serverCpu = (ProcessCpuMs(server.pid()) - server0) / double(single.ms.size());
        clientCpu = (ThreadCpuMs() - client0) / double(single.ms.size());
        c->Close();
    }
    std::printf("Through tarsel-server, one client (proxy + HTTP + JSON + pricing, sequential):\n");
    Print("all", single);
    for (auto &[k, s] : singleByKind) Print(k.c_str(), s);
    std::printf("  CPU per search: server %.2f ms, client %.2f ms\n", serverCpu, clientCpu);
    std::printf("  server time per search vs bare query: %.2fx (CPU), %.2fx (wall, mean)\n\n", serverCpu / bareCpu,
                single.mean() / bare.mean());

    // Many clients at once, each on its own connection.
    std::vector<Stats> perThread(static_cast<std::size_t>(clients));
    std::vector<std::map<std::string, Stats>> perThreadKind(static_cast<std::size_t>(clients));
    std::atomic<int> failures{0};
    std::string firstFailure;
    std::mutex failureLock;
    {
        std::vector<std::unique_ptr<DSConnection>> conns;
        for (int t = 0; t < clients; ++t) {
            conns.push_back(description->CloneDescription());
            conns.back()->Open();
        }
        std::atomic<bool> go{false};
        const auto deadline = std::chrono::seconds(seconds);
        std::vector<std::thread> ts;
        for (int t = 0; t < clients; ++t)
            ts.emplace_back([&, t] {
                TServerMethods1Client p(*conns[std::size_t(t)]);
                while (!go) std::this_thread::yield();
                const auto start = Clock::now();
                for (std::size_t k = std::size_t(t) * 11; Clock::now() - start < deadline; ++k) {
                    const Query &q = mix[k % mix.size()];
                    const auto t0 = Clock::now();
                    try {
                        const std::size_t rows = search(p, q);
                        const double ms = Ms(Clock::now() - t0);
                        perThread[std::size_t(t)].add(ms, rows);
                        perThreadKind[std::size_t(t)][q.kind].add(ms, rows);
                    } catch (const std::exception &e) {
                        if (failures++ == 0) {
                            std::lock_guard lock(failureLock);
                            firstFailure = e.what();
                        }
                    }
                }
            });
        const double server0 = ProcessCpuMs(server.pid());
        const auto t0 = Clock::now();
        go = true;
        for (auto &t : ts) t.join();
        const double wall = Ms(Clock::now() - t0) / 1000;
        const double serverCpuLoaded = ProcessCpuMs(server.pid()) - server0;
        for (auto &c : conns) c->Close();

        Stats all;
        std::map<std::string, Stats> byKind;
        for (int t = 0; t < clients; ++t) {
            for (double v : perThread[std::size_t(t)].ms) all.ms.push_back(v);
            all.rows += perThread[std::size_t(t)].rows;
            for (auto &[k, s] : perThreadKind[std::size_t(t)]) {
                for (double v : s.ms) byKind[k].ms.push_back(v);
                byKind[k].rows += s.rows;
            }
        }
        const double rate = double(all.ms.size()) / wall;
        std::printf("Through tarsel-server, %d clients at once (%d database threads):\n", clients, dbThreads);
        std::printf("  %.0f searches/s over %.1f s, %d failed%s%s\n", rate, wall, failures.load(),
                    firstFailure.empty() ? "" : ": ", firstFailure.c_str());
        Print("all", all);
        for (auto &[k, s] : byKind) Print(k.c_str(), s);
        std::printf("  server CPU per search %.2f ms (bare query %.2f ms); throughput %.2fx of the bare query's "
                    "with %d connections\n",
                    serverCpuLoaded / double(std::max<std::size_t>(1, all.ms.size())), bareCpu, rate / bareRate,
                    dbThreads);
        double load[3] = {0, 0, 0};
        getloadavg(load, 3);
        // On SQLite the query runs in the measured processes, so CPU time
        // compares them; PostgreSQL does the query's work in its own
        // processes, so there the wall clock of one client compares them.
        const bool sqlite = settings.dialect == server::Dialect::SQLite;
        const double ratio = sqlite ? serverCpu / bareCpu : single.mean() / bare.mean();
        std::printf("\nTargets: p99 under 100 ms: %s (%.1f ms); server time per search within 2x of the bare "
                    "query: %s (%.2fx, %s)\n",
                    all.pct(0.99) < 100 ? "yes" : "NO", all.pct(0.99), ratio <= 2 ? "yes" : "NO", ratio,
                    sqlite ? "CPU time" : "wall clock, one client");
        std::printf("Machine: %u processors, load average %.2f (1 min) at the end\n",
                    std::thread::hardware_concurrency(), load[0]);
    }
    server.stop();
    return failures > 0 ? 1 : 0;
}
