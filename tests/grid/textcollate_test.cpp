#include "grid/textcollate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace tarsel;

namespace {

int Cmp(const char *a, const char *b) { return CompareText(std::string_view(a), std::string_view(b)); }

TEST(CompareText, TurkishAlphabetOrder)
{
    // Each pair: the first sorts strictly before the second.
    const std::pair<const char *, const char *> before[] = {
        {"CAM", "ÇAM"},     {"ÇAM", "DAM"},     {"GÜL", "ĞÜL"},   {"ĞÜL", "HAL"},  {"IRMAK", "İNCİ"},
        {"İNCİ", "JANT"},   {"OK", "ÖRS"},      {"ÖRS", "PUL"},   {"SAÇ", "ŞAL"},  {"ŞAL", "TAŞ"},
        {"UZUN", "ÜZÜM"},   {"ÜZÜM", "VANA"},
    };
    for (std::size_t i = 0; i < std::size(before); ++i)
        EXPECT_LT(Cmp(before[i].first, before[i].second), 0) << before[i].first << " < " << before[i].second;
}

TEST(CompareText, CaseOnlyBreaksTiesAndDigitsPrecedeLetters)
{
    EXPECT_LT(Cmp("abc", "ABD"), 0);  // letters decide before case
    EXPECT_GT(Cmp("ABD", "abc"), 0);
    EXPECT_NE(Cmp("abc", "ABC"), 0);  // total order: equal only when identical
    EXPECT_EQ(Cmp("abc", "abc"), 0);
    EXPECT_LT(Cmp("9", "A"), 0);
    EXPECT_LT(Cmp("-", "0"), 0);
    EXPECT_LT(Cmp("", "A"), 0);
    EXPECT_LT(Cmp("AB", "ABC"), 0);
    // Lower-case i belongs to İ, lower-case ı to I.
    EXPECT_LT(Cmp("ıslak", "ilaç"), 0);
    EXPECT_LT(Cmp("IŞIK", "iğne"), 0);
}

TEST(CompareText, SortsAListLikeAPhoneBook)
{
    std::vector<std::string> names = {"Şeker", "Zeytin", "çay", "Cam", "ılık", "İlaç", "Üzüm", "Ufuk", "Ödeme", "Oto", "10 mm", "ayna"};
    std::sort(names.begin(), names.end(), [](const std::string &a, const std::string &b) { return CompareText(a, b) < 0; });
    const std::vector<std::string> expected = {"10 mm", "ayna", "Cam", "çay", "ılık", "İlaç", "Oto", "Ödeme", "Şeker", "Ufuk", "Üzüm", "Zeytin"};
    EXPECT_EQ(names, expected);
}

TEST(CompareText, Utf16FormAgreesWithUtf8Form)
{
    const char *words[] = {"Çift", "cift", "ığdır", "İzmir", "Öz", "oz", "şu", "Su", "5", ""};
    for (const char *a : words)
        for (const char *b : words) {
            const int u8 = Cmp(a, b);
            const int u16 = CompareText(QString::fromUtf8(a), QString::fromUtf8(b));
            EXPECT_EQ((u8 > 0) - (u8 < 0), (u16 > 0) - (u16 < 0)) << a << " vs " << b;
        }
}

TEST(CompareText, MalformedUtf8StillOrders)
{
    const std::string bad = "A\xC3";  // truncated sequence
    EXPECT_NE(CompareText(bad, std::string("A")), 0);
    EXPECT_EQ(CompareText(bad, bad), 0);
}

TEST(FoldForSearch, MakesEveryIOneAndIgnoresCase)
{
    EXPECT_EQ(FoldForSearch(u"İNCİ"), FoldForSearch(u"inci"));
    EXPECT_EQ(FoldForSearch(u"IŞIK"), FoldForSearch(u"ışık"));
    EXPECT_EQ(FoldForSearch(u"FİLTRE"), FoldForSearch(u"Filtre"));
    EXPECT_EQ(FoldForSearch(u"ÇAĞ").size(), 3);
    EXPECT_NE(FoldForSearch(u"Ç"), FoldForSearch(u"C"));
}

}  // namespace
