#pragma once
// PDF documents made by the server: card payment receipts, reports, the demo
// catalogue. PdfReport lays out one document of the usual business shape
//
//   issuer block (seller name and address)          title / subtitle
//   ------------------------------------------------------------------
//   header fields (label: value, two per line)
//   table (column titles repeated on every page, rows wrap their text,
//          optional full-width section rows)
//                                                        totals block
//   notes (paragraphs)
//   ------------------------------------------------------------------
//   footer text                                         Sayfa 1 / 2
//
// on A4 pages (portrait or landscape) with the DejaVu fonts, so Turkish
// letters render everywhere. Every part is optional.
//
// Rendering needs a QGuiApplication (text layout uses the platform's font
// database); the server creates one with the "offscreen" platform. A
// PdfReport may be rendered on any thread; render() can be called again.

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <stdexcept>
#include <vector>

namespace tarsel::server {

// A PDF could not be made; the text is Turkish and may go to the client.
class PdfError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct PdfColumn {
    QString title;
    double weight = 1.0;                 // share of the table width (relative to the others)
    Qt::Alignment align = Qt::AlignLeft; // Qt::AlignLeft, Qt::AlignRight or Qt::AlignHCenter
};

class PdfReport {
public:
    enum class Orientation { Portrait, Landscape };

    void setOrientation(Orientation orientation) { orientation_ = orientation; }
    // Large heading at the top right of the first page; also the PDF's title.
    void setTitle(const QString &title) { title_ = title; }
    // A smaller line under the title (document number, date range ...).
    void setSubtitle(const QString &subtitle) { subtitle_ = subtitle; }
    // Seller block at the top left of the first page: name in bold, then lines.
    void setIssuer(const QString &name, const QStringList &lines = {})
    {
        issuerName_ = name;
        issuerLines_ = lines;
    }
    // Header fields under the title, two per line in the order added.
    void addField(const QString &label, const QString &value) { fields_.push_back({label, value}); }

    // The table. Columns must be set before rows are added; a row with another
    // number of cells than columns throws std::invalid_argument.
    void setColumns(std::vector<PdfColumn> columns);
    void addRow(const QStringList &cells);
    // A full-width, emphasised row inside the table (a group heading).
    void addSectionRow(const QString &text);
    // Text shown in place of the table body when it has no rows.
    void setEmptyTableText(const QString &text) { emptyText_ = text; }

    // Totals block, right-aligned under the table; an emphasised line is
    // larger, bold and set off by a rule (the grand total).
    void addTotal(const QString &label, const QString &value, bool emphasised = false)
    {
        totals_.push_back({label, value, emphasised});
    }
    // Paragraphs after the totals; '\n' starts a new line.
    void addNote(const QString &text) { notes_.push_back(text); }
    // Small text at the bottom of every page, left of the page number.
    void setFooter(const QString &text) { footer_ = text; }
    // Metadata: creator (default "tarsel-server").
    void setCreator(const QString &creator) { creator_ = creator; }

    int columnCount() const { return int(columns_.size()); }
    std::size_t rowCount() const { return rows_.size(); }

    // The finished document. Throws PdfError when it cannot be made.
    QByteArray render() const;
    // Pages of the last render() (0 before the first).
    int lastPageCount() const { return lastPageCount_; }

private:
    struct Field {
        QString label, value;
    };
    struct Row {
        QStringList cells;
        bool section = false;
    };
    struct Total {
        QString label, value;
        bool emphasised;
    };

    Orientation orientation_ = Orientation::Portrait;
    QString title_, subtitle_, issuerName_, footer_, emptyText_;
    QString creator_ = QStringLiteral("tarsel-server");
    QStringList issuerLines_;
    std::vector<Field> fields_;
    std::vector<PdfColumn> columns_;
    std::vector<Row> rows_;
    std::vector<Total> totals_;
    QStringList notes_;
    mutable int lastPageCount_ = 0;
};

// Turkish number and date forms used on documents.
QString FormatMoneyTr(double value);                 // 1.234,56
QString FormatQuantityTr(double value);              // 2 or 2,5 (up to 3 decimals)
QString FormatDateTr(const QDate &date);             // 14.03.2025
QString FormatDateTimeTr(const QDateTime &dateTime); // 14.03.2025 09:26

// A card number with everything but the first six and the last four digits
// replaced by '*', grouped by four: "4543 60** **** 1234". Fewer than 10
// digits: all but the last four are masked.
QString MaskCardNumber(const QString &cardNumber);

// Family name of the font documents are set in ("DejaVu Sans"), registered
// with the font database on first use. Throws PdfError without a
// QGuiApplication or when the font cannot be found.
QString DocumentFontFamily();

}  // namespace tarsel::server
