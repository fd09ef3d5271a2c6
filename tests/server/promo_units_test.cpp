// The building blocks of the server's documents and pictures, in process:
// the GIF writer (read back with Qt's own GIF reader), the PDF report, the
// ZIP writer, and the Turkish number, date and name forms.

#include "server/demofiles.h"
#include "server/gifencoder.h"
#include "server/pdfwriter.h"
#include "server/promomethods.h"
#include "tests/server/promo_support.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QTemporaryDir>

#include <unzip.h>

#include <random>
#include <thread>

using namespace tarsel;
using namespace tarsel::server;

namespace {

enum class Pattern { Noise, Runs, Stripes };

// Frames of palette indices, reproducible from the seed.
std::vector<QImage> IndexedFrames(QSize size, int colours, Pattern pattern, int frames, unsigned seed)
{
    std::mt19937 rng(seed);
    std::vector<QImage> out;
    for (int f = 0; f < frames; ++f) {
        QImage img(size, QImage::Format_Indexed8);
        img.setColorCount(colours);
        int run = 0, value = 0;
        for (int y = 0; y < size.height(); ++y) {
            uchar *line = img.scanLine(y);
            for (int x = 0; x < size.width(); ++x) {
                switch (pattern) {
                case Pattern::Noise: line[x] = uchar(rng() % unsigned(colours)); break;
                case Pattern::Runs:
                    if (run-- <= 0) {
                        run = int(rng() % 40);
                        value = int(rng() % unsigned(colours));
                    }
                    line[x] = uchar(value);
                    break;
                case Pattern::Stripes: line[x] = uchar((x / 3 + y / 2 + f) % colours); break;
                }
            }
        }
        out.push_back(img);
    }
    return out;
}

QList<QRgb> Palette(int colours, unsigned seed)
{
    std::mt19937 rng(seed);
    QList<QRgb> p;
    for (int i = 0; i < colours; ++i) p.append(qRgb(int(rng() % 256), int(rng() % 256), int(rng() % 256)));
    return p;
}

std::vector<QImage> ReadGif(const QByteArray &gif, int *count = nullptr)
{
    QBuffer buf;
    buf.setData(gif);
    buf.open(QIODevice::ReadOnly);
    QImageReader reader(&buf, "gif");
    if (count) *count = reader.imageCount();
    std::vector<QImage> frames;
    QImage img;
    while (reader.read(&img)) frames.push_back(img.convertToFormat(QImage::Format_RGB32));
    return frames;
}

// A strict LZW decoder for one GIF code stream, to hold the writer to the
// exact code widths (Qt's reader forgives a wrong width at the end code).
// Returns false on any irregularity: a code beyond the table, no end code,
// data after it.
bool StrictLzwDecode(const QByteArray &data, int minCodeSize, std::vector<uchar> &out)
{
    const int clear = 1 << minCodeSize, eoi = clear + 1;
    int width = minCodeSize + 1, next = eoi + 1, prev = -1;
    std::vector<std::vector<uchar>> table(4096);
    auto reset = [&] {
        for (int i = 0; i < clear; ++i) table[i] = {uchar(i)};
        width = minCodeSize + 1;
        next = eoi + 1;
        prev = -1;
    };
    reset();
    qsizetype bit = 0;
    const qsizetype bits = data.size() * 8;
    for (;;) {
        if (bit + width > bits) return false;  // ran out before the end code
        int code = 0;
        for (int i = 0; i < width; ++i, ++bit)
            code |= ((uchar(data[bit / 8]) >> (bit % 8)) & 1) << i;
        if (code == clear) {
            reset();
            continue;
        }
        if (code == eoi) return (bits - bit) < 8;  // only padding may follow
        std::vector<uchar> entry;
        if (code < next && !table[code].empty()) {
            entry = table[code];
        } else if (code == next && prev >= 0) {
            entry = table[prev];
            entry.push_back(table[prev][0]);
        } else {
            return false;
        }
        out.insert(out.end(), entry.begin(), entry.end());
        if (prev >= 0 && next < 4096) {
            table[next] = table[prev];
            table[next].push_back(entry[0]);
            ++next;
        }
        if (next == (1 << width) && width < 12) ++width;
        prev = code;
    }
}

}  // namespace

