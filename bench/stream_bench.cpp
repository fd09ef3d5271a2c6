// A large stream answer end to end: a 50 MB document downloaded through the
// client proxy from a real tarsel-server, with the peak memory (VmHWM) of
// the client and of the server before and after, and the transfer time.
//
// usage: bench-stream [megabytes]    (default 50)

#include "remote/proxim.h"
#include "remote/remotecall.h"
#include "server/dbpool.h"
#include "tests/server/serverprocess.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QIODevice>
#include <QSqlQuery>

#include <chrono>
#include <cstdio>

using namespace tarsel;
using Clock = std::chrono::steady_clock;

namespace {

// Peak resident memory of a process so far, in MiB (VmHWM).
double PeakMiB(pid_t pid)
{
    QFile f(pid > 0 ? QStringLiteral("/proc/%1/status").arg(pid) : QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

// Starts a new peak at the present resident size (Linux: "5" into clear_refs).
void ResetPeak(pid_t pid)
{
    QFile f(pid > 0 ? QStringLiteral("/proc/%1/clear_refs").arg(pid) : QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly)) f.write("5");
}

}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int megabytes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    test::ServerProcess server;
    server.start({"--demo", "--machine", "BENCH-PC"});

    // The document, of bytes that do not compress.
    QByteArray content(qsizetype(megabytes) * 1024 * 1024, Qt::Uninitialized);
    quint32 x = 2463534242u;
    for (char &c : content) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        c = char(x & 0xFF);
    }
    const QByteArray digest = QCryptographicHash::hash(content, QCryptographicHash::Sha256);
    int sirano = 0;
    {
        server::Db db(server::ParseConnectionString(server.databaseUrl()), QStringLiteral("bench-stream"));
        QSqlQuery q = db.exec(QStringLiteral("INSERT INTO documents (sira, aciklama, dosya_adi, icerik, boyut) "
                                             "VALUES (999, 'Büyük belge', 'buyuk.bin', ?, ?) RETURNING sirano"),
                              {content, qint64(content.size())});
        if (!q.next()) return 1;
        sirano = q.value(0).toInt();
    }
    content = QByteArray();  // only the digest is kept
    ResetPeak(0);
    ResetPeak(server.pid());

    DSConnection desc;
    desc.Port = QString::number(server.port());
    const double clientBefore = PeakMiB(0), serverBefore = PeakMiB(server.pid());
    qint64 size = -1, received = 0;
    bool intact = false;
    const auto t0 = Clock::now();
    double ms = 0;
    const bool failed = GuardedCall(desc, [&](TServerMethods1Client &p) {
        QString name;
        QIODevice *stream = p.BelgeIndir(sirano, size, name);
        ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
        if (!stream) return;
        // Read as a caller that saves the file would: in pieces.
        QCryptographicHash hash(QCryptographicHash::Sha256);
        char buffer[64 * 1024];
        for (qint64 n; (n = stream->read(buffer, sizeof buffer)) > 0;) {
            hash.addData(QByteArrayView(buffer, n));
            received += n;
        }
        intact = hash.result() == digest;
    });
    const double clientAfter = PeakMiB(0), serverAfter = PeakMiB(server.pid());
    server.stop();
    if (failed || !intact || size != received) {
        std::fprintf(stderr, "bench-stream: the document did not arrive intact\n");
        return 1;
    }
    std::printf("BelgeIndir of a %d MiB document through tarsel-server (SQLite, loopback)\n", megabytes);
    std::printf("  call until the stream is in hand: %.0f ms (%.0f MiB/s)\n", ms, double(megabytes) / (ms / 1000));
    std::printf("  client peak memory: %.1f -> %.1f MiB (+%.1f MiB = %.2fx the document)\n", clientBefore, clientAfter,
                clientAfter - clientBefore, (clientAfter - clientBefore) / megabytes);
    std::printf("  server peak memory: %.1f -> %.1f MiB (+%.1f MiB = %.2fx the document)\n", serverBefore, serverAfter,
                serverAfter - serverBefore, (serverAfter - serverBefore) / megabytes);
    return 0;
}
