#include "catalogue/searchtext.h"

namespace tarsel {

QString TrimBlanks(const QString &text)
{
    qsizetype b = 0, e = text.size();
    while (b < e && text[b].unicode() <= 0x20) ++b;
    while (e > b && text[e - 1].unicode() <= 0x20) --e;
    return text.mid(b, e - b);
}

QString NormalizeSearchText(const QString &text)
{
    QString out = TrimBlanks(text);
    for (QChar &c : out) {
        const char16_t u = c.unicode();
        if (u >= u'a' && u <= u'z') {
            c = QChar(char16_t(u - u'a' + u'A'));
            continue;
        }
        switch (u) {
        case u'İ': case u'ı': c = QLatin1Char('I'); break;
        case u'Ş': case u'ş': c = QLatin1Char('S'); break;
        case u'Ö': case u'ö': c = QLatin1Char('O'); break;
        case u'Ç': case u'ç': c = QLatin1Char('C'); break;
        case u'Ğ': case u'ğ': c = QLatin1Char('G'); break;
        case u'Ü': case u'ü': c = QLatin1Char('U'); break;
        default: break;
        }
    }
    return out;
}

bool SearchCriteriaValid(const QString &searchText, int manufacturerIndex, int mainCategoryIndex)
{
    return TrimBlanks(searchText).size() > 2 || manufacturerIndex > 0 || mainCategoryIndex > 0;
}

QStringList SplitFilterList(const QString &text)
{
    if (text.isEmpty()) return {};
    return text.split(QLatin1Char('|'), Qt::KeepEmptyParts);
}

}  // namespace tarsel
