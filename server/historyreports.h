#pragma once
// The PDF reports of the customer console (RaporGetir):
//
//   raporno 6, carino > 0   "Cari Özeti": the account's card, its balance
//                           on the day tarih1 with the debt falling due and
//                           overdue, its movements of the 90 days up to
//                           that day, its orders by state and its
//                           outstanding order lines.
//   raporno 6, carino 0     "Cari Toplu Alacak Vadeleri": every account's
//                           balance on tarih1 split into not yet due and
//                           overdue by 1-30, 31-60, 61-90 and more than 90
//                           days; salesperson "." (or empty) means every
//                           account, a user's name (the client sends a type 1
//                           user's own name) or a salesperson's name that
//                           salesperson's accounts.
//   raporno 7               "Cari Alış Satış Tablosu (Satıcılı)": orders,
//                           invoices, returns and collections of the account
//                           (carino 0: of every account) from tarih1 to
//                           tarih2, month by month, per salesperson.
//
// Debt is aged first in, first out: every credit pays the oldest debit
// still open; a debit falls due on its movement's due date, else on its
// invoice date plus the invoice's term, else on its own date.

#include <QByteArray>
#include <QDate>
#include <QHash>
#include <QString>

#include <vector>

namespace tarsel::server {

class Db;

struct ReportRequest {
    int report = 0;   // raporno
    int section = 0;  // bolum: 0 or the report number (the whole report)
    int userId = 0;   // idno: the asking user, who must be sales staff
    int carino = 0;
    QString salesperson;
    double tarih1 = 0, tarih2 = 0;  // OLE automation day numbers
};

// The report as a PDF document. Throws MethodError for a request that
// names no report, an unknown account, user or salesperson, a user who is
// not sales staff, or wrong dates.
QByteArray MakeReportPdf(Db &db, const ReportRequest &request);

namespace history {

// One account's debt on a day, aged as described above. Amounts in TL,
// rounded to cents; overdue[0] is 1-30 days, [1] 31-60, [2] 61-90, [3] more.
struct Ageing {
    double balance = 0;   // debit less credit up to and including the day
    double notDue = 0;    // open debt not yet due
    double overdue[4] = {0, 0, 0, 0};
    QDate oldestDue;      // the oldest due date among the open debt that is overdue
    double overdueTotal() const { return overdue[0] + overdue[1] + overdue[2] + overdue[3]; }
};
Ageing AgeAccount(Db &db, int carino, const QDate &day, int defaultTerm);

// The same for every account at once (one pass over the movements), each
// with its own term (customers.vade_gun); onlyCarino > 0 limits it to one
// account. Accounts without movements are missing from the answer.
QHash<int, Ageing> AgeAccounts(Db &db, const QDate &day, int onlyCarino = 0);

}  // namespace history
}  // namespace tarsel::server
