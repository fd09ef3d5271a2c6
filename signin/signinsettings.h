#pragma once
// The settings file of the sign-in: "ayar.ini" in the application-data folder,
// section "kullanici", keys "isim" (user name as typed), "sifre" (password as
// typed, plain text) and "hatırla" ("1"/"0": remember me). The file is
// readable by its owner only (0600); it still holds the password in plain
// text, as the sign-in has always stored it.

#include <QString>

namespace tarsel {

inline const QString kSignInSettingsFile = QStringLiteral("ayar.ini");
inline const QString kSignInSection = QStringLiteral("kullanici");
inline const QString kSignInKeyName = QStringLiteral("isim");
inline const QString kSignInKeyPassword = QStringLiteral("sifre");
inline const QString kSignInKeyRemember = QStringLiteral("hatırla");

// GetAppDataFolder() + "/ayar.ini".
QString SignInSettingsPath();

struct RememberedSignIn {
    bool fileFound = false;
    bool remember = true;  // the check box; checked when the file is missing
    QString name;          // filled only when remember is true
    QString password;
};

// Reads the file as the sign-in window does on creation: a missing file
// changes nothing (box checked, fields empty); otherwise "hatırla" (default
// true; any whole number other than 0 is true) and, when it is true, "isim"
// and "sifre". An unreadable file is treated as missing, with the reason in
// *error.
RememberedSignIn LoadSignInSettings(const QString &path, QString *error = nullptr);

// Writes the three keys (other content of the file is kept). False with the
// reason in *error when the file cannot be written.
bool SaveSignInSettings(const QString &path, const QString &name, const QString &password, bool remember,
                        QString *error = nullptr);

}  // namespace tarsel
