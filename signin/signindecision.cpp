#include "signin/signindecision.h"

#include "remote/baglantiu.h"

namespace tarsel {

SignInDecision DecideSignIn(bool lookupFailed, const TSonucBilgisi &record, const QString &typedName,
                            const QString &typedPassword, bool updateRefused)
{
    if (lookupFailed) return SignInDecision::LookupFailed;
    if (!updateRefused && record.Version() != kClientVersion) return SignInDecision::SelfUpdate;
    if (!record.Varmi()) return SignInDecision::UnknownMachine;
    if (record.ADI() == typedName && record.SIFRE() == typedPassword)
        return record.AKTIF() == 1 ? SignInDecision::Accepted : SignInDecision::Inactive;
    return SignInDecision::WrongCredentials;
}

QString SignInCapitals(const QString &typed)
{
    // Letters become capitals by the Unicode rules (i and ı become I, ş Ş...);
    // the server's user names are written that way.
    return typed.toUpper();
}

}  // namespace tarsel
