// The process reads its deployment settings once, from $TARSEL_CONFIG.

#include "util/deployment.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

using namespace tarsel;

namespace {

void Write(const QString &path, const QByteArray &content)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
}

TEST(Deployment, ReadOnceFromTheNamedFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tarselb2b.conf"));
    Write(path, "serverHost=10.1.2.3\nserverPort=9555\n[aliases]\nabc=123456789012\n");
    setenv("TARSEL_CONFIG", path.toLocal8Bit().constData(), 1);

    const DeploymentSettings &d = Deployment();
    EXPECT_EQ(d.serverHost, QStringLiteral("10.1.2.3"));
    EXPECT_EQ(d.serverPort, 9555);
    EXPECT_EQ(d.aliases.value(QStringLiteral("ABC")), QStringLiteral("123456789012"));
    EXPECT_EQ(&DeploymentSettings::Deployment(), &d);

    Write(path, "serverPort=9556\n");
    EXPECT_EQ(Deployment().serverPort, 9555);  // not read again
    unsetenv("TARSEL_CONFIG");
}

}  // namespace
