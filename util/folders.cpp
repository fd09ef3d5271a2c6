#include "util/folders.h"

#include <QDir>
#include <QStandardPaths>

namespace tarsel {

namespace {

QString cleanFolder(const QString &path)
{
    if (path.isEmpty()) return {};
    QString p = QDir::cleanPath(path);  // also drops a trailing separator (except for "/")
    return p;
}

}  // namespace

QString GetDocumentsFolder()
{
    return cleanFolder(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
}

QString GetAppDataFolder()
{
    const QString base = cleanFolder(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
    if (base.isEmpty()) return {};
    const QString folder = base + QLatin1Char('/') + QLatin1String(kAppDataSubfolder);
    QDir().mkpath(folder);  // failure is reported by whoever opens a file in it
    return folder;
}

QString GetLocalAppDataFolder()
{
    return cleanFolder(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
}

}  // namespace tarsel
