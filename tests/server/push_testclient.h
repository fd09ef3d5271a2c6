#pragma once
// A plain WebSocket client for the push channel tests (Boost.Beast, one
// private io_context, no threads): it sends whatever the test wants,
// including malformed messages, and reads with a time-out.

#include <boost/asio/connect.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/websocket.hpp>

#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace tarsel::test {

class PushTestClient {
public:
    explicit PushTestClient(unsigned short port, std::string_view path = "/datasnap/push")
    {
        namespace net = boost::asio;
        boost::beast::error_code ec;
        auto &tcp = boost::beast::get_lowest_layer(ws_);
        tcp.expires_after(std::chrono::seconds(10));
        tcp.socket().connect({net::ip::make_address("127.0.0.1"), port}, ec);
        if (!ec) {
            ws_.set_option(boost::beast::websocket::stream_base::decorator(
                [](boost::beast::websocket::request_type &req) { req.set("User-Agent", "push-test"); }));
            ws_.control_callback([this](boost::beast::websocket::frame_type kind, boost::beast::string_view) {
                if (kind == boost::beast::websocket::frame_type::pong)
                    ++pongs_;
            });
            ws_.handshake("127.0.0.1:" + std::to_string(port), std::string(path), ec);
        }
        tcp.expires_never();
        error_ = ec;
        open_ = !ec;
    }

    bool open() const { return open_; }
    boost::beast::error_code error() const { return error_; }
    // Close code the server sent (0 when none was received).
    int closeCode() const { return closeCode_; }
    int pongs() const { return pongs_; }

    bool sendText(std::string_view text) { return write(text, true); }
    bool sendBinary(std::string_view data) { return write(data, false); }
    bool sendJson(const QJsonObject &o)
    {
        return sendText(QJsonDocument(o).toJson(QJsonDocument::Compact).toStdString());
    }
    bool ping()
    {
        boost::beast::error_code ec;
        ws_.ping({}, ec);
        return !ec;
    }

    // The next text or binary message; nullopt when the connection closed,
    // failed or nothing came within the time-out (the stream is unusable
    // after that).
    std::optional<std::string> read(std::chrono::milliseconds timeout = std::chrono::seconds(15))
    {
        if (!open_)
            return std::nullopt;
        boost::beast::flat_buffer buffer;
        boost::beast::error_code result;
        auto &tcp = boost::beast::get_lowest_layer(ws_);
        tcp.expires_after(timeout);
        ws_.async_read(buffer, [&](boost::beast::error_code ec, std::size_t) { result = ec; });
        ioc_.restart();
        ioc_.run();
        tcp.expires_never();
        if (result) {
            error_ = result;
            open_ = false;
            if (result == boost::beast::websocket::error::closed)
                closeCode_ = ws_.reason().code;
            return std::nullopt;
        }
        return boost::beast::buffers_to_string(buffer.data());
    }

    // The next message as a JSON object (an empty object when it is not one).
    std::optional<QJsonObject> readJson(std::chrono::milliseconds timeout = std::chrono::seconds(15))
    {
        const auto text = read(timeout);
        if (!text)
            return std::nullopt;
        return QJsonDocument::fromJson(QByteArray::fromStdString(*text)).object();
    }

    // Reads until the connection ends; true when it did within the time-out.
    bool waitClosed(std::chrono::milliseconds timeout = std::chrono::seconds(15))
    {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (open_) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                return false;
            read(left);
            if (error_ == boost::beast::error::timeout)
                return false;
        }
        return true;
    }

    // Sends the registration and reads the acknowledgement.
    std::optional<QJsonObject> registerAs(const QString &clientId, const QString &callback = QStringLiteral("KelvasOto"),
                                          const QString &channel = QStringLiteral("KelvasOto"))
    {
        if (!sendJson(QJsonObject{{"type", "register"},
                                  {"channel", channel},
                                  {"managerId", "KelvasOtoId"},
                                  {"clientId", clientId},
                                  {"callback", callback}}))
            return std::nullopt;
        return readJson();
    }

    bool reply(qint64 id, const QJsonValue &result = QJsonValue(true))
    {
        return sendJson(QJsonObject{{"type", "reply"}, {"id", double(id)}, {"result", result}});
    }

    // Polite close (close frame, waits for the server's answer).
    void close()
    {
        boost::beast::error_code ec;
        ws_.close(boost::beast::websocket::close_code::normal, ec);
        open_ = false;
    }

    // Gone without a word: the TCP connection is reset.
    void drop()
    {
        boost::beast::error_code ec;
        auto &socket = boost::beast::get_lowest_layer(ws_).socket();
        socket.set_option(boost::asio::socket_base::linger(true, 0), ec);
        socket.close(ec);
        open_ = false;
    }

private:
    bool write(std::string_view data, bool text)
    {
        boost::beast::error_code ec;
        ws_.text(text);
        ws_.write(boost::asio::buffer(data.data(), data.size()), ec);
        if (ec) {
            error_ = ec;
            return false;
        }
        return true;
    }

    boost::asio::io_context ioc_;
    boost::beast::websocket::stream<boost::beast::tcp_stream> ws_{ioc_};
    boost::beast::error_code error_;
    bool open_ = false;
    int closeCode_ = 0;
    int pongs_ = 0;
};

} // namespace tarsel::test
