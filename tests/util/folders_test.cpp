// Per-user folders.

#include "util/folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

using namespace tarsel;

namespace {

// Points the XDG folders into a temporary home for the duration of a test.
class FoldersTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        for (const char *var : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "HOME"})
            saved.push_back({var, qEnvironmentVariable(var), qEnvironmentVariableIsSet(var)});
        setenv("HOME", home.path().toLocal8Bit().constData(), 1);
        setenv("XDG_CONFIG_HOME", (home.path() + "/conf").toLocal8Bit().constData(), 1);
        setenv("XDG_DATA_HOME", (home.path() + "/data").toLocal8Bit().constData(), 1);
    }
    void TearDown() override
    {
        for (const auto &s : saved) {
            if (s.wasSet)
                setenv(s.name, s.value.toLocal8Bit().constData(), 1);
            else
                unsetenv(s.name);
        }
    }
    struct Saved {
        const char *name;
        QString value;
        bool wasSet;
    };
    std::vector<Saved> saved;
    QTemporaryDir home;
};

TEST_F(FoldersTest, AppDataFolderIsCreatedWithoutTrailingSeparator)
{
    const QString expected = home.path() + QStringLiteral("/conf/tarselotomotiv");
    ASSERT_FALSE(QFileInfo::exists(expected));
    EXPECT_EQ(GetAppDataFolder(), expected);
    EXPECT_TRUE(QFileInfo(expected).isDir());
    EXPECT_EQ(GetAppDataFolder(), expected);  // existing folder: same answer
}

TEST_F(FoldersTest, AppDataPathReturnedEvenWhenItCannotBeCreated)
{
    // The configuration folder is a plain file, so nothing can be created below it.
    QFile blocker(home.path() + QStringLiteral("/conf"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_EQ(GetAppDataFolder(), home.path() + QStringLiteral("/conf/tarselotomotiv"));
    EXPECT_FALSE(QFileInfo(home.path() + QStringLiteral("/conf/tarselotomotiv")).isDir());
}

TEST_F(FoldersTest, LocalAppDataAndDocuments)
{
    EXPECT_EQ(GetLocalAppDataFolder(), home.path() + QStringLiteral("/data"));
    const QString docs = GetDocumentsFolder();
    EXPECT_FALSE(docs.endsWith(QLatin1Char('/')));
    EXPECT_EQ(docs, QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)));
    EXPECT_TRUE(docs.startsWith(home.path())) << docs.toStdString();
}

}  // namespace
