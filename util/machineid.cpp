#include "util/machineid.h"

#include "util/deployment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>

#include <algorithm>
#include <limits>
#include <vector>

#include <arpa/inet.h>
#include <netdb.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/types.h>
#include <unistd.h>

namespace tarsel {

namespace {

constexpr auto kZeroAddress = "00-00-00-00-00-00";

// sysfs attribute files are small; anything larger is not what we look for.
QByteArray readSmallFile(const QString &path, qint64 limit = 4096)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.read(limit);
}

bool isTrimmable(QChar c) { return c.unicode() <= 0x20 || c.unicode() == 0x7F; }

QString trimControl(const QString &s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && isTrimmable(s.at(b))) ++b;
    while (e > b && isTrimmable(s.at(e - 1))) --e;
    return s.mid(b, e - b);
}

QString upperAscii(QString s)
{
    for (QChar &c : s)
        if (c.unicode() >= 'a' && c.unicode() <= 'z') c = QChar(c.unicode() - 'a' + 'A');
    return s;
}

// Block devices that are never a physical disk, by name prefix.
bool isVirtualBlockName(const QString &name)
{
    static const char *const kPrefixes[] = {"loop", "ram", "zram", "dm-", "md", "sr", "nbd", "fd"};
    for (const char *p : kPrefixes)
        if (name.startsWith(QLatin1String(p))) return true;
    return false;
}

// SCSI VPD page 0x80 (unit serial number): 4-byte header, then the serial.
QString serialFromVpdPage80(const QByteArray &page)
{
    if (page.size() < 4 || quint8(page.at(1)) != 0x80) return {};
    const int len = (quint8(page.at(2)) << 8) | quint8(page.at(3));
    return QString::fromLatin1(page.mid(4, std::min<qsizetype>(len, page.size() - 4)));
}

QString serialFromUdev(const QString &udevRoot, const QString &devDir)
{
    const QString majMin = QString::fromLatin1(readSmallFile(devDir + QLatin1String("/dev"))).trimmed();
    if (majMin.isEmpty() || udevRoot.isEmpty()) return {};
    QFile f(udevRoot + QLatin1String("/b") + majMin);
    if (!f.open(QIODevice::ReadOnly)) return {};
    static const QByteArray kKey = "E:ID_SERIAL_SHORT=";
    while (!f.atEnd()) {
        const QByteArray line = f.readLine(4096);
        if (line.startsWith(kKey)) {
            QByteArray v = line.mid(kKey.size());
            while (v.endsWith('\n') || v.endsWith('\r')) v.chop(1);
            return QString::fromUtf8(v);
        }
    }
    return {};
}

QStringList sortedEntries(const QString &dir)
{
    QStringList names = QDir(dir).entryList(QDir::AllEntries | QDir::System | QDir::Hidden |
                                            QDir::NoDotAndDotDot, QDir::Unsorted);
    // Plain code-unit order, independent of the user's locale.
    std::sort(names.begin(), names.end());
    return names;
}

bool parseMac(const QString &text, quint8 (&bytes)[6])
{
    const QStringList parts = text.trimmed().split(QLatin1Char(':'));
    if (parts.size() != 6) return false;
    for (int i = 0; i < 6; ++i) {
        if (parts[i].size() != 2) return false;
        bool ok = false;
        const uint v = parts[i].toUInt(&ok, 16);
        if (!ok) return false;
        bytes[i] = quint8(v);
    }
    return true;
}

QString formatMac(const quint8 (&bytes)[6])
{
    QString out;
    out.reserve(17);
    for (int i = 0; i < 6; ++i) {
        if (i) out += QLatin1Char('-');
        out += QStringLiteral("%1").arg(uint(bytes[i]), 2, 16, QLatin1Char('0')).toUpper();
    }
    return out;
}

}  // namespace

QString NormaliseSerial(const QString &raw)
{
    return trimControl(upperAscii(raw));
}

QString NormaliseAliasKey(const QString &key)
{
    QString k = upperAscii(key.trimmed());
    k.remove(QLatin1Char(' '));
    return k;
}

QString FirstDiskSerial(const QString &sysRoot, const QString &udevRoot)
{
    const QString blockDir = sysRoot + QLatin1String("/block");
    for (const QString &name : sortedEntries(blockDir)) {
        if (isVirtualBlockName(name)) continue;
        const QString devDir = blockDir + QLatin1Char('/') + name;
        // A physical disk is backed by a device; removable media (USB sticks,
        // card readers) come and go and must not become the machine's identity.
        if (!QFileInfo::exists(devDir + QLatin1String("/device"))) continue;
        if (readSmallFile(devDir + QLatin1String("/removable")).trimmed() == "1") continue;

        // This is the first physical disk: its serial or nothing.
        const QString candidates[] = {
            QString::fromUtf8(readSmallFile(devDir + QLatin1String("/serial"))),
            QString::fromUtf8(readSmallFile(devDir + QLatin1String("/device/serial"))),
            serialFromVpdPage80(readSmallFile(devDir + QLatin1String("/device/vpd_pg80"))),
        };
        for (const QString &c : candidates) {
            const QString s = NormaliseSerial(c);
            if (!s.isEmpty()) return s;
        }
        return NormaliseSerial(serialFromUdev(udevRoot, devDir));
    }
    return {};
}

