// Deployment settings file.

#include "util/deployment.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

using namespace tarsel;

namespace {

class DeploymentTest : public ::testing::Test {
protected:
    QString writeConf(const QByteArray &content)
    {
        const QString path = dir.filePath(QStringLiteral("tarselb2b.conf"));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content);
        return path;
    }
    QTemporaryDir dir;
};

void ExpectDefaults(const DeploymentSettings &d)
{
    const DeploymentSettings defaults;
    EXPECT_EQ(d.serverHost, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(d.serverPort, 9090);
    EXPECT_EQ(d.connectTimeoutMs, 2000);
    EXPECT_EQ(d.webSiteBase, QStringLiteral("http://127.0.0.1:9091/"));
    EXPECT_EQ(d.outsideAddressBase, QStringLiteral("http://127.0.0.1:9091/"));
    EXPECT_EQ(d.downloadUrl, QStringLiteral("http://127.0.0.1:9091/TarselSetup"));
    EXPECT_TRUE(d.aliases.isEmpty());
}

TEST_F(DeploymentTest, MissingFileGivesDefaults)
{
    const DeploymentSettings d = LoadDeploymentSettings(dir.filePath(QStringLiteral("none.conf")));
    ExpectDefaults(d);
    EXPECT_FALSE(d.fileFound);
    EXPECT_TRUE(d.warnings.isEmpty());
}

TEST_F(DeploymentTest, ReadsEveryKey)
{
    const DeploymentSettings d = LoadDeploymentSettings(writeConf(
        "serverHost = b2b.tarsel.example\n"
        "serverPort=9190\n"
        "connectTimeoutMs=3500\n"
        "webSiteBase=https://www.tarsel.example/b2b\n"
        "outsideAddressBase=http://ip.tarsel.example/\n"
        "downloadUrl=https://www.tarsel.example/indir/TarselSetup.exe\n"
        "\n"
        "[aliases]\n"
        "S3Z9NB0K123456=100000000001\n"
        "wd-abc123 = 100000000002\n"
        "0A1B_2C3D_4E5F_6071_8293_A4B5_C6D7_E8F9.=100000000003\n"));
    EXPECT_TRUE(d.fileFound);
    EXPECT_TRUE(d.warnings.isEmpty()) << d.warnings.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(d.serverHost, QStringLiteral("b2b.tarsel.example"));
    EXPECT_EQ(d.serverPort, 9190);
    EXPECT_EQ(d.connectTimeoutMs, 3500);
    EXPECT_EQ(d.webSiteBase, QStringLiteral("https://www.tarsel.example/b2b/"));  // base gets its "/"
    EXPECT_EQ(d.outsideAddressBase, QStringLiteral("http://ip.tarsel.example/"));
    EXPECT_EQ(d.downloadUrl, QStringLiteral("https://www.tarsel.example/indir/TarselSetup.exe"));
    const QMap<QString, QString> expected{
        {QStringLiteral("S3Z9NB0K123456"), QStringLiteral("100000000001")},
        {QStringLiteral("WD-ABC123"), QStringLiteral("100000000002")},
        {QStringLiteral("0A1B_2C3D_4E5F_6071_8293_A4B5_C6D7_E8F9."), QStringLiteral("100000000003")},
    };
    EXPECT_EQ(d.aliases, expected);
}

TEST_F(DeploymentTest, SettingsInTheGeneralSectionAreReadToo)
{
    const DeploymentSettings d = LoadDeploymentSettings(writeConf("[General]\nserverPort=9999\n"));
    EXPECT_EQ(d.serverPort, 9999);
}

TEST_F(DeploymentTest, GarbageFallsBackToDefaults)
{
    const struct {
        const char *line;
    } cases[] = {
        {"serverPort=abc"},        {"serverPort=0"},          {"serverPort=70000"},
        {"serverPort=90.5"},       {"connectTimeoutMs=-5"},   {"connectTimeoutMs=0"},
        {"connectTimeoutMs=lots"}, {"webSiteBase=ftp://tarsel.example/"},
        {"outsideAddressBase=not an address"}, {"downloadUrl=http://"},
        {"serverHost="},           {"serverHost=two words"},
    };
    for (const auto &c : cases) {
        const DeploymentSettings d = LoadDeploymentSettings(writeConf(QByteArray(c.line) + "\n"));
        ExpectDefaults(d);
        EXPECT_EQ(d.warnings.size(), 1) << c.line;
    }
}

TEST_F(DeploymentTest, GoodValuesSurviveBadNeighbours)
{
    const DeploymentSettings d =
        LoadDeploymentSettings(writeConf("serverPort=abc\nserverHost=10.0.0.5\nconnectTimeoutMs=-1\n"));
    EXPECT_EQ(d.serverHost, QStringLiteral("10.0.0.5"));
    EXPECT_EQ(d.serverPort, 9090);
    EXPECT_EQ(d.connectTimeoutMs, 2000);
    EXPECT_EQ(d.warnings.size(), 2);
}

TEST_F(DeploymentTest, AddressWithCommaIsOneValue)
{
    // The INI reader would split a comma-separated value into a list.
    const DeploymentSettings d = LoadDeploymentSettings(writeConf("downloadUrl=http://x.example/a,b\n"));
    EXPECT_EQ(d.downloadUrl, QStringLiteral("http://x.example/a,b"));
}

TEST_F(DeploymentTest, EmptyAliasEntriesAreIgnored)
{
    const DeploymentSettings d = LoadDeploymentSettings(writeConf("[aliases]\nABC=\n"));
    EXPECT_TRUE(d.aliases.isEmpty());
    EXPECT_EQ(d.warnings.size(), 1);
}

TEST_F(DeploymentTest, ShippedExampleIsValid)
{
    const DeploymentSettings d =
        LoadDeploymentSettings(QStringLiteral(TARSEL_UTIL_SOURCE_DIR "/tarselb2b.conf.example"));
    EXPECT_TRUE(d.fileFound);
    EXPECT_TRUE(d.warnings.isEmpty()) << d.warnings.join(QLatin1Char('\n')).toStdString();
    ExpectDefaults(d);
}

TEST_F(DeploymentTest, PathBesideTheProgramOrFromTheEnvironment)
{
    const QByteArray saved = qgetenv("TARSEL_CONFIG");
    unsetenv("TARSEL_CONFIG");
    const QString besideProgram = DeploymentSettingsPath();
    EXPECT_TRUE(besideProgram.endsWith(QLatin1String("/tarselb2b.conf")));
    EXPECT_EQ(QFileInfo(besideProgram).absolutePath(), QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath());

    setenv("TARSEL_CONFIG", "/etc/tarsel/other.conf", 1);
    EXPECT_EQ(DeploymentSettingsPath(), QStringLiteral("/etc/tarsel/other.conf"));
    if (saved.isNull())
        unsetenv("TARSEL_CONFIG");
    else
        setenv("TARSEL_CONFIG", saved.constData(), 1);
}

}  // namespace
