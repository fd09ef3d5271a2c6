#include "server/pdfwriter.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLocale>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <deque>
#include <functional>
#include <mutex>

namespace tarsel::server {

namespace {

constexpr int kDpi = 300;
constexpr double kMarginMm = 15.0;

double Mm(double mm) { return mm * kDpi / 25.4; }

const QColor kInk(0x20, 0x20, 0x20);
const QColor kMuted(0x60, 0x66, 0x70);
const QColor kAccent(0x1F, 0x4E, 0x79);
const QColor kGrid(0xB0, 0xB7, 0xC3);
const QColor kStripe(0xF2, 0xF5, 0xF9);
const QColor kSection(0xDC, 0xE6, 0xF1);

const char *const kFontFiles[] = {
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSans-Oblique.ttf",
};

// Text set as one block of wrapped lines (long words break anywhere), the
// same way for measuring and for drawing.
class TextBlock {
public:
    TextBlock(const QString &text, const QFont &font, QPaintDevice *device, double width,
              Qt::Alignment align = Qt::AlignLeft)
        : layout_(QString(text).replace(QLatin1Char('\n'), QChar::LineSeparator), font, device)
    {
        QTextOption option(align | Qt::AlignTop);
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout_.setTextOption(option);
        layout_.setCacheEnabled(true);
        layout_.beginLayout();
        double y = 0;
        for (;;) {
            QTextLine line = layout_.createLine();
            if (!line.isValid()) break;
            line.setLineWidth(std::max(1.0, width));
            line.setPosition(QPointF(0, y));
            y += line.height();
        }
        layout_.endLayout();
        height_ = y;
    }
    double height() const { return height_; }
    void draw(QPainter &p, QPointF topLeft) const { layout_.draw(&p, topLeft); }

private:
    QTextLayout layout_;
    double height_ = 0;
};

// One piece of the page flow.
struct Item {
    double height = 0;
    double spaceAfter = 0;
    bool tableRow = false;      // a page break before it repeats the table header
    bool keepWithNext = false;  // never the last item of a page
    std::function<void(QPainter &, const QRectF &)> paint;
};

struct Placed {
    int item;  // index into items, or -1 for the repeated table header
    double y;
};

}  // namespace

QString DocumentFontFamily()
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        throw PdfError("PDF oluşturulamadı: sunucu grafik altyapısı (QGuiApplication) olmadan çalışıyor");
    static std::once_flag once;
    static QString family;
    std::call_once(once, [] {
        const QString wanted = QStringLiteral("DejaVu Sans");
        if (QFontDatabase::families().contains(wanted)) {
            family = wanted;
            return;
        }
        for (const char *path : kFontFiles) {
            if (!QFile::exists(QString::fromLatin1(path))) continue;
            const int id = QFontDatabase::addApplicationFont(QString::fromLatin1(path));
            if (id >= 0 && family.isEmpty()) {
                const QStringList names = QFontDatabase::applicationFontFamilies(id);
                if (!names.isEmpty()) family = names.first();
            }
        }
    });
    if (family.isEmpty())
        throw PdfError("PDF oluşturulamadı: DejaVu yazı tipi bulunamadı (fonts-dejavu-core paketi kurulu olmalı)");
    return family;
}

void PdfReport::setColumns(std::vector<PdfColumn> columns)
{
    if (!rows_.empty()) throw std::invalid_argument("PdfReport: columns must be set before rows are added");
    columns_ = std::move(columns);
}

void PdfReport::addRow(const QStringList &cells)
{
    if (cells.size() != qsizetype(columns_.size()))
        throw std::invalid_argument("PdfReport: a row has " + std::to_string(cells.size()) + " cells for " +
                                    std::to_string(columns_.size()) + " columns");
    rows_.push_back({cells, false});
}

void PdfReport::addSectionRow(const QString &text)
{
    if (columns_.empty()) throw std::invalid_argument("PdfReport: a section row needs columns");
    rows_.push_back({QStringList{text}, true});
}

