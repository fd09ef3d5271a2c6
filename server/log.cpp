#include "server/log.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <ctime>
#include <mutex>

namespace tarsel::server {

namespace {

std::mutex &LogMutex()
{
    static std::mutex m;
    return m;
}

std::function<void(std::string_view)> &Sink()
{
    static std::function<void(std::string_view)> sink;
    return sink;
}

std::atomic<bool> g_requestLogging{true};

void WriteLine(std::string line)
{
    std::lock_guard<std::mutex> lock(LogMutex());
    if (Sink()) {
        Sink()(line);
        return;
    }
    line.push_back('\n');
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

void WriteMessage(std::string_view level, std::string_view message)
{
    std::string line = LogTimestamp(std::chrono::system_clock::now());
    line += ' ';
    line += level;
    line += ' ';
    line += ShortenForLog(message, 2000);
    WriteLine(std::move(line));
}

// Length in bytes of the UTF-8 sequence starting with lead byte c.
std::size_t Utf8SequenceLength(unsigned char c)
{
    if (c < 0x80)
        return 1;
    if ((c & 0xE0) == 0xC0)
        return 2;
    if ((c & 0xF0) == 0xE0)
        return 3;
    if ((c & 0xF8) == 0xF0)
        return 4;
    return 1;  // stray continuation byte: count it alone
}

} // namespace

std::string LogTimestamp(std::chrono::system_clock::time_point when)
{
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(when.time_since_epoch()).count();
    std::time_t secs = static_cast<std::time_t>(ms / 1000);
    int millis = static_cast<int>(ms % 1000);
    if (millis < 0) {
        millis += 1000;
        --secs;
    }
    std::tm tm{};
    gmtime_r(&secs, &tm);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", tm.tm_year + 1900,
                  tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, millis);
    return buf;
}

std::string ShortenForLog(std::string_view text, std::size_t maxChars)
{
    std::string out;
    out.reserve(std::min(text.size(), maxChars * 2));
    bool lastSpace = true;  // also trims leading blanks
    std::size_t chars = 0;
    std::size_t i = 0;
    bool cut = false;
    while (i < text.size()) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7F || c == ' ') {
            if (!lastSpace) {
                out.push_back(' ');
                lastSpace = true;
                ++chars;
            }
            ++i;
            continue;
        }
        const std::size_t len = std::min(Utf8SequenceLength(c), text.size() - i);
        if (chars >= maxChars) {
            cut = true;
            break;
        }
        out.append(text.substr(i, len));
        lastSpace = false;
        ++chars;
        i += len;
    }
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    if (cut)
        out += "…";
    return out;
}

std::string FormatRequestLine(const RequestLogEntry &e, std::chrono::system_clock::time_point when)
{
    std::string line = LogTimestamp(when);
    line.reserve(line.size() + e.peer.size() + e.verb.size() + e.what.size() + 64);
    auto field = [&line](std::string_view v) {
        line += ' ';
        if (v.empty())
            line += '-';
        else
            for (char c : v)  // fields are space separated: keep them one token
                line += (static_cast<unsigned char>(c) <= 0x20 || c == 0x7F) ? '_' : c;
    };
    field(e.peer);
    field(e.verb);
    field(e.what.size() > 200 ? std::string_view(e.what).substr(0, 200) : std::string_view(e.what));
    line += ' ';
    line += std::to_string(e.status);
    line += ' ';
    line += std::to_string(e.durationMs);
    line += "ms ";
    const std::string outcome = ShortenForLog(e.outcome);
    line += outcome.empty() ? std::string(e.status < 400 ? "ok" : "hata") : outcome;
    return line;
}

void LogRequest(const RequestLogEntry &entry)
{
    if (!g_requestLogging.load(std::memory_order_relaxed))
        return;
    WriteLine(FormatRequestLine(entry, std::chrono::system_clock::now()));
}

void LogInfo(std::string_view message) { WriteMessage("BILGI", message); }
void LogWarning(std::string_view message) { WriteMessage("UYARI", message); }
void LogError(std::string_view message) { WriteMessage("HATA", message); }

void SetLogSink(std::function<void(std::string_view)> sink)
{
    std::lock_guard<std::mutex> lock(LogMutex());
    Sink() = std::move(sink);
}

void SetRequestLogging(bool enabled) { g_requestLogging.store(enabled); }

} // namespace tarsel::server