QString FirstAdapterAddress(const QString &sysRoot)
{
    struct Adapter {
        QString name;
        bool hardware;
        int ifindex;
    };
    const QString netDir = sysRoot + QLatin1String("/class/net");
    std::vector<Adapter> adapters;
    for (const QString &name : sortedEntries(netDir)) {
        if (name == QLatin1String("lo")) continue;
        const QString dir = netDir + QLatin1Char('/') + name;
        // Only adapters with six-byte hardware addresses (type 1 = Ethernet,
        // also used by wireless LAN); loopback (772), tunnels and the like
        // have no such address.
        const QByteArray type = readSmallFile(dir + QLatin1String("/type")).trimmed();
        if (!type.isEmpty() && type != "1") continue;
        bool ok = false;
        int ifindex = QString::fromLatin1(readSmallFile(dir + QLatin1String("/ifindex"))).trimmed().toInt(&ok);
        if (!ok) ifindex = std::numeric_limits<int>::max();
        adapters.push_back({name, QFileInfo::exists(dir + QLatin1String("/device")), ifindex});
    }
    std::stable_sort(adapters.begin(), adapters.end(), [](const Adapter &a, const Adapter &b) {
        if (a.hardware != b.hardware) return a.hardware;
        return a.ifindex < b.ifindex;
    });

    QString text;
    for (const Adapter &a : adapters) {
        quint8 bytes[6];
        if (parseMac(QString::fromLatin1(readSmallFile(netDir + QLatin1Char('/') + a.name +
                                                       QLatin1String("/address"))),
                     bytes))
            text = formatMac(bytes);
        else if (text.isEmpty())
            break;  // unreadable adapter and nothing found yet: the walk ends here
        if (text != QLatin1String(kZeroAddress)) break;
    }
    return text;
}

QString FinishComputerId(const QString &id, const AliasTable &aliases)
{
    QString result = id;
    result.remove(QLatin1Char(' '));
    if (result.isEmpty()) return result;
    for (auto it = aliases.cbegin(); it != aliases.cend(); ++it)
        if (NormaliseAliasKey(it.key()) == result) return it.value().trimmed();
    return result;
}

QString ComputeComputerId(const QString &sysRoot, const QString &udevRoot, const AliasTable &aliases)
{
    QString id = FirstDiskSerial(sysRoot, udevRoot);
    if (id.isEmpty()) id = trimControl(FirstAdapterAddress(sysRoot));
    return FinishComputerId(id, aliases);
}

QString GetComputerId()
{
    return ComputeComputerId(QStringLiteral("/sys"), QStringLiteral("/run/udev/data"),
                             Deployment().aliases);
}

QString MachineNameFromHostName(const QString &hostName)
{
    QString name = hostName.trimmed();
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot > 0) name.truncate(dot);
    return name.left(15);
}

QString AcceptOsUserName(const QString &userName)
{
    return userName.size() > 15 ? QString() : userName;
}

QString GetMachineName()
{
    char buf[256] = {};
    if (::gethostname(buf, sizeof buf - 1) != 0) return {};
    return MachineNameFromHostName(QString::fromLocal8Bit(buf));
}

QString GetOsUserName()
{
    QString name;
    struct passwd pw {};
    struct passwd *found = nullptr;
    std::vector<char> buf(16384);
    if (::getpwuid_r(::geteuid(), &pw, buf.data(), buf.size(), &found) == 0 && found && found->pw_name)
        name = QString::fromLocal8Bit(found->pw_name);
    if (name.isEmpty()) name = qEnvironmentVariable("USER");
    if (name.isEmpty()) name = qEnvironmentVariable("LOGNAME");
    return AcceptOsUserName(name);
}

QString GetLocalIPv4()
{
    const QString fallback = QStringLiteral("127.0.0.1");
    char host[256] = {};
    if (::gethostname(host, sizeof host - 1) != 0 || host[0] == '\0') return fallback;

    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *res = nullptr;
    if (::getaddrinfo(host, nullptr, &hints, &res) != 0 || !res) return fallback;

    QString result = fallback;
    for (addrinfo *p = res; p; p = p->ai_next) {
        if (p->ai_family != AF_INET || !p->ai_addr) continue;
        char text[INET_ADDRSTRLEN] = {};
        const auto *sin = reinterpret_cast<const sockaddr_in *>(p->ai_addr);
        if (::inet_ntop(AF_INET, &sin->sin_addr, text, sizeof text)) {
            result = QString::fromLatin1(text);
            break;
        }
    }
    ::freeaddrinfo(res);
    return result;
}

}  // namespace tarsel