QByteArray PdfReport::render() const
{
    const QString family = DocumentFontFamily();

    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(kDpi);
    writer.setCreator(creator_);
    writer.setTitle(title_);
    const QPageLayout layout(QPageSize(QPageSize::A4),
                             orientation_ == Orientation::Landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                             QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm), QPageLayout::Millimeter);
    if (!writer.setPageLayout(layout)) throw PdfError("PDF oluşturulamadı: sayfa düzeni ayarlanamadı");

    QPainter painter;
    if (!painter.begin(&writer)) throw PdfError("PDF oluşturulamadı: çizim başlatılamadı");
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    // The painter's coordinates start at the margins.
    const QRect paint = writer.pageLayout().paintRectPixels(kDpi);
    const double pageW = paint.width();
    const double pageH = paint.height();
    const double footerH = Mm(8);
    const double bodyBottom = pageH - footerH;

    auto font = [&](double pt, bool bold = false, bool italic = false) {
        QFont f(family);
        f.setPointSizeF(pt);
        f.setBold(bold);
        f.setItalic(italic);
        f.setStyleStrategy(QFont::PreferOutline);
        return f;
    };
    const QFont fTitle = font(15, true), fSubtitle = font(9.5), fIssuer = font(12, true), fIssuerLine = font(8),
                fLabel = font(8.5, true), fValue = font(8.5), fHead = font(8, true), fCell = font(8),
                fSectionRow = font(8.5, true), fTotal = font(9), fGrand = font(11, true), fNote = font(8),
                fFooter = font(7);
    QPaintDevice *dev = &writer;
    const double pad = Mm(1.2);
    const double rule = Mm(0.2);

    std::vector<Item> items;

    // Issuer (left) and title (right).
    {
        const double half = pageW * 0.5 - Mm(3);
        auto issuer = std::make_shared<std::deque<TextBlock>>();
        if (!issuerName_.isEmpty()) issuer->emplace_back(issuerName_, fIssuer, dev, half);
        for (const QString &l : issuerLines_) issuer->emplace_back(l, fIssuerLine, dev, half);
        auto titles = std::make_shared<std::deque<TextBlock>>();
        if (!title_.isEmpty()) titles->emplace_back(title_, fTitle, dev, half, Qt::AlignRight);
        if (!subtitle_.isEmpty()) titles->emplace_back(subtitle_, fSubtitle, dev, half, Qt::AlignRight);
        const bool hasName = !issuerName_.isEmpty();
        double hl = 0, hr = 0;
        for (const auto &b : *issuer) hl += b.height();
        for (const auto &b : *titles) hr += b.height() + Mm(1);
        if (hl > 0 || hr > 0) {
            Item it;
            it.height = std::max(hl, hr) + Mm(3);
            it.spaceAfter = Mm(4);
            it.paint = [=](QPainter &p, const QRectF &r) {
                double y = r.top();
                for (std::size_t i = 0; i < issuer->size(); ++i) {
                    p.setPen(i == 0 && hasName ? kAccent : kMuted);
                    (*issuer)[i].draw(p, QPointF(r.left(), y));
                    y += (*issuer)[i].height();
                }
                y = r.top();
                p.setPen(kAccent);
                for (std::size_t i = 0; i < titles->size(); ++i) {
                    if (i == 1) p.setPen(kInk);
                    (*titles)[i].draw(p, QPointF(r.right() - half, y));
                    y += (*titles)[i].height() + Mm(1);
                }
                p.setPen(QPen(kAccent, Mm(0.5)));
                p.drawLine(QPointF(r.left(), r.bottom()), QPointF(r.right(), r.bottom()));
            };
            items.push_back(std::move(it));
        }
    }

    // Header fields, two per line.
    {
        const double colW = (pageW - Mm(6)) / 2;
        const double labelW = colW * 0.38;
        for (std::size_t i = 0; i < fields_.size(); i += 2) {
            auto blocks = std::make_shared<std::deque<TextBlock>>();
            double h = 0;
            for (std::size_t j = i; j < std::min(i + 2, fields_.size()); ++j) {
                blocks->emplace_back(fields_[j].label + QLatin1Char(':'), fLabel, dev, labelW - Mm(1));
                blocks->emplace_back(fields_[j].value, fValue, dev, colW - labelW);
                h = std::max({h, (*blocks)[blocks->size() - 2].height(), blocks->back().height()});
            }
            Item it;
            it.height = h + Mm(1.2);
            it.spaceAfter = (i + 2 >= fields_.size()) ? Mm(4) : 0;
            it.paint = [=](QPainter &p, const QRectF &r) {
                for (std::size_t k = 0; k < blocks->size(); k += 2) {
                    const double x = r.left() + (k / 2) * (colW + Mm(6));
                    p.setPen(kMuted);
                    (*blocks)[k].draw(p, QPointF(x, r.top()));
                    p.setPen(kInk);
                    (*blocks)[k + 1].draw(p, QPointF(x + labelW, r.top()));
                }
            };
            items.push_back(std::move(it));
        }
    }

    // The table.
    int headerItem = -1;
    std::vector<double> colX, colW;
    if (!columns_.empty()) {
        double sum = 0;
        for (const auto &c : columns_) sum += std::max(0.01, c.weight);
        double x = 0;
        for (const auto &c : columns_) {
            colX.push_back(x);
            colW.push_back(pageW * std::max(0.01, c.weight) / sum);
            x += colW.back();
        }
        // Column titles.
        {
            auto blocks = std::make_shared<std::deque<TextBlock>>();
            double h = 0;
            for (std::size_t c = 0; c < columns_.size(); ++c) {
                blocks->emplace_back(columns_[c].title, fHead, dev, colW[c] - 2 * pad, columns_[c].align);
                h = std::max(h, blocks->back().height());
            }
            Item it;
            it.height = h + 2 * pad;
            it.keepWithNext = true;
            it.paint = [=](QPainter &p, const QRectF &r) {
                p.fillRect(QRectF(r.left(), r.top(), pageW, r.height()), kAccent);
                p.setPen(Qt::white);
                for (std::size_t c = 0; c < blocks->size(); ++c)
                    (*blocks)[c].draw(p, QPointF(r.left() + colX[c] + pad, r.top() + pad));
            };
            headerItem = int(items.size());
            items.push_back(std::move(it));
        }
        int stripe = 0;
        for (const Row &row : rows_) {
            auto blocks = std::make_shared<std::deque<TextBlock>>();
            double h = 0;
            const bool section = row.section;
            if (section) {
                blocks->emplace_back(row.cells.value(0), fSectionRow, dev, pageW - 2 * pad);
                h = blocks->back().height();
                stripe = 0;
            } else {
                for (std::size_t c = 0; c < columns_.size(); ++c) {
                    blocks->emplace_back(row.cells[qsizetype(c)], fCell, dev, colW[c] - 2 * pad, columns_[c].align);
                    h = std::max(h, blocks->back().height());
                }
            }
            const bool shaded = !section && (stripe++ % 2 == 1);
            Item it;
            it.height = h + 2 * pad;
            it.tableRow = true;
            it.keepWithNext = section;
            it.paint = [=](QPainter &p, const QRectF &r) {
                const QRectF band(r.left(), r.top(), pageW, r.height());
                if (section) p.fillRect(band, kSection);
                else if (shaded) p.fillRect(band, kStripe);
                p.setPen(QPen(kGrid, rule));
                p.drawLine(band.bottomLeft(), band.bottomRight());
                p.setPen(kInk);
                p.save();
                p.setClipRect(band);
                if (section) {
                    (*blocks)[0].draw(p, QPointF(r.left() + pad, r.top() + pad));
                } else {
                    for (std::size_t c = 0; c < blocks->size(); ++c)
                        (*blocks)[c].draw(p, QPointF(r.left() + colX[c] + pad, r.top() + pad));
                }
                p.restore();
            };
            items.push_back(std::move(it));
        }
        if (rows_.empty() && !emptyText_.isEmpty()) {
            auto block = std::make_shared<TextBlock>(emptyText_, font(8, false, true), dev, pageW - 2 * pad,
                                                     Qt::AlignHCenter);
            Item it;
            it.height = block->height() + 4 * pad;
            it.tableRow = true;
            it.paint = [=](QPainter &p, const QRectF &r) {
                p.setPen(kMuted);
                block->draw(p, QPointF(r.left() + pad, r.top() + 2 * pad));
                p.setPen(QPen(kGrid, rule));
                p.drawLine(QPointF(r.left(), r.bottom()), QPointF(r.left() + pageW, r.bottom()));
            };
            items.push_back(std::move(it));
        }
        items.back().spaceAfter = Mm(4);
    }

    // Totals, right-aligned.
    if (!totals_.empty()) {
        const double blockW = std::min(pageW, Mm(95));
        const double valueW = blockW * 0.45;
        struct Line {
            std::shared_ptr<TextBlock> label, value;
            bool emphasised;
        };
        auto lines = std::make_shared<std::vector<Line>>();
        double h = 0;
        for (const Total &t : totals_) {
            const QFont &f = t.emphasised ? fGrand : fTotal;
            Line l{std::make_shared<TextBlock>(t.label, f, dev, blockW - valueW - pad, Qt::AlignRight),
                   std::make_shared<TextBlock>(t.value, f, dev, valueW, Qt::AlignRight), t.emphasised};
            h += std::max(l.label->height(), l.value->height()) + (t.emphasised ? 2.5 * pad : pad);
            lines->push_back(l);
        }
        Item it;
        it.height = h;
        it.spaceAfter = Mm(5);
        it.paint = [=](QPainter &p, const QRectF &r) {
            double y = r.top();
            const double x0 = r.left() + pageW - blockW;
            for (const Line &l : *lines) {
                if (l.emphasised) {
                    p.setPen(QPen(kAccent, Mm(0.4)));
                    p.drawLine(QPointF(x0, y + pad * 0.5), QPointF(x0 + blockW, y + pad * 0.5));
                    y += 1.5 * pad;
                }
                p.setPen(l.emphasised ? kAccent : kMuted);
                l.label->draw(p, QPointF(x0, y));
                p.setPen(l.emphasised ? kAccent : kInk);
                l.value->draw(p, QPointF(x0 + blockW - valueW, y));
                y += std::max(l.label->height(), l.value->height()) + pad;
            }
        };
        items.push_back(std::move(it));
    }

    for (const QString &note : notes_) {
        auto block = std::make_shared<TextBlock>(note, fNote, dev, pageW);
        Item it;
        it.height = block->height();
        it.spaceAfter = Mm(2);
        it.paint = [=](QPainter &p, const QRectF &r) {
            p.setPen(kInk);
            block->draw(p, r.topLeft());
        };
        items.push_back(std::move(it));
    }

    // Page flow: items go down the page; an item that does not fit starts a
    // new page (unless it is the first on its page, then it is cut). Inside
    // the table a new page starts with the column titles again; a title row
    // or section row is never left alone at the bottom of a page.
    std::vector<std::vector<Placed>> pages(1);
    double y = 0;
    auto fits = [&](std::size_t i) {
        double need = items[i].height;
        for (std::size_t j = i; items[j].keepWithNext && j + 1 < items.size(); ++j) need += items[j + 1].height;
        return y + need <= bodyBottom;
    };
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (!pages.back().empty() && !fits(i)) {
            pages.emplace_back();
            y = 0;
            if (items[i].tableRow && headerItem >= 0) {
                pages.back().push_back({-1, y});
                y += items[std::size_t(headerItem)].height;
            }
        }
        pages.back().push_back({int(i), y});
        y += items[i].height + items[i].spaceAfter;
    }
    const int pageCount = int(pages.size());

    for (int pg = 0; pg < pageCount; ++pg) {
        if (pg > 0 && !writer.newPage()) {
            painter.end();
            throw PdfError("PDF oluşturulamadı: yeni sayfa açılamadı");
        }
        for (const Placed &pl : pages[std::size_t(pg)]) {
            const Item &it = items[std::size_t(pl.item < 0 ? headerItem : pl.item)];
            painter.save();
            it.paint(painter, QRectF(0, pl.y, pageW, std::min(it.height, bodyBottom - pl.y)));
            painter.restore();
        }
        // Footer.
        const double fy = pageH - footerH + Mm(2.5);
        painter.setPen(QPen(kGrid, rule));
        painter.drawLine(QPointF(0, fy - Mm(1)), QPointF(pageW, fy - Mm(1)));
        painter.setPen(kMuted);
        const QString pageText = QStringLiteral("Sayfa %1 / %2").arg(pg + 1).arg(pageCount);
        TextBlock number(pageText, fFooter, dev, Mm(30), Qt::AlignRight);
        number.draw(painter, QPointF(pageW - Mm(30), fy));
        if (!footer_.isEmpty()) {
            TextBlock foot(footer_, fFooter, dev, pageW - Mm(34));
            foot.draw(painter, QPointF(0, fy));
        }
    }
    if (!painter.end()) throw PdfError("PDF oluşturulamadı: çizim tamamlanamadı");
    lastPageCount_ = pageCount;
    buffer.close();
    if (!out.startsWith("%PDF")) throw PdfError("PDF oluşturulamadı: çıktı boş");
    return out;
}

