#pragma once
// The outside-address query: the caller's public address, as the seller's
// outside-address service sees it (GET <outsideAddressBase>ip.php; the answer
// body is the address as plain text).
//
// Each attempt allows 15 s to connect and 1.5 s without data once connected;
// a failed attempt (no connection, time-out, an HTTP status other than 2xx)
// is followed by a pause of one second and another attempt, with no limit.
// The query can be abandoned at any moment through `cancelled`.

#include <QString>

#include <functional>

namespace tarsel {

inline constexpr int kOutsideAddressConnectTimeoutMs = 15000;
inline constexpr int kOutsideAddressReadTimeoutMs = 1500;
inline constexpr int kOutsideAddressRetryPauseMs = 1000;

// Deployment().outsideAddressBase + "ip.php".
QString OutsideAddressUrl();

// Removes every character at or below U+0020 (blanks and control
// characters) from both ends.
QString TrimBlank(const QString &text);

struct OutsideAddressQuery {
    QString url = OutsideAddressUrl();
    int retryPauseMs = kOutsideAddressRetryPauseMs;
    std::function<bool()> cancelled;                     // true abandons the query
    std::function<void(const QString &error)> onRetry;  // after each failed attempt (diagnostics)

    // Runs until an attempt succeeds (the trimmed body, possibly empty) or
    // the query is abandoned (empty text).
    QString run() const;
};

}  // namespace tarsel
