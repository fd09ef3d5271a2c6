#pragma once
// The server connection: its description (host, port, context path...) and,
// while open, one keep-alive HTTP connection to the application server.
//
// A connection is used by one thread at a time. Routines make a private copy
// of the main window's description for each call (CloneDescription), open it,
// call, and close it again; no connection outlives its call.

#include <QByteArray>
#include <QString>

#include <memory>
#include <stdexcept>
#include <string>

namespace tarsel {

// A failure of the transport: the server could not be reached or the
// connection broke during a call. The text is shown to the user as it is.
class ConnectionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An error answered by the server (its own text), or a malformed answer.
class RemoteError : public std::runtime_error {
public:
    RemoteError(const std::string &text, int httpStatus = 500) : std::runtime_error(text), status(httpStatus) {}
    int status;
};

struct HttpResult {
    long status = 0;
    std::string contentType;
    std::string resultHeader;  // X-Tarsel-Result of a stream answer
    QByteArray body;
};

class DSConnection {
public:
    DSConnection();
    ~DSConnection();
    DSConnection(const DSConnection &) = delete;
    DSConnection &operator=(const DSConnection &) = delete;

    // Connection description.
    QString DriverName = QStringLiteral("DataSnap");
    QString CommunicationProtocol = QStringLiteral("tcp/ip");
    QString HostName = QStringLiteral("127.0.0.1");
    QString Port = QStringLiteral("9090");
    QString DatasnapContext = QStringLiteral("datasnap/");
    QString Filters = QStringLiteral("{}");
    bool LoginPrompt = false;
    int ConnectTimeoutMs = 2000;  // per open attempt
    int StallTimeoutSec = 120;    // a call is abandoned when no byte moves for this long

    // A new, closed connection with the same description.
    std::unique_ptr<DSConnection> CloneDescription() const;
    void CopyDescriptionFrom(const DSConnection &other);

    // Opens the transport and proves that the server answers (handshake).
    // Throws ConnectionError when it does not.
    void Open();
    void Close();
    bool Connected() const { return handle_ != nullptr; }

    // One request on the open connection. Throws ConnectionError.
    HttpResult Post(const QString &methodName, std::string &&body);

    QString BaseUrl() const;

private:
    HttpResult perform(const std::string &url, std::string *postBody, long timeoutMs);

    void *handle_ = nullptr;  // CURL easy handle while open
};

}  // namespace tarsel
