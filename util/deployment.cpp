#include "util/deployment.h"

#include "util/machineid.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSettings>
#include <QUrl>

namespace tarsel {

namespace {

// QSettings splits a value at commas into a list; a setting is one text.
QString readText(const QSettings &s, const QString &key)
{
    const QVariant v = s.value(key);
    if (v.typeId() == QMetaType::QStringList) return v.toStringList().join(QLatin1Char(','));
    return v.toString().trimmed();
}

void readInt(const QSettings &s, const QString &key, int min, int max, int &target,
             QStringList &warnings)
{
    if (!s.contains(key)) return;
    const QString text = readText(s, key);
    bool ok = false;
    const qlonglong v = text.toLongLong(&ok);
    if (!ok || v < min || v > max) {
        warnings << QStringLiteral("%1: \"%2\" is not a whole number from %3 to %4; using %5")
                        .arg(key, text).arg(min).arg(max).arg(target);
        return;
    }
    target = int(v);
}

void readUrl(const QSettings &s, const QString &key, bool isBase, QString &target,
             QStringList &warnings)
{
    if (!s.contains(key)) return;
    QString text = readText(s, key);
    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")) ||
        url.host().isEmpty()) {
        warnings << QStringLiteral("%1: \"%2\" is not an http or https address; using %3")
                        .arg(key, text, target);
        return;
    }
    if (isBase && !text.endsWith(QLatin1Char('/'))) text += QLatin1Char('/');
    target = text;
}

}  // namespace

DeploymentSettings LoadDeploymentSettings(const QString &path)
{
    DeploymentSettings d;
    d.sourcePath = path;
    if (path.isEmpty() || !QFileInfo(path).isFile()) return d;
    d.fileFound = true;

    QSettings s(path, QSettings::IniFormat);
    if (s.status() != QSettings::NoError) {
        d.warnings << QStringLiteral("%1: the file cannot be read (%2); using the defaults")
                          .arg(path, s.status() == QSettings::AccessError ? QStringLiteral("access error")
                                                                           : QStringLiteral("format error"));
        if (s.status() == QSettings::AccessError) return d;
    }

    if (s.contains(QStringLiteral("serverHost"))) {
        const QString host = readText(s, QStringLiteral("serverHost"));
        if (host.isEmpty() || host.contains(QLatin1Char(' ')) || host.contains(QLatin1Char('/')))
            d.warnings << QStringLiteral("serverHost: \"%1\" is not a host name or address; using %2")
                              .arg(host, d.serverHost);
        else
            d.serverHost = host;
    }
    readInt(s, QStringLiteral("serverPort"), 1, 65535, d.serverPort, d.warnings);
    readInt(s, QStringLiteral("connectTimeoutMs"), 1, 600000, d.connectTimeoutMs, d.warnings);
    readUrl(s, QStringLiteral("webSiteBase"), true, d.webSiteBase, d.warnings);
    readUrl(s, QStringLiteral("outsideAddressBase"), true, d.outsideAddressBase, d.warnings);
    readUrl(s, QStringLiteral("downloadUrl"), false, d.downloadUrl, d.warnings);

    s.beginGroup(QStringLiteral("aliases"));
    for (const QString &key : s.childKeys()) {
        const QString from = NormaliseAliasKey(key);
        const QString to = readText(s, key);
        if (from.isEmpty() || to.isEmpty()) {
            d.warnings << QStringLiteral("aliases: entry \"%1\" has no identifier or no replacement; ignored").arg(key);
            continue;
        }
        d.aliases.insert(from, to);
    }
    s.endGroup();
    return d;
}

QString DeploymentSettingsPath()
{
    const QString env = qEnvironmentVariable("TARSEL_CONFIG");
    if (!env.isEmpty()) return env;
    QString dir;
    if (QCoreApplication::instance())
        dir = QCoreApplication::applicationDirPath();
    else
        dir = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
    return dir + QLatin1String("/tarselb2b.conf");
}

const DeploymentSettings &Deployment()
{
    static const DeploymentSettings settings = LoadDeploymentSettings(DeploymentSettingsPath());
    return settings;
}

const DeploymentSettings &DeploymentSettings::Deployment()
{
    return tarsel::Deployment();
}

}  // namespace tarsel
