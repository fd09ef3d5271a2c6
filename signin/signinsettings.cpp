#include "signin/signinsettings.h"

#include "signin/inifile.h"
#include "util/folders.h"

namespace tarsel {

QString SignInSettingsPath() { return GetAppDataFolder() + QLatin1Char('/') + kSignInSettingsFile; }

RememberedSignIn LoadSignInSettings(const QString &path, QString *error)
{
    RememberedSignIn r;
    const std::optional<IniFile> ini = IniFile::Load(path, error);
    if (!ini) return r;
    r.fileFound = true;
    r.remember = ini->readBool(kSignInSection, kSignInKeyRemember, true);
    if (r.remember) {
        r.name = ini->readString(kSignInSection, kSignInKeyName);
        r.password = ini->readString(kSignInSection, kSignInKeyPassword);
    }
    return r;
}

bool SaveSignInSettings(const QString &path, const QString &name, const QString &password, bool remember,
                        QString *error)
{
    QString readError;
    IniFile ini = IniFile::Load(path, &readError).value_or(IniFile());
    ini.writeString(kSignInSection, kSignInKeyName, name);
    ini.writeString(kSignInSection, kSignInKeyPassword, password);
    ini.writeBool(kSignInSection, kSignInKeyRemember, remember);
    return ini.save(path, error);
}

}  // namespace tarsel
