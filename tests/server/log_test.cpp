// Request log lines: format, shortening, and whole lines under concurrency.

#include "server/log.h"

#include <gtest/gtest.h>

#include <mutex>
#include <regex>
#include <thread>

using namespace tarsel::server;

namespace {

TEST(RequestLog, LineHasTimePeerRequestStatusDurationAndOutcome)
{
    // 2025-03-14T09:26:53.589Z
    const auto when = std::chrono::system_clock::time_point(std::chrono::milliseconds(1741944413589));
    RequestLogEntry e{"10.0.0.7:51522", "POST", "SepetEkle2", 200, 12, "ok"};
    EXPECT_EQ(FormatRequestLine(e, when), "2025-03-14T09:26:53.589Z 10.0.0.7:51522 POST SepetEkle2 200 12ms ok");

    e.status = 500;
    e.outcome = "Veritabanı hatası:\nUNIQUE constraint failed";
    EXPECT_EQ(FormatRequestLine(e, when),
              "2025-03-14T09:26:53.589Z 10.0.0.7:51522 POST SepetEkle2 500 12ms Veritabanı hatası: UNIQUE constraint failed");

    // Empty fields stay visible; a path with spaces stays one field.
    RequestLogEntry odd{"", "", "/a b", 404, 0, ""};
    EXPECT_EQ(FormatRequestLine(odd, when), "2025-03-14T09:26:53.589Z - - /a_b 404 0ms hata");
}

TEST(RequestLog, ShortenFoldsControlsAndCutsOnCharacterBoundaries)
{
    EXPECT_EQ(ShortenForLog("  a\r\n\tb  c  "), "a b c");
    EXPECT_EQ(ShortenForLog("çğıöşü", 3), "çğı…");
    EXPECT_EQ(ShortenForLog("abc", 3), "abc");
    EXPECT_EQ(ShortenForLog(std::string(500, 'x')).size(), 160u + std::string("…").size());
}

TEST(RequestLog, LinesFromManyThreadsStayWhole)
{
    std::mutex m;
    std::vector<std::string> lines;
    SetLogSink([&](std::string_view line) { lines.emplace_back(line); });
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < 250; ++i)
                LogRequest({"127.0.0.1:" + std::to_string(1000 + t), "GET", "/health", 200, i, "ok"});
        });
    for (auto &th : threads)
        th.join();
    SetLogSink({});
    ASSERT_EQ(lines.size(), 2000u);
    const std::regex shape(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z 127\.0\.0\.1:10\d\d GET /health 200 \d+ms ok$)");
    for (const auto &l : lines)
        ASSERT_TRUE(std::regex_match(l, shape)) << l;
}

} // namespace
