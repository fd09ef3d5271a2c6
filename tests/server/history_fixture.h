#pragma once
// A demo tarsel-server for the history tests, called through the real
// client proxy, with a direct database connection beside it for checks that
// the protocol cannot see (rows left untouched by a refused edit).
//
// SQLite by default; when TARSEL_TEST_PG holds a PostgreSQL connection
// string the server runs on a fresh schema of that database, dropped again
// when the server object goes.

#include "remote/baglantiu.h"
#include "remote/dsconnection.h"
#include "remote/proxim.h"
#include "server/dbpool.h"
#include "tests/server/pgtest.h"
#include "tests/server/serverprocess.h"

#include <QDate>
#include <QDateTime>

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>
#include <optional>

namespace tarsel::test {

class HistoryServer {
public:
    HistoryServer()
    {
        QStringList args{"--demo", "--machine", "HIST-PC"};
        if (PgTestAvailable()) {
            pg_ = std::make_unique<PgTestSchema>();
            const QString base = PgTestConnectionString();
            args << "--db"
                 << base + (base.contains(QLatin1Char('?')) ? QStringLiteral("&") : QStringLiteral("?")) +
                        QStringLiteral("options=-csearch_path%3D") + pg_->name();
        }
        process.start(args);
        if (pg_) {
            EXPECT_NE(process.log().find("postgres"), std::string::npos) << "the server runs on PostgreSQL";
        }
        const server::DbSettings settings =
            pg_ ? pg_->settings()
                : server::ParseConnectionString(QStringLiteral("sqlite:") + process.databasePath());
        static int seq = 0;
        db_ = std::make_unique<server::Db>(settings, QStringLiteral("history-test-%1").arg(++seq));
    }
    ~HistoryServer()
    {
        db_.reset();
        EXPECT_EQ(process.stop(), 0) << process.log();
    }

    bool postgres() const { return pg_ != nullptr; }

    // A new open connection to the server.
    std::unique_ptr<DSConnection> connect() const
    {
        auto c = std::make_unique<DSConnection>();
        c->HostName = QStringLiteral("127.0.0.1");
        c->Port = QString::number(process.port());
        c->Open();
        return c;
    }

    // The session record of a demo user, as the sign-in receives it.
    TSonucBilgisi session(const QString &machine) const
    {
        auto c = connect();
        TServerMethods1Client proxy(*c);
        TSonucBilgisi *rec = proxy.BuyukGetir(machine);
        if (!rec || rec->Sirano() <= 0) throw std::runtime_error("no demo user on " + machine.toStdString());
        return *rec;
    }
    TSonucBilgisi dealer() const { return session(QStringLiteral("DEMO-BAYI")); }      // type 3, 1201
    TSonucBilgisi dealer4() const { return session(QStringLiteral("DEMO-BAYI4")); }    // type 4, 1202
    TSonucBilgisi sales() const { return session(QStringLiteral("DEMO-SATIS")); }      // type 1
    TSonucBilgisi manager() const { return session(QStringLiteral("DEMO-TEMSILCI")); } // type 2

    server::Db &db() { return *db_; }

    ServerProcess process;

private:
    std::unique_ptr<PgTestSchema> pg_;
    std::unique_ptr<server::Db> db_;
};

// The session record of `base` working for another account.
inline std::unique_ptr<TSonucBilgisi> WorkingFor(const TSonucBilgisi &base, int carino)
{
    auto copy = CopyOf(base);
    copy->setCARINO(carino);
    return copy;
}

// OLE automation day number of a calendar day.
inline double OleDay(const QDate &d) { return double(QDate(1899, 12, 30).daysTo(d)); }

inline QDate DayOfOle(double v) { return QDate(1899, 12, 30).addDays(qint64(std::floor(v))); }

// Runs a call that must fail and returns the server's text.
template <class F> std::string ErrorOf(F &&call)
{
    try {
        call();
    } catch (const RemoteError &e) {
        return e.what();
    } catch (const std::exception &e) {
        return std::string("unexpected error kind: ") + e.what();
    }
    return "(no error)";
}

inline double Cents(double v) { return std::round(v * 100.0) / 100.0; }

}  // namespace tarsel::test
