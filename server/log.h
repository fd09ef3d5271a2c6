#pragma once
// Server log: one line per HTTP request plus a few start-up and shutdown
// messages, written to stderr.
//
// Request line format (fields separated by one space):
//
//   2025-03-14T09:26:53.589Z 10.0.0.7:51522 POST SepetEkle2 200 12ms ok
//   <UTC time, ms>           <peer>         <verb> <what> <status> <duration> <outcome>
//
// <what> is the remote method name for /datasnap/TServerMethods1.<Method>
// calls and the request path otherwise. <outcome> is "ok" for a successful
// answer, else a shortened error text (newlines folded, at most 160
// characters). Every line is written with a single call under a mutex, so
// lines from different threads never interleave.

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace tarsel::server {

struct RequestLogEntry {
    std::string peer;     // "ip:port"
    std::string verb;     // "GET", "POST", ...
    std::string what;     // method name or path
    int status = 0;
    std::int64_t durationMs = 0;
    std::string outcome;  // "ok" or an error text (shortened when formatted)
};

// Formats one request line (without the trailing newline).
std::string FormatRequestLine(const RequestLogEntry &entry,
                              std::chrono::system_clock::time_point when);

// Folds control characters to spaces, trims, and cuts the text to at most
// maxChars characters (UTF-8 aware; an ellipsis "…" marks a cut).
std::string ShortenForLog(std::string_view text, std::size_t maxChars = 160);

// UTC time stamp "YYYY-MM-DDTHH:MM:SS.mmmZ".
std::string LogTimestamp(std::chrono::system_clock::time_point when);

void LogRequest(const RequestLogEntry &entry);
void LogInfo(std::string_view message);
void LogWarning(std::string_view message);
void LogError(std::string_view message);

// Redirects every log line (without newline) to sink; an empty function
// restores stderr. Used by tests. The sink is called under the log mutex.
void SetLogSink(std::function<void(std::string_view line)> sink);

// Switches the per-request lines on or off (messages stay on).
void SetRequestLogging(bool enabled);

} // namespace tarsel::server
