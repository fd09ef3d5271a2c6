// Computer identifier from fake sysfs / udev trees, and the name rules.

#include "util/machineid.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <arpa/inet.h>

#include <functional>

using namespace tarsel;

namespace {

// A fake /sys and /run/udev/data in a temporary folder.
class FakeSystem {
public:
    FakeSystem() { EXPECT_TRUE(dir_.isValid()); }

    QString sysRoot() const { return dir_.path() + QLatin1String("/sys"); }
    QString udevRoot() const { return dir_.path() + QLatin1String("/udev"); }

    void write(const QString &relative, const QByteArray &content)
    {
        const QString path = dir_.path() + QLatin1Char('/') + relative;
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
        f.write(content);
    }

    struct Disk {
        QString name{};
        QByteArray serial{};        // /sys/block/<name>/serial
        QByteArray deviceSerial{};  // device/serial
        QByteArray vpd80{};         // device/vpd_pg80
        QByteArray devNumber = "8:0";
        QByteArray udevSerial{};    // E:ID_SERIAL_SHORT in the udev database
        bool removable = false;
        bool hasDevice = true;
    };

    void addDisk(const Disk &d)
    {
        const QString base = QLatin1String("sys/block/") + d.name;
        QDir().mkpath(dir_.path() + QLatin1Char('/') + base);
        write(base + QLatin1String("/dev"), d.devNumber + "\n");
        write(base + QLatin1String("/removable"), d.removable ? "1\n" : "0\n");
        if (d.hasDevice) QDir().mkpath(dir_.path() + QLatin1Char('/') + base + QLatin1String("/device"));
        if (!d.serial.isNull()) write(base + QLatin1String("/serial"), d.serial);
        if (!d.deviceSerial.isNull()) write(base + QLatin1String("/device/serial"), d.deviceSerial);
        if (!d.vpd80.isNull()) write(base + QLatin1String("/device/vpd_pg80"), d.vpd80);
        if (!d.udevSerial.isNull())
            write(QLatin1String("udev/b") + QString::fromLatin1(d.devNumber),
                  "S:disk/by-id/whatever\nE:ID_TYPE=disk\nE:ID_SERIAL_SHORT=" + d.udevSerial +
                      "\nE:ID_SERIAL=Model_" + d.udevSerial + "\n");
    }

    struct Adapter {
        QString name;
        int ifindex;
        QByteArray address;  // null: no address file
        bool hardware = true;
        QByteArray type = "1";
    };

