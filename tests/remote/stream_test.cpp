// Streams travel binary-safe and whole: a server method returning bytes of
// every value, a large stream, and a short stream that is refused.

#include "remote/proxim.h"
#include "remote/remotecall.h"
#include "server/httpserver.h"
#include "server/rpc.h"
#include "server/servermethods.h"

#include <gtest/gtest.h>

using namespace tarsel;

namespace {

QByteArray everyByte(qsizetype size)
{
    QByteArray b(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i) b[i] = char((i * 7 + i / 256) & 0xFF);
    return b;
}

// Methods answering streams of a chosen size, for the transport alone.
class StreamMethods : public server::TServerMethods1 {
public:
    qsizetype size = 0;
    QString name = QStringLiteral("Fiyat Listesi Ekim.pdf");

    QByteArray BelgeIndir(qint32 sirano, qint64 &outSize, QString &adi) override
    {
        QByteArray data = everyByte(size + sirano);
        outSize = data.size();
        adi = name;
        return data;
    }
};

class InProcessServer : public ::testing::Test {
protected:
    void SetUp() override
    {
        server::HttpServerOptions opts;
        opts.address = "127.0.0.1";
        opts.port = 0;
        http = std::make_unique<server::HttpServer>(opts);
        http->setRpcHandler([this](server::Request req, server::ResponseCallback done) {
            if (req.rpcMethod.empty()) {
                done(server::Response::Json(200, R"({"server":"tarsel-server","protocol":1})"));
                return;
            }
            done(server::AnswerCall(methods, wire::FindMethod(req.rpcMethod), req.body));
        });
        http->start();
        conn.Port = QString::number(http->port());
    }
    void TearDown() override { http->stop(); }

    StreamMethods methods;
    std::unique_ptr<server::HttpServer> http;
    DSConnection conn;
};

}  // namespace

TEST_F(InProcessServer, StreamsAreBinarySafeWithTheirOutParameters)
{
    for (qsizetype size : {qsizetype(0), qsizetype(1), qsizetype(1023), qsizetype(1024), qsizetype(3 * 1024 * 1024 + 5)}) {
        methods.size = size;
        ASSERT_TRUE(OpenConnectionWithRetry(conn, false));
        TServerMethods1Client proxy(conn);
        qint64 announced = -1;
        QString adi;
        QIODevice *stream = proxy.BelgeIndir(0, announced, adi);
        ASSERT_NE(stream, nullptr);
        EXPECT_EQ(announced, size);
        EXPECT_EQ(adi, "Fiyat Listesi Ekim.pdf");
        // Read it the way the windows do: 1024-byte chunks until the announced length.
        QByteArray got;
        char chunk[1024];
        qint64 n;
        while ((n = stream->read(chunk, sizeof chunk)) > 0) got.append(chunk, n);
        EXPECT_EQ(got.size(), announced);
        EXPECT_TRUE(got == everyByte(size)) << "size " << size;
        conn.Close();
    }
}

TEST_F(InProcessServer, NonAsciiOutTextSurvivesTheStreamHeader)
{
    methods.size = 10;
    methods.name = QStringLiteral("İade Formu – Çağrı.xlsx");
    ASSERT_TRUE(OpenConnectionWithRetry(conn, false));
    TServerMethods1Client proxy(conn);
    qint64 size = 0;
    QString adi;
    proxy.BelgeIndir(2, size, adi);
    EXPECT_EQ(size, 12);
    EXPECT_EQ(adi, methods.name);

    // A declared method these methods do not offer answers 501 with its name.
    try {
        proxy.SepetHepsiniSil(CopyOf(TSonucBilgisi()));
        FAIL();
    } catch (const RemoteError &e) {
        EXPECT_EQ(e.status, 501);
        EXPECT_NE(std::string(e.what()).find("SepetHepsiniSil"), std::string::npos);
    }
}
