#include "grid/textcollate.h"

#include <array>
#include <cstdint>

namespace tarsel {

namespace {

// Position of a letter in the alphabet used for sorting (A = 0 ... Z = 31),
// with a small variant number for accented forms (â after a, and so on).
constexpr std::uint32_t kPunctBase = 0;      // ASCII punctuation and spaces keep their code order
constexpr std::uint32_t kDigitBase = 200;
constexpr std::uint32_t kLetterBase = 1000;
constexpr std::uint32_t kOtherBase = 100000;

constexpr std::uint32_t Letter(int pos, int variant = 0) { return kLetterBase + std::uint32_t(pos) * 8 + std::uint32_t(variant); }

enum Pos {
    A = 0, B, C, CC, D, E, F, G, GG, H, I, II, J, K, L, M, N, O, OO, P, Q, R, S, SS, T, U, UU, V, W, X, Y, Z
};

std::array<std::uint32_t, 128> MakeAsciiWeights()
{
    std::array<std::uint32_t, 128> w{};
    for (int c = 0; c < 128; ++c) w[std::size_t(c)] = kPunctBase + std::uint32_t(c);
    for (int d = 0; d < 10; ++d) w[std::size_t('0' + d)] = kDigitBase + std::uint32_t(d);
    static const int ascii[26] = {A, B, C, D, E, F, G, H, I, J, K, L, M, N, O, P, Q, R, S, T, U, V, W, X, Y, Z};
    for (int i = 0; i < 26; ++i) {
        w[std::size_t('A' + i)] = Letter(ascii[i]);
        w[std::size_t('a' + i)] = Letter(ascii[i]);
    }
    // Turkish: the dotted small i belongs to İ, the dotless capital I stays I.
    w[std::size_t('i')] = Letter(II);
    return w;
}

const std::array<std::uint32_t, 128> kAscii = MakeAsciiWeights();

std::uint32_t Weight(char32_t cp)
{
    if (cp < 128) return kAscii[cp];
    switch (cp) {
    case 0x00C7: case 0x00E7: return Letter(CC);             // Ç ç
    case 0x011E: case 0x011F: return Letter(GG);             // Ğ ğ
    case 0x0130: return Letter(II);                          // İ
    case 0x0131: return Letter(I);                           // ı
    case 0x00D6: case 0x00F6: return Letter(OO);             // Ö ö
    case 0x015E: case 0x015F: return Letter(SS);             // Ş ş
    case 0x00DC: case 0x00FC: return Letter(UU);             // Ü ü
    case 0x00C0: case 0x00C1: case 0x00C2: case 0x00C3: case 0x00C4: case 0x00C5:
    case 0x00E0: case 0x00E1: case 0x00E2: case 0x00E3: case 0x00E4: case 0x00E5: return Letter(A, 1);
    case 0x00C8: case 0x00C9: case 0x00CA: case 0x00CB:
    case 0x00E8: case 0x00E9: case 0x00EA: case 0x00EB: return Letter(E, 1);
    case 0x00CC: case 0x00CD: case 0x00CE: case 0x00CF:
    case 0x00EC: case 0x00ED: case 0x00EE: case 0x00EF: return Letter(II, 1);
    case 0x00D2: case 0x00D3: case 0x00D4: case 0x00D5:
    case 0x00F2: case 0x00F3: case 0x00F4: case 0x00F5: return Letter(O, 1);
    case 0x00D9: case 0x00DA: case 0x00DB:
    case 0x00F9: case 0x00FA: case 0x00FB: return Letter(U, 1);
    case 0x00D1: case 0x00F1: return Letter(N, 1);
    case 0x00DD: case 0x00FD: case 0x00FF: return Letter(Y, 1);
    case 0x00DF: return Letter(S, 1);
    default: break;
    }
    return kOtherBase + std::uint32_t(cp);
}

// Decodes one code point; malformed bytes come out one by one as U+DC80+byte
// so that they still order deterministically.
char32_t Next(std::string_view s, std::size_t &i)
{
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) {
        ++i;
        return b0;
    }
    int len = 0;
    char32_t cp = 0;
    if ((b0 & 0xE0) == 0xC0) { len = 2; cp = b0 & 0x1F; }
    else if ((b0 & 0xF0) == 0xE0) { len = 3; cp = b0 & 0x0F; }
    else if ((b0 & 0xF8) == 0xF0) { len = 4; cp = b0 & 0x07; }
    if (len == 0 || i + std::size_t(len) > s.size()) {
        ++i;
        return 0xDC00 + b0;
    }
    for (int k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(s[i + std::size_t(k)]);
        if ((b & 0xC0) != 0x80) {
            ++i;
            return 0xDC00 + b0;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    i += std::size_t(len);
    return cp;
}

}  // namespace

int CompareText(std::string_view a, std::string_view b)
{
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[j]);
        std::uint32_t wa, wb;
        if (ca < 0x80 && cb < 0x80) {
            wa = kAscii[ca];
            wb = kAscii[cb];
            ++i;
            ++j;
        } else {
            wa = Weight(Next(a, i));
            wb = Weight(Next(b, j));
        }
        if (wa != wb) return wa < wb ? -1 : 1;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    const int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int CompareText(QStringView a, QStringView b)
{
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype k = 0; k < n; ++k) {
        const std::uint32_t wa = Weight(a[k].unicode());
        const std::uint32_t wb = Weight(b[k].unicode());
        if (wa != wb) return wa < wb ? -1 : 1;
    }
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    const int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

QString FoldForSearch(QStringView s)
{
    QString out;
    out.reserve(s.size());
    for (const QChar c : s) {
        const char16_t u = c.unicode();
        if (u == u'I' || u == u'i' || u == 0x0130 || u == 0x0131)
            out.append(QChar(u'i'));
        else
            out.append(c.toLower());
    }
    return out;
}

}  // namespace tarsel
