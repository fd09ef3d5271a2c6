#pragma once
// HTTP helpers for server tests: a libcurl client that keeps its connection
// between calls, and a raw TCP connection for sending arbitrary bytes.

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarsel::test {

struct HttpResult {
    int curlCode = 0;            // CURLcode; 0 = transfer completed
    std::string curlError;
    long status = 0;             // final HTTP status
    std::string body;
    std::map<std::string, std::string> headers;  // final response, names lower-case
    std::vector<std::string> statusLines;        // every status line seen (incl. "HTTP/1.1 100 Continue")
    long newConnections = -1;    // connections opened for this transfer (0 = reused)

    std::string header(const std::string &lowerName) const;
};

// One curl easy handle: consecutive calls reuse the connection (keep-alive).
class HttpClient {
public:
    HttpClient();
    ~HttpClient();
    HttpClient(const HttpClient &) = delete;
    HttpClient &operator=(const HttpClient &) = delete;

    void setTimeout(std::chrono::milliseconds t) { timeout_ = t; }
    // How long curl waits for "100 Continue" before sending the body anyway.
    void setExpectContinueTimeout(std::chrono::milliseconds t) { expectTimeout_ = t; }

    HttpResult get(const std::string &url, const std::vector<std::string> &headers = {});
    HttpResult post(const std::string &url, std::string_view body,
                    const std::vector<std::string> &headers = {});
    // Any verb; body sent when non-empty.
    HttpResult request(const std::string &verb, const std::string &url, std::string_view body,
                       const std::vector<std::string> &headers = {});

private:
    void *curl_ = nullptr;
    std::chrono::milliseconds timeout_{20000};
    std::chrono::milliseconds expectTimeout_{1000};
};

struct RawResponse {
    int status = 0;
    std::map<std::string, std::string> headers;  // names lower-case
    std::string body;
};

// A plain TCP connection to 127.0.0.1:port.
class RawConnection {
public:
    explicit RawConnection(unsigned short port);
    ~RawConnection();
    RawConnection(const RawConnection &) = delete;
    RawConnection &operator=(const RawConnection &) = delete;

    bool connected() const { return fd_ >= 0; }
    // Sends all bytes; false when the peer has closed or reset.
    bool send(std::string_view bytes);
    // Reads one HTTP response (Content-Length bodies only). nullopt when the
    // connection closed or the time-out passed before a full response.
    std::optional<RawResponse> readResponse(std::chrono::milliseconds timeout = std::chrono::seconds(20));
    // True when the peer closes (EOF or reset) within the time-out; data
    // arriving meanwhile is discarded.
    bool waitClosed(std::chrono::milliseconds timeout);
    void close();

private:
    // Reads more bytes into buffer_; false on EOF, error or time-out.
    bool fill(std::chrono::steady_clock::time_point deadline);

    int fd_ = -1;
    std::string buffer_;
};

// A minimal flat JSON reader for answers like {"a":"b","n":1}: the text of
// member name (string values unescaped, other values as written), or nullopt.
std::optional<std::string> JsonMember(std::string_view json, std::string_view name);

} // namespace tarsel::test
