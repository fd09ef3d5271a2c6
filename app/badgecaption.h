#pragma once
// Tab captions with a count badge.
//
// Any tab caption of the program may have the form count "=" title, for
// example "3=Sepet". The tab shows the title and, when the count is above 0,
// "(count)" in its top-right corner. A caption without "=" is shown whole.
//
// Counts are usually whole numbers. The balances tab writes the account
// balance, which may have a fraction ("1234,5=Bakiyeler"): such a count is
// read as a number (either "," or "." as the decimal separator) and, when it
// is above 0, the badge shows the count text exactly as written, "(1234,5)".
// A count part that is no number at all ("abc=Sepet", "=Sepet") gives no
// badge. The title is drawn in every case.

#include <QString>

namespace tarsel {

// At most this many characters of the title are drawn.
inline constexpr int kBadgeTitleMaxLength = 100;

struct BadgeCaption {
    QString title;       // what the tab shows as its text
    QString countText;   // the part before "=" (trimmed), empty without "="
    double count = 0;    // the count as a number; 0 when missing or not a number
    bool wholeNumber = true;  // the count text is a whole number (or missing)

    // A badge is drawn for a count greater than 0.
    bool hasBadge() const { return count > 0; }
    // "(12)", "(1234,5)"; empty when there is no badge.
    QString badgeText() const;
};

// Splits a caption at its first "=" (see the rules above). Never fails.
BadgeCaption ParseBadgeCaption(const QString &caption);

// The caption form written by the badge fetches: count "=" title.
QString MakeBadgeCaption(qint64 count, const QString &title);

}  // namespace tarsel