TEST(PromoGif, CodeStreamsEndExactlyAtEveryTableSize)
{
    // Streams of n symbols end at every table size around the width changes
    // and around the full table; each must decode strictly to its input.
    std::mt19937 rng(11);
    for (int minCode : {2, 3, 8}) {
        for (int n = 0; n <= 1500; ++n) {
            std::vector<uchar> in(static_cast<std::size_t>(n));
            for (uchar &c : in) c = uchar(rng() % (1u << minCode));
            std::vector<uchar> back;
            ASSERT_TRUE(StrictLzwDecode(LzwCompress(in.data(), in.size(), minCode), minCode, back))
                << "code size " << minCode << ", " << n << " symbols";
            ASSERT_EQ(back, in) << "code size " << minCode << ", " << n << " symbols";
        }
    }
    // Long inputs fill the table and start again several times.
    for (int minCode : {2, 8}) {
        std::vector<uchar> in(200000);
        for (uchar &c : in) c = uchar(rng() % (1u << minCode));
        std::vector<uchar> back;
        ASSERT_TRUE(StrictLzwDecode(LzwCompress(in.data(), in.size(), minCode), minCode, back));
        EXPECT_EQ(back, in);
    }
    EXPECT_THROW(LzwCompress(reinterpret_cast<const uchar *>("\x04"), 1, 2), std::invalid_argument);
}

TEST(PromoGif, FramesReadBackPixelForPixel)
{
    const struct {
        QSize size;
        int colours;
        Pattern pattern;
        int frames;
    } cases[] = {
        {{1, 1}, 2, Pattern::Noise, 1},        // the smallest picture
        {{17, 5}, 2, Pattern::Noise, 2},       // two colours: 2-bit codes
        {{40, 30}, 3, Pattern::Runs, 1},       // palette padded to four
        {{64, 64}, 16, Pattern::Stripes, 3},   // long repeats, codes grow fast
        {{123, 77}, 16, Pattern::Noise, 2},
        {{300, 200}, 256, Pattern::Noise, 2},  // the code table fills up and starts again, many times
        {{300, 200}, 256, Pattern::Runs, 1},
        {{1000, 9}, 200, Pattern::Stripes, 4},
    };
    unsigned seed = 7;
    for (const auto &c : cases) {
        SCOPED_TRACE(::testing::Message() << c.size.width() << "x" << c.size.height() << " colours " << c.colours);
        const QList<QRgb> palette = Palette(c.colours, ++seed);
        const std::vector<QImage> frames = IndexedFrames(c.size, c.colours, c.pattern, c.frames, ++seed);
        const QByteArray gif = EncodeGif(frames, palette, 10);
        ASSERT_TRUE(gif.startsWith("GIF89a"));
        ASSERT_TRUE(gif.endsWith(';'));
        int count = 0;
        const std::vector<QImage> back = ReadGif(gif, &count);
        EXPECT_EQ(count, c.frames);
        ASSERT_EQ(int(back.size()), c.frames);
        for (int f = 0; f < c.frames; ++f) {
            ASSERT_EQ(back[f].size(), c.size);
            int wrong = 0;
            for (int y = 0; y < c.size.height(); ++y)
                for (int x = 0; x < c.size.width(); ++x)
                    wrong += (back[f].pixel(x, y) & 0xFFFFFF) != (palette[frames[f].pixelIndex(x, y)] & 0xFFFFFF);
            EXPECT_EQ(wrong, 0) << "frame " << f;
        }
    }
}

TEST(PromoGif, BadFramesAreRefused)
{
    const QList<QRgb> palette = Palette(4, 1);
    const auto ok = IndexedFrames({8, 8}, 4, Pattern::Noise, 1, 1).front();
    QImage other = IndexedFrames({9, 8}, 4, Pattern::Noise, 1, 1).front();
    QImage rgb(8, 8, QImage::Format_RGB32);
    QImage beyond = ok.copy();
    beyond.setColorCount(8);
    beyond.setPixel(3, 3, 7);
    const struct {
        const char *what;
        std::vector<QImage> frames;
        QList<QRgb> palette;
    } cases[] = {
        {"no frames", {}, palette},
        {"mixed sizes", {ok, other}, palette},
        {"not indexed", {rgb}, palette},
        {"index beyond the palette", {beyond}, palette},
        {"empty palette", {ok}, {}},
        {"palette too large", {ok}, Palette(257, 2)},
    };
    for (const auto &c : cases) EXPECT_THROW(EncodeGif(c.frames, c.palette, 5), std::invalid_argument) << c.what;
}