    void addAdapter(const Adapter &a)
    {
        const QString base = QLatin1String("sys/class/net/") + a.name;
        QDir().mkpath(dir_.path() + QLatin1Char('/') + base);
        write(base + QLatin1String("/ifindex"), QByteArray::number(a.ifindex) + "\n");
        write(base + QLatin1String("/type"), a.type + "\n");
        if (!a.address.isNull()) write(base + QLatin1String("/address"), a.address + "\n");
        if (a.hardware) QDir().mkpath(dir_.path() + QLatin1Char('/') + base + QLatin1String("/device"));
    }

private:
    QTemporaryDir dir_;
};

QByteArray vpdPage80(const QByteArray &serial)
{
    QByteArray page("\x00\x80\x00", 3);
    page.append(char(serial.size()));
    page.append(serial);
    return page;
}

struct IdCase {
    const char *name;
    std::function<void(FakeSystem &)> build;
    AliasTable aliases;
    QString expected;
};

void PrintTo(const IdCase &c, std::ostream *os) { *os << c.name; }

class ComputerIdTest : public ::testing::TestWithParam<IdCase> {};

TEST_P(ComputerIdTest, Computes)
{
    FakeSystem sys;
    GetParam().build(sys);
    EXPECT_EQ(ComputeComputerId(sys.sysRoot(), sys.udevRoot(), GetParam().aliases), GetParam().expected);
}

const QString kZeros = QStringLiteral("00-00-00-00-00-00");

INSTANTIATE_TEST_SUITE_P(
    Table, ComputerIdTest,
    ::testing::Values(
        IdCase{"disk serial trimmed, capitals, inner space removed",
               [](FakeSystem &s) {
                   s.addDisk({.name = "sda", .serial = " wd-abc 123 "});
                   s.addAdapter({"eth0", 2, "00:1a:2b:3c:4d:5e"});
               },
               {}, "WD-ABC123"},
        IdCase{"control characters trimmed, only a-z capitalised",
               [](FakeSystem &s) { s.addDisk({.name = "sda", .deviceSerial = "\t\x01z9-ä\n"}); },
               {}, QString::fromUtf8("Z9-ä")},
        IdCase{"serial from VPD page 0x80",
               [](FakeSystem &s) { s.addDisk({.name = "sda", .vpd80 = vpdPage80("  S3Z9NB0K123456  ")}); },
               {}, "S3Z9NB0K123456"},
        IdCase{"serial from the udev database",
               [](FakeSystem &s) {
                   s.addDisk({.name = "sda", .devNumber = "8:0", .udevSerial = "wd-xyz"});
               },
               {}, "WD-XYZ"},
        IdCase{"sysfs serial wins over the udev database",
               [](FakeSystem &s) {
                   s.addDisk({.name = "nvme0n1", .deviceSerial = "NVSERIAL", .devNumber = "259:0",
                              .udevSerial = "OTHER"});
               },
               {}, "NVSERIAL"},
        IdCase{"virtual devices skipped, first physical disk in name order",
               [](FakeSystem &s) {
                   s.addDisk({.name = "dm-0", .serial = "DM"});
                   s.addDisk({.name = "loop0", .serial = "LOOP"});
                   s.addDisk({.name = "md0", .serial = "MD"});
                   s.addDisk({.name = "sda", .serial = "SDA"});
                   s.addDisk({.name = "nvme0n1", .serial = "NVME"});
                   s.addDisk({.name = "zram0", .serial = "ZRAM"});
                   s.addDisk({.name = "nbd0", .serial = "NBD"});
                   s.addDisk({.name = "sr0", .serial = "SR"});
                   s.addDisk({.name = "ram0", .serial = "RAM"});
               },
               {}, "NVME"},
        IdCase{"removable media and devices without hardware are not disks",
               [](FakeSystem &s) {
                   s.addDisk({.name = "sda", .serial = "USBSTICK", .removable = true});
                   s.addDisk({.name = "sdaa", .serial = "NOHW", .hasDevice = false});
                   s.addDisk({.name = "sdb", .serial = "FIXED"});
               },
               {}, "FIXED"},
        IdCase{"first disk without serial: adapter, not the second disk",
               [](FakeSystem &s) {
                   s.addDisk({.name = "sda", .serial = "   "});
                   s.addDisk({.name = "sdb", .serial = "SECOND"});
                   s.addAdapter({"eth0", 2, "00:1a:2b:3c:4d:5e"});
               },
               {}, "00-1A-2B-3C-4D-5E"},
        IdCase{"all-zero first adapter: the next one",
               [](FakeSystem &s) {
                   s.addAdapter({"eth0", 2, "00:00:00:00:00:00"});
                   s.addAdapter({"eth1", 3, "0a:0b:0c:0d:0e:0f"});
               },
               {}, "0A-0B-0C-0D-0E-0F"},
        IdCase{"every adapter all zeros",
               [](FakeSystem &s) {
                   s.addAdapter({"eth0", 2, "00:00:00:00:00:00"});
                   s.addAdapter({"eth1", 3, "00:00:00:00:00:00"});
                   s.addAdapter({"br0", 4, "00:00:00:00:00:00", false});
               },
               {}, kZeros},
        IdCase{"hardware adapters before others, then interface index order",
               [](FakeSystem &s) {
                   s.addAdapter({"lo", 1, "00:00:00:00:00:00", false, "772"});
                   s.addAdapter({"docker0", 2, "02:42:ac:11:00:02", false});
                   s.addAdapter({"wlan0", 5, "aa:bb:cc:dd:ee:ff"});
                   s.addAdapter({"eth0", 3, "11:22:33:44:55:66"});
               },
               {}, "11-22-33-44-55-66"},
        IdCase{"non-hardware adapter after all-zero hardware ones",
               [](FakeSystem &s) {
                   s.addAdapter({"eth0", 3, "00:00:00:00:00:00"});
                   s.addAdapter({"br0", 2, "02:42:ac:11:00:02", false});
               },
               {}, "02-42-AC-11-00-02"},
        IdCase{"loopback and adapters without six-byte addresses are skipped",
               [](FakeSystem &s) {
                   s.addAdapter({"lo", 1, "00:00:00:00:00:00", false, "772"});
                   s.addAdapter({"tun0", 2, "", false, "65534"});
                   s.addAdapter({"ib0", 3, QByteArray(59, 'a'), true, "32"});
               },
               {}, ""},
        IdCase{"unreadable first adapter with nothing found ends the walk",
               [](FakeSystem &s) {
                   s.addAdapter({"eth0", 2, QByteArray()});
                   s.addAdapter({"eth1", 3, "0a:0b:0c:0d:0e:0f"});
               },
               {}, ""},
        IdCase{"unreadable adapter after an all-zero one keeps the zeros and goes on",
               [](FakeSystem &s) {
                   s.addAdapter({"eth0", 2, "00:00:00:00:00:00"});
                   s.addAdapter({"eth1", 3, "garbage"});
                   s.addAdapter({"eth2", 4, "0a:0b:0c:0d:0e:0f"});
               },
               {}, "0A-0B-0C-0D-0E-0F"},
        IdCase{"nothing at all", [](FakeSystem &) {}, {}, ""},
        IdCase{"alias replaces the identifier",
               [](FakeSystem &s) { s.addDisk({.name = "sda", .serial = " wd-abc 123 "}); },
               AliasTable{{"OTHER", "111111111111"}, {"WD-ABC123", "123456789012"}}, "123456789012"},
        IdCase{"alias key written in lower case still matches",
               [](FakeSystem &s) { s.addDisk({.name = "sda", .serial = "WD-ABC123"}); },
               AliasTable{{"wd-abc123", "123456789012"}}, "123456789012"},
        IdCase{"alias for an adapter address",
               [](FakeSystem &s) { s.addAdapter({"eth0", 2, "00:00:00:00:00:00"}); },
               AliasTable{{kZeros, "000000000001"}}, "000000000001"},
        IdCase{"alias table without a match changes nothing",
               [](FakeSystem &s) { s.addDisk({.name = "sda", .serial = "WD-ABC123"}); },
               AliasTable{{"WD-ABC12", "123456789012"}}, "WD-ABC123"}));

TEST(ComputerId, EmptyAliasTableChangesNothing)
{
    for (const QString &id : {QStringLiteral("WD-ABC123"), kZeros, QString()})
        EXPECT_EQ(FinishComputerId(id, {}), id);
    EXPECT_EQ(FinishComputerId(QStringLiteral(" A B "), {}), QStringLiteral("AB"));
}

TEST(ComputerId, LiveMachineGivesNormalisedText)
{
    // Whatever this machine reports, it must already be in final form.
    const QString id = GetComputerId();
    EXPECT_FALSE(id.contains(QLatin1Char(' ')));
    for (QChar c : id) EXPECT_FALSE(c.unicode() >= 'a' && c.unicode() <= 'z') << id.toStdString();
}

TEST(MachineName, HostNameRule)
{
    const struct {
        const char *host;
        const char *expected;
    } cases[] = {
        {"kasa1", "kasa1"},
        {"DESKTOP-ABCDEFGH", "DESKTOP-ABCDEFG"},  // 16 -> 15
        {"exactly15chars_", "exactly15chars_"},
        {"depo.tarsel.local", "depo"},
        {"averyveryverylonghostname.example.com", "averyveryverylo"},
        {"", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(MachineNameFromHostName(QString::fromLatin1(c.host)), QString::fromLatin1(c.expected)) << c.host;
    EXPECT_LE(GetMachineName().size(), 15);
}

TEST(OsUserName, LongerThan15GivesEmpty)
{
    EXPECT_EQ(AcceptOsUserName(QStringLiteral("ahmet")), QStringLiteral("ahmet"));
    EXPECT_EQ(AcceptOsUserName(QStringLiteral("fifteen_chars_x")), QStringLiteral("fifteen_chars_x"));
    EXPECT_EQ(AcceptOsUserName(QStringLiteral("sixteen_chars_xx")), QString());
    EXPECT_EQ(AcceptOsUserName(QString()), QString());
    EXPECT_LE(GetOsUserName().size(), 15);
}

TEST(LocalIPv4, IsDottedDecimal)
{
    const QString ip = GetLocalIPv4();
    in_addr addr{};
    EXPECT_EQ(inet_pton(AF_INET, ip.toLatin1().constData(), &addr), 1) << ip.toStdString();
}

}  // namespace
