// Server configuration: defaults, the INI file, command-line overrides and
// refused values.

#include "server/config.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace tarsel::server;

namespace {

class ConfigTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        emptyConf_ = dir_.filePath("empty.conf");
        writeFile(emptyConf_, "");
    }
    void writeFile(const QString &path, const QByteArray &text)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    ConfigResult parse(QStringList args)
    {
        args.prepend("tarsel-server");
        return ParseServerConfig(args);
    }
    QTemporaryDir dir_;
    QString emptyConf_;
};

TEST_F(ConfigTest, DefaultsWithoutFileOrOptions)
{
    const ConfigResult r = parse({"--config", emptyConf_});
    ASSERT_EQ(r.status, ConfigResult::Status::Ok) << r.message.toStdString();
    const ServerConfig &c = r.config;
    EXPECT_EQ(c.command, ServerCommand::Serve);
    EXPECT_EQ(c.listenAddress, "0.0.0.0");
    EXPECT_EQ(c.port, 9090);
    EXPECT_EQ(c.webPort, 9091);
    EXPECT_EQ(c.threads, 2);
    EXPECT_EQ(c.dbThreads, 0);
    EXPECT_EQ(c.bodyLimit, 16 * 1024 * 1024);
    EXPECT_EQ(c.readTimeoutSec, 30);
    EXPECT_EQ(c.queueLimit, 10000);
    EXPECT_TRUE(c.dataDir.endsWith("/tarsel-server")) << c.dataDir.toStdString();
    EXPECT_EQ(c.dbConnection, "sqlite:" + c.dataDir + "/tarsel.db");
    EXPECT_EQ(c.configFile, QFileInfo(emptyConf_).absoluteFilePath());

    const HttpServerOptions h = c.httpOptions();
    EXPECT_EQ(h.address, "0.0.0.0");
    EXPECT_EQ(h.port, 9090);
    EXPECT_EQ(h.threads, 2);
    EXPECT_EQ(h.bodyLimit, 16u * 1024 * 1024);
    EXPECT_EQ(h.readTimeout, std::chrono::seconds(30));
    EXPECT_EQ(c.dbPoolOptions().maxQueue, 10000u);
}

TEST_F(ConfigTest, CommandLineOptionsAreApplied)
{
    const ConfigResult r = parse({"migrate", "--config", emptyConf_, "--listen", "127.0.0.1", "--port=0",
                                  "--web-port", "8081", "--db", "postgres://u:p@h/d", "--data-dir", "/srv/tarsel",
                                  "--threads", "4", "--db-threads", "8", "--body-limit", "512K", "--read-timeout",
                                  "5", "--queue-limit", "50", "--shutdown-grace", "3"});
    ASSERT_EQ(r.status, ConfigResult::Status::Ok) << r.message.toStdString();
    const ServerConfig &c = r.config;
    EXPECT_EQ(c.command, ServerCommand::Migrate);
    EXPECT_EQ(c.listenAddress, "127.0.0.1");
    EXPECT_EQ(c.port, 0);
    EXPECT_EQ(c.webPort, 8081);
    EXPECT_EQ(c.dbConnection, "postgres://u:p@h/d");
    EXPECT_EQ(c.dataDir, "/srv/tarsel");
    EXPECT_EQ(c.threads, 4);
    EXPECT_EQ(c.dbThreads, 8);
    EXPECT_EQ(c.bodyLimit, 512 * 1024);
    EXPECT_EQ(c.readTimeoutSec, 5);
    EXPECT_EQ(c.queueLimit, 50);
    EXPECT_EQ(c.shutdownGraceSec, 3);
}

TEST_F(ConfigTest, FileSettingsApplyAndCommandLineWins)
{
    const QString conf = dir_.filePath("sub/tarsel-server.conf");
    QDir().mkpath(dir_.filePath("sub"));
    writeFile(conf, "[server]\nlisten=::1\nport=7000\nthreads=3\nbody_limit=2M\nread_timeout=9\n"
                    "[database]\nconnection=\"postgres://tarsel:a,b@db/tarsel\"\nthreads=6\nqueue_limit=77\n"
                    "[paths]\ndata_dir=veri\n"
                    "[eski]\nanahtar=1\n");
    const ConfigResult r = parse({"--config", conf, "--port", "7001"});
    ASSERT_EQ(r.status, ConfigResult::Status::Ok) << r.message.toStdString();
    const ServerConfig &c = r.config;
    EXPECT_EQ(c.listenAddress, "::1");
    EXPECT_EQ(c.port, 7001);
    EXPECT_EQ(c.threads, 3);
    EXPECT_EQ(c.bodyLimit, 2 * 1024 * 1024);
    EXPECT_EQ(c.readTimeoutSec, 9);
    EXPECT_EQ(c.dbConnection, "postgres://tarsel:a,b@db/tarsel");
    EXPECT_EQ(c.dbThreads, 6);
    EXPECT_EQ(c.queueLimit, 77);
    EXPECT_EQ(c.dataDir, dir_.filePath("sub/veri"));  // relative to the file's folder
    ASSERT_EQ(r.warnings.size(), 1);
    EXPECT_TRUE(r.warnings.front().contains("eski/anahtar"));
}

TEST_F(ConfigTest, BadValuesAreRefusedWithAMessage)
{
    const QString badFile = dir_.filePath("bad.conf");
    writeFile(badFile, "[server]\nport=yetmis\n");
    const QStringList cases[] = {
        {"--port", "abc"},
        {"--port", "65536"},
        {"--port", "-1"},
        {"--web-port", "x"},
        {"--threads", "0"},
        {"--db-threads", "-2"},
        {"--body-limit", "5X"},
        {"--body-limit", "0"},
        {"--read-timeout", "0"},
        {"--listen", "localhost:80"},
        {"--db", "mysql://h/d"},
        {"--db", ""},
        {"--data-dir", ""},
        {"--bogus", "1"},
        {"--port"},
        {"serve", "migrate"},
        {"durdur"},
        {"--config", "/nonexistent/x.conf"},
        {"--config", badFile},
    };
    for (const QStringList &args : cases) {
        SCOPED_TRACE(args.join(' ').toStdString());
        QStringList full = args;
        if (!args.contains("--config"))
            full << "--config" << emptyConf_;
        const ConfigResult r = parse(full);
        EXPECT_EQ(r.status, ConfigResult::Status::Error);
        EXPECT_FALSE(r.message.isEmpty());
    }
}

TEST_F(ConfigTest, HelpAndVersion)
{
    EXPECT_EQ(parse({"--help"}).status, ConfigResult::Status::Help);
    EXPECT_TRUE(parse({"-h"}).message.contains("--read-timeout"));
    EXPECT_EQ(parse({"--version"}).status, ConfigResult::Status::Version);
}

TEST(ByteSize, SuffixesAndRefusals)
{
    const struct {
        const char *text;
        qint64 value;
    } ok[] = {{"0", 0}, {"1048576", 1048576}, {"512K", 512 * 1024}, {"16m", 16 * 1024 * 1024},
              {" 2G ", qint64(2) * 1024 * 1024 * 1024}, {"3 M", 3 * 1024 * 1024}};
    for (const auto &c : ok) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseByteSize(c.text), c.value);
    }
    for (const char *bad : {"", "K", "-1", "1.5M", "12T", "abc", "99999999999999999999"})
        EXPECT_FALSE(ParseByteSize(bad).has_value()) << bad;
}

} // namespace
