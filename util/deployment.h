#pragma once
// Deployment settings: where the application server and the seller's web
// services are, and the computer-identifier aliases.
//
// One INI file beside the program, "tarselb2b.conf" (the environment variable
// TARSEL_CONFIG names another file instead). A missing file gives the
// defaults; a value that cannot be used falls back to its default and the
// reason is kept in `warnings`. See util/tarselb2b.conf.example.

#include <QMap>
#include <QString>
#include <QStringList>

namespace tarsel {

struct DeploymentSettings {
    QString serverHost = QStringLiteral("127.0.0.1");
    int serverPort = 9090;
    int connectTimeoutMs = 2000;
    // Base addresses end with "/"; pages are appended to them.
    QString webSiteBase = QStringLiteral("http://127.0.0.1:9091/");
    QString outsideAddressBase = QStringLiteral("http://127.0.0.1:9091/");  // + "ip.php"
    QString downloadUrl = QStringLiteral("http://127.0.0.1:9091/TarselSetup");
    // Computer identifier -> fixed identifier (group [aliases]).
    QMap<QString, QString> aliases;

    // Where the values came from and what was ignored; for diagnostics only.
    QString sourcePath;
    bool fileFound = false;
    QStringList warnings;

    // Same as tarsel::Deployment().
    static const DeploymentSettings &Deployment();
};

// The settings of this process, read once on first use (thread-safe).
const DeploymentSettings &Deployment();

// The file the process reads: $TARSEL_CONFIG when set and not empty, else
// "tarselb2b.conf" in the folder of the program.
QString DeploymentSettingsPath();

// Reads one settings file; never throws.
DeploymentSettings LoadDeploymentSettings(const QString &path);

}  // namespace tarsel
