#pragma once
// The search text and the filter lists of the product search group
// ("Ürün Arama"): how the typed text is sent, when a search may start, and
// how the server's list texts become list entries.

#include <QString>
#include <QStringList>

namespace tarsel {

// The one list entry the client itself knows: no restriction.
inline const QString kAllEntry = QStringLiteral(" HEPSİ");

inline const QString kTooFewLettersMessage = QStringLiteral("Lütfen en az 3 harf giriniz !");

// Removes every character at or below U+0020 from both ends.
QString TrimBlanks(const QString &text);

// The text sent as `kod`: blanks and control characters trimmed from both
// ends, a-z in capitals, and the Turkish letters İ ı Ş ş Ö ö Ç ç Ğ ğ Ü ü
// replaced by I I S S O O C C G G U U. No other character changes
// ("  fren balatası " -> "FREN BALATASI", "çağrı" -> "CAGRI").
QString NormalizeSearchText(const QString &text);

// A search may start when the trimmed search text has more than two
// characters, or a manufacturer or a main category is chosen (index above 0;
// index 0 is " HEPSİ"). The sub category and the four flags do not count.
bool SearchCriteriaValid(const QString &searchText, int manufacturerIndex, int mainCategoryIndex);

// A list text of the server split at every "|", in order, empty entries
// included ("a||b" gives three entries). An empty text has no entries.
QStringList SplitFilterList(const QString &text);

}  // namespace tarsel