QString FormatMoneyTr(double value)
{
    static const QLocale tr(QLocale::Turkish, QLocale::Turkey);
    // Round half away from zero to cents first, so -0,004 does not print as -0,00.
    double cents = std::round(value * 100.0);
    if (cents == 0) cents = 0;  // no negative zero
    return tr.toString(cents / 100.0, 'f', 2);
}

QString FormatQuantityTr(double value)
{
    static const QLocale tr(QLocale::Turkish, QLocale::Turkey);
    QString s = tr.toString(std::round(value * 1000.0) / 1000.0, 'f', 3);
    while (s.endsWith(QLatin1Char('0'))) s.chop(1);
    if (s.endsWith(QLatin1Char(','))) s.chop(1);
    return s;
}

QString FormatDateTr(const QDate &date)
{
    return date.isValid() ? date.toString(QStringLiteral("dd.MM.yyyy")) : QString();
}

QString FormatDateTimeTr(const QDateTime &dateTime)
{
    return dateTime.isValid() ? dateTime.toString(QStringLiteral("dd.MM.yyyy HH:mm")) : QString();
}

QString MaskCardNumber(const QString &cardNumber)
{
    QString digits;
    for (QChar c : cardNumber)
        if (c.isDigit() || c == QLatin1Char('*')) digits += c;
    const qsizetype n = digits.size();
    if (n == 0) return QString();
    const qsizetype keepHead = n >= 10 ? 6 : 0;
    for (qsizetype i = keepHead; i < n - 4; ++i) digits[i] = QLatin1Char('*');
    QString grouped;
    for (qsizetype i = 0; i < n; ++i) {
        if (i > 0 && i % 4 == 0) grouped += QLatin1Char(' ');
        grouped += digits[i];
    }
    return grouped;
}

}  // namespace tarsel::server