TEST(PromoGif, DrawnFramesBecomeAnAnimation)
{
    std::vector<QImage> frames;
    for (int i = 0; i < 5; ++i) {
        QImage img(120, 40, QImage::Format_RGB32);
        img.fill(Qt::white);
        QPainter p(&img);
        p.fillRect(QRect(i * 20, 5, 30, 30), QColor(204, 0, 0));
        p.end();
        frames.push_back(img);
    }
    int count = 0;
    const std::vector<QImage> back = ReadGif(EncodeAnimatedGif(frames, 8), &count);
    ASSERT_EQ(count, 5);
    ASSERT_EQ(back.size(), 5u);
    // Colours of the palette come through exactly.
    EXPECT_EQ(back[2].pixel(50, 20) & 0xFFFFFF, 0xCC0000u);
    EXPECT_EQ(back[2].pixel(5, 20) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(WebSafePalette().size(), 256);
    EXPECT_FALSE(ReadGif(demo::SearchBannerGif()).empty());
}

TEST(PromoPdf, ReportsBreakIntoPagesAndRepeatNothingButTheTableHeader)
{
    PdfReport r;
    r.setTitle("Cari Alış Satış Tablosu");
    r.setSubtitle("01.01.2025 – 31.03.2025");
    r.setIssuer("Tarsel Otomotiv San. ve Tic. A.Ş.", {"İkitelli OSB, Başakşehir / İstanbul"});
    r.addField("Cari", "ÖZKAN OTO YEDEK PARÇA LTD. ŞTİ.");
    r.addField("Temsilci", "Ayşe Çelik");
    r.setColumns({{"Tarih", 1}, {"Açıklama", 4}, {"Tutar", 1.5, Qt::AlignRight}});
    for (int i = 0; i < 150; ++i) {
        if (i % 50 == 0) r.addSectionRow(QString("Bölüm %1").arg(i / 50 + 1));
        r.addRow({"14.03.2025", QString("Satır %1 – çğıöşü ÇĞİÖŞÜ").arg(i), FormatMoneyTr(i * 12.5)});
    }
    r.addTotal("Toplam", FormatMoneyTr(139687.5), true);
    r.addNote("Uzun bir not satırı, kelimeler sığmadığında alt satıra geçer. " + QString(40, 'x'));
    r.setFooter("Tarsel Otomotiv");
    const QByteArray pdf = r.render();
    EXPECT_TRUE(pdf.startsWith("%PDF-"));
    EXPECT_TRUE(pdf.trimmed().endsWith("%%EOF"));
    EXPECT_TRUE(pdf.contains("DejaVu"));
    EXPECT_GE(r.lastPageCount(), 3);
    EXPECT_EQ(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") + pdf.count("/Type /Page "),
              r.lastPageCount())
        << "one page object per page";

    // Fewer rows: fewer pages.
    PdfReport small;
    small.setTitle("Boş");
    small.setColumns({{"A", 1}});
    small.setEmptyTableText("Kayıt yok");
    EXPECT_TRUE(small.render().startsWith("%PDF-"));
    EXPECT_EQ(small.lastPageCount(), 1);
}

TEST(PromoPdf, RowsMustFitTheColumns)
{
    PdfReport r;
    EXPECT_THROW(r.addSectionRow("x"), std::invalid_argument);
    r.setColumns({{"A", 1}, {"B", 1}});
    EXPECT_THROW(r.addRow({"only one"}), std::invalid_argument);
    EXPECT_THROW(r.addRow({"1", "2", "3"}), std::invalid_argument);
    r.addRow({"1", "2"});
    EXPECT_THROW(r.setColumns({{"C", 1}}), std::invalid_argument);
    EXPECT_EQ(r.rowCount(), 1u);
}

TEST(PromoPdf, DocumentsCanBeMadeOnSeveralThreadsAtOnce)
{
    std::vector<QByteArray> out(4);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&out, t] {
            PdfReport r;
            r.setTitle(QString("Dekont %1").arg(t));
            r.setOrientation(t % 2 ? PdfReport::Orientation::Landscape : PdfReport::Orientation::Portrait);
            r.setColumns({{"Taksit", 1}, {"Tutar", 1, Qt::AlignRight}});
            for (int i = 0; i < 60; ++i) r.addRow({QString::number(i), FormatMoneyTr(i * 1.1)});
            out[std::size_t(t)] = r.render();
        });
    for (auto &th : threads) th.join();
    for (const QByteArray &pdf : out) {
        EXPECT_TRUE(pdf.startsWith("%PDF-"));
        EXPECT_TRUE(pdf.trimmed().endsWith("%%EOF"));
    }
}

