#include "tests/server/clientsettings.h"

#include "tests/server/serverprocess.h"
#include "util/machineid.h"

#include <QDir>
#include <QFile>

#include <cstdio>
#include <sys/stat.h>

namespace tarsel::test {

void UsePrivateHome(const QString &home)
{
    qputenv("HOME", home.toUtf8());
    qputenv("XDG_CONFIG_HOME", (home + "/.config").toUtf8());
    qputenv("XDG_DATA_HOME", (home + "/.local/share").toUtf8());
    qputenv("XDG_RUNTIME_DIR", (home + "/run").toUtf8());
    QDir().mkpath(home + "/run");
    ::chmod((home + "/run").toUtf8().constData(), 0700);
}

QString WriteClientSettings(const QString &dir, const ServerProcess &server, const QString &machine)
{
    const QString rawId = ComputeComputerId(QStringLiteral("/sys"), QStringLiteral("/run/udev/data"), {});
    if (rawId.isEmpty()) {
        std::fprintf(stderr, "this machine has no computer identifier\n");
        return {};
    }
    const QString path = dir + QStringLiteral("/tarselb2b.conf");
    QFile f(path);
    const QString web = QStringLiteral("http://127.0.0.1:%1/").arg(server.webPort());
    const QByteArray text = QStringLiteral("serverHost=127.0.0.1\nserverPort=%1\nconnectTimeoutMs=2000\n"
                                           "webSiteBase=%2\noutsideAddressBase=%2\ndownloadUrl=%2download/latest\n"
                                           "[aliases]\n%3=%4\n")
                                .arg(server.port())
                                .arg(web, rawId, machine)
                                .toUtf8();
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(text) != text.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return {};
    }
    return path;
}

}  // namespace tarsel::test
