#pragma once
// Shared pieces of the statement, documents and promotion tests: a
// QGuiApplication for the whole run (pictures are decoded, PostgreSQL needs
// Qt SQL), one demo server per database kind started on first use and
// stopped at the end, and small helpers around the client proxy.
//
// Tests are parameterised by Backend: SQLite always; PostgreSQL when
// TARSEL_TEST_PG holds a connection string (skipped otherwise).

#include "remote/dsconnection.h"
#include "remote/proxim.h"
#include "server/dbpool.h"
#include "tests/server/serverprocess.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QIODevice>

#include <functional>
#include <memory>
#include <string>

namespace tarsel::test {

enum class Backend { SQLite, PostgreSQL };

std::string BackendName(const ::testing::TestParamInfo<Backend> &info);

// A running demo server (--demo --machine PROMO-TEST-PC) for the backend,
// started on first use and shared by the tests of the binary. Calls
// GTEST_SKIP-worthy checks itself: use PROMO_REQUIRE_BACKEND first.
ServerProcess &DemoServer(Backend backend);
// A server started without demo data (empty tables), shared the same way.
ServerProcess &EmptyServer(Backend backend);

bool BackendAvailable(Backend backend);

#define PROMO_REQUIRE_BACKEND(b)                                          \
    do {                                                                  \
        if (!::tarsel::test::BackendAvailable(b))                         \
            GTEST_SKIP() << "TARSEL_TEST_PG not set: PostgreSQL skipped"; \
    } while (0)

// An open client connection to srv.
std::unique_ptr<DSConnection> ConnectTo(const ServerProcess &srv);

// Reads a returned stream the way the windows do (1024-byte chunks until a
// short read).
QByteArray ReadAll(QIODevice *stream);

// The text of the error a call raises; empty when it raises none.
std::string ErrorOf(const std::function<void()> &call);

// An in-process connection to the server's database, for setting up and
// checking rows the methods do not expose.
std::unique_ptr<server::Db> OpenDatabase(const ServerProcess &srv);

// The machine registered to the BAYI demo user by the demo server.
inline constexpr const char *kTestMachine = "PROMO-TEST-PC";

}  // namespace tarsel::test