TEST(PromoText, TurkishFormsOfNumbersAndCards)
{
    const struct {
        double v;
        const char *money;
    } money[] = {{0, "0,00"}, {1234.5, "1.234,50"}, {-0.004, "0,00"}, {1e6, "1.000.000,00"},
                 {-12.345, "-12,35"}, {0.125, "0,13"}, {-0.125, "-0,13"}, {18450.75, "18.450,75"}};
    for (const auto &m : money) EXPECT_EQ(FormatMoneyTr(m.v), m.money) << m.v;

    const struct {
        double v;
        const char *qty;
    } qty[] = {{2, "2"}, {2.5, "2,5"}, {0.125, "0,125"}, {1000, "1.000"}};
    for (const auto &q : qty) EXPECT_EQ(FormatQuantityTr(q.v), q.qty) << q.v;

    EXPECT_EQ(FormatDateTr(QDate(2025, 3, 4)), "04.03.2025");
    EXPECT_EQ(FormatDateTimeTr(QDateTime(QDate(2025, 3, 4), QTime(9, 5))), "04.03.2025 09:05");
    EXPECT_EQ(FormatDateTr(QDate()), "");

    const struct {
        const char *in, *out;
    } cards[] = {{"4543601234561234", "4543 60** **** 1234"},
                 {"4543 6012 3456 1234", "4543 60** **** 1234"},
                 {"4543-6012-3456-1234", "4543 60** **** 1234"},
                 {"4543 60** **** 1234", "4543 60** **** 1234"},
                 {"", ""},
                 {"abc", ""}};
    for (const auto &c : cards) EXPECT_EQ(MaskCardNumber(c.in), c.out) << c.in;

    const struct {
        double v;
        const char *words;
    } words[] = {{0, "sıfır Türk lirası"},
                 {1, "bir Türk lirası"},
                 {100, "yüz Türk lirası"},
                 {1000, "bin Türk lirası"},
                 {1001, "bin bir Türk lirası"},
                 {1100, "bin yüz Türk lirası"},
                 {12500, "on iki bin beş yüz Türk lirası"},
                 {18450.75, "on sekiz bin dört yüz elli Türk lirası yetmiş beş kuruş"},
                 {1000000, "bir milyon Türk lirası"},
                 {2000000.05, "iki milyon Türk lirası beş kuruş"},
                 {9750.40, "dokuz bin yedi yüz elli Türk lirası kırk kuruş"}};
    for (const auto &w : words) EXPECT_EQ(AmountInTurkishWords(w.v), w.words) << w.v;
}

TEST(PromoText, DocumentIconsAndSafeNames)
{
    const struct {
        const char *name;
        int icon;
    } icons[] = {{"a.pdf", 4},         {"FIYAT.PDF", 4},     {"x.tar.gz", 0},  {"noext", 0},  {"dir.v1/file", 0},
                 {"liste.XlS", 6},     {"liste.xlsx", 6},    {"r.jpg", 2},     {"r.jpeg", 0}, {"r.png", 2},
                 {"r.bmp", 2},         {"s.docx", 3},        {"s.doc", 3},     {"p.pptx", 5}, {"p.ppt", 5},
                 {"d.mdb", 1},         {"C:\\a.b\\c", 0},    {"", 0}};
    for (const auto &i : icons) EXPECT_EQ(DocumentIconIndex(i.name), i.icon) << i.name;

    const struct {
        const char *in, *out;
    } names[] = {{"Fiyat Listesi.pdf", "Fiyat Listesi.pdf"},
                 {"../../etc/passwd", "passwd"},
                 {"C:\\Belgeler\\Ürün Kataloğu.pdf", "Ürün Kataloğu.pdf"},
                 {"a:b?c*.txt", "a_b_c_.txt"},
                 {"  ad. . ", "ad"},
                 {"tab\there.txt", "tab_here.txt"},
                 {"", "belge"},
                 {"..", "belge"},
                 {"dir/", "belge"}};
    for (const auto &n : names) EXPECT_EQ(SafeDocumentFileName(QString::fromUtf8(n.in)), QString::fromUtf8(n.out)) << n.in;
}

TEST(PromoZip, EntriesComeBackWithTheirUtf8Names)
{
    const std::vector<std::pair<QString, QByteArray>> entries = {
        {"OKUBENİ.txt", "Merhaba"}, {"görseller/afiş.jpg", QByteArray(5000, '\x7F')}, {"boş.bin", QByteArray()}};
    const QByteArray zip = demo::MakeZip(entries);
    QTemporaryDir dir;
    QFile f(dir.filePath("t.zip"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(zip);
    f.close();
    unzFile uf = unzOpen64(QFile::encodeName(f.fileName()).constData());
    ASSERT_NE(uf, nullptr);
    std::size_t i = 0;
    for (int rc = unzGoToFirstFile(uf); rc == UNZ_OK; rc = unzGoToNextFile(uf), ++i) {
        ASSERT_LT(i, entries.size());
        char name[256];
        unz_file_info64 info;
        ASSERT_EQ(unzGetCurrentFileInfo64(uf, &info, name, sizeof name, nullptr, 0, nullptr, 0), UNZ_OK);
        EXPECT_EQ(QString::fromUtf8(name), entries[i].first);
        EXPECT_TRUE(info.flag & (1 << 11)) << "names are marked as UTF-8";
        ASSERT_EQ(unzOpenCurrentFile(uf), UNZ_OK);
        QByteArray content(int(info.uncompressed_size), '\0');
        EXPECT_EQ(unzReadCurrentFile(uf, content.data(), unsigned(content.size())), int(content.size()));
        EXPECT_EQ(unzCloseCurrentFile(uf), UNZ_OK);
        EXPECT_EQ(content, entries[i].second);
    }
    EXPECT_EQ(i, entries.size());
    unzClose(uf);
}
