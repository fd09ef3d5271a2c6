#pragma once
// What the sign-in does with the user record the server returned for this
// machine, in the order the checks are made.

#include <QString>

namespace tarsel {

class TSonucBilgisi;

// This client's program version; another version on the server's record
// forces the self-update.
inline constexpr int kClientVersion = 8;

// Texts of the sign-in.
inline const QString kSignInCaption = QStringLiteral("Giriş");
inline const QString kSignInButton = QStringLiteral("Giriş");
inline const QString kSignInButtonBusy = QStringLiteral("Bağlanıyor...");
inline const QString kSignInButtonAfterQuery = QStringLiteral("Giriş!");
inline const QString kMsgEnterUserName = QStringLiteral("Lütfen kullanıcı adını giriniz !");
inline const QString kMsgEnterPassword = QStringLiteral("Lütfen kullanıcı şifresini giriniz !");
inline const QString kMsgNoOutsideAddress = QStringLiteral("Bağlantı Kurulamıyor Lütfen Tekrar Deneyiniz !");
inline const QString kMsgLookupFailed = QStringLiteral("Bağlantı Kurulamadı !");
inline const QString kMsgWrongCredentials = QStringLiteral("Kullanıcı Adı ve Şifre Hatalı Lütfen Tekrar Deneyiniz !");

enum class SignInDecision {
    LookupFailed,      // "Bağlantı Kurulamadı !"
    SelfUpdate,        // the record's Version is not this client's
    UnknownMachine,    // Varmi false: the request page, then the end
    Accepted,          // credentials match and the user is active
    Inactive,          // credentials match, AKTIF is not 1 (settings still written)
    WrongCredentials,  // user name or password differ
};

// The decision table. `updateRefused` skips the version check (the
// self-update window returned instead of ending the program).
// Credentials are compared exactly: case-sensitive, untrimmed.
SignInDecision DecideSignIn(bool lookupFailed, const TSonucBilgisi &record, const QString &typedName,
                            const QString &typedPassword, bool updateRefused = false);

// The settings file is written for both decisions whose credentials match.
inline bool WritesSettings(SignInDecision d)
{
    return d == SignInDecision::Accepted || d == SignInDecision::Inactive;
}

// Sales staff (user types 1 and 2) choose a customer account after signing in.
inline bool IsSalesStaff(int userType) { return userType == 1 || userType == 2; }

// The typed user name and password are shown and kept in capitals.
QString SignInCapitals(const QString &typed);

}  // namespace tarsel
