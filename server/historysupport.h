#pragma once
// Helpers of the history group (historymethods.cpp, historyreports.cpp):
// OLE automation dates, the caller behind a session record, search text
// folding, order states.

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

namespace tarsel {
class TSonucBilgisi;
}

namespace tarsel::server {

class Db;

namespace history {

// ---- dates ---------------------------------------------------------------
// Dates travel as OLE automation day numbers: whole days since 1899-12-30,
// the time of day as the fraction. The database keeps moments (order times)
// as UTC text "YYYY-MM-DD HH:MM:SS" and days (account movements) as
// "YYYY-MM-DD"; the client sees moments in the server's local time.

inline constexpr double kOleFirstDay = 2.0;        // 1900-01-01
inline constexpr double kOleLastDay = 2958465.0;   // 9999-12-31

double OleFromDateTime(const QDateTime &local);
QDateTime DateTimeFromOle(double day);  // local time
QDate DateFromOle(double day);          // the calendar day (time of day dropped)

// A stored UTC moment in local time; invalid for an empty or unreadable text.
QDateTime LocalFromUtcText(const QString &text);
// A stored day ("YYYY-MM-DD"); invalid for an empty or unreadable text.
QDate DateFromDayText(const QString &text);
QString UtcTextFromLocal(const QDateTime &local);  // "YYYY-MM-DD HH:MM:SS" in UTC
QString DayText(const QDate &date);                // "YYYY-MM-DD"

// A report range of whole local calendar days, first to last. Stored UTC
// moments m on those days satisfy fromUtc <= m < toUtc; stored days d
// satisfy fromDay <= d < toDay. Throws MethodError for a day number outside
// the calendar, or a first day after the last.
struct DayRange {
    QDate first, last;
    QString fromUtc, toUtc;
    QString fromDay, toDay;
};
DayRange CalendarDays(double tarih1, double tarih2);
// Checks one day number the same way and returns its calendar day.
QDate CalendarDay(double tarih);

// ---- the caller ----------------------------------------------------------
// The user behind a session record, as the database knows it (the record's
// own user type and account are not trusted). Throws MethodError when the
// record is missing, names no user, or the user may not sign in.
struct Caller {
    qint64 sirano = 0;
    QString name;
    int type = 0;          // 1, 2 sales staff; 3, 4 customer users
    int carino = 0;        // a customer user's own account, 0 for staff
    qint64 saticiNo = 0;   // the user's salesperson, 0 when none
    bool isStaff() const { return type == 1 || type == 2; }
};
Caller ResolveCaller(Db &db, const TSonucBilgisi *record);

// The account a caller works for: staff any existing account, a customer
// user only their own. Throws MethodError otherwise.
void CheckAccountAccess(Db &db, const Caller &caller, int carino);

// Throws MethodError when the account does not exist.
void CheckAccountExists(Db &db, int carino);

// ---- search --------------------------------------------------------------
// Search folding: upper case with Turkish rules, then the dotted and dotless
// I and the letters with marks reduced to their plain Latin letter, blanks
// collapsed. "Özkan oto", "OZKAN OTO" and "özkan  otö" fold alike.
QString FoldForSearch(const QString &text);
// The words of a folded search text.
QStringList SearchWords(const QString &text);

// ---- order states ----------------------------------------------------------
// The states of an order (order_states), in processing order; the customer
// console numbers its lists the same way (1 is the basket).
inline constexpr int kStateReceived = 2;     // Alındı
inline constexpr int kStateApproved = 3;     // Onaylandı
inline constexpr int kStateSeen = 4;         // Görüldü
inline constexpr int kStatePartlyReady = 5;  // Parçalı Hazırlandı
inline constexpr int kStateReady = 6;        // Hazırlandı
inline constexpr int kStateShipped = 7;      // Sevk Edildi

}  // namespace history
}  // namespace tarsel::server
