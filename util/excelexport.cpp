#include "util/excelexport.h"

#include <QAbstractItemModel>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <xlsxwriter.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace tarsel {

namespace {

constexpr qint64 kMaxSheetRows = 1048576;  // including the header row
constexpr int kMaxSheetColumns = 16384;
constexpr qsizetype kMaxCellText = 32767;  // characters in one cell
constexpr qint64 kMaxExactInteger = 999999999999999;  // 15 digits
constexpr int kWidthSampleRows = 1000;
constexpr qint64 kProgressStep = 1000;

[[noreturn]] void fail(const QString &path, const QString &what)
{
    throw std::runtime_error(QStringLiteral("Excel export to \"%1\" failed: %2").arg(path, what).toStdString());
}

void check(lxw_error err, const QString &path, const char *step)
{
    if (err != LXW_NO_ERROR)
        fail(path, QStringLiteral("%1: %2").arg(QLatin1String(step), QString::fromUtf8(lxw_strerror(err))));
}

// Depth-first walk over every row of the model: `f(row, parent)` for a row,
// then the rows below it. The walk stops when `f` returns false.
template <typename F>
bool walkRows(const QAbstractItemModel *m, const QModelIndex &parent, F &f)
{
    const int rows = m->rowCount(parent);
    for (int r = 0; r < rows; ++r) {
        if (!f(r, parent)) return false;
        const QModelIndex first = m->index(r, 0, parent);
        if (first.isValid() && m->hasChildren(first) && !walkRows(m, first, f)) return false;
    }
    return true;
}

qint64 countRows(const QAbstractItemModel *m)
{
    qint64 n = 0;
    auto count = [&](int, const QModelIndex &) { ++n; return true; };
    walkRows(m, QModelIndex(), count);
    return n;
}

QVariant cellValue(const QAbstractItemModel *m, int row, int col, const QModelIndex &parent)
{
    if (col >= m->columnCount(parent)) return {};
    const QModelIndex idx = m->index(row, col, parent);
    if (!idx.isValid()) return {};
    QVariant v = m->data(idx, Qt::EditRole);
    if (!v.isValid()) v = m->data(idx, Qt::DisplayRole);
    return v;
}

enum class CellKind { Empty, Integer, Float, Bool, Date, DateTime, Text };

struct Classified {
    CellKind kind = CellKind::Empty;
    double number = 0;
    bool flag = false;
    QDateTime when;
    QString text;
};

bool excelDateRange(const QDate &d) { return d.isValid() && d.year() >= 1900 && d.year() <= 9999; }

Classified classify(const QVariant &v)
{
    Classified c;
    if (!v.isValid() || v.isNull()) return c;
    switch (v.typeId()) {
    case QMetaType::Bool:
        c.kind = CellKind::Bool;
        c.flag = v.toBool();
        return c;
    case QMetaType::Int: case QMetaType::Short: case QMetaType::SChar: case QMetaType::Long:
    case QMetaType::LongLong: {
        const qlonglong i = v.toLongLong();
        if (i > kMaxExactInteger || i < -kMaxExactInteger) break;  // text keeps every digit
        c.kind = CellKind::Integer;
        c.number = double(i);
        return c;
    }
    case QMetaType::UInt: case QMetaType::UShort: case QMetaType::UChar: case QMetaType::ULong:
    case QMetaType::ULongLong: {
        const qulonglong u = v.toULongLong();
        if (u > qulonglong(kMaxExactInteger)) break;
        c.kind = CellKind::Integer;
        c.number = double(u);
        return c;
    }
    case QMetaType::Double: case QMetaType::Float: {
        const double d = v.toDouble();
        if (!std::isfinite(d)) break;  // no spreadsheet number for NaN/inf: text
        c.kind = CellKind::Float;
        c.number = d;
        return c;
    }
    case QMetaType::QDate: {
        const QDate d = v.toDate();
        if (!d.isValid()) return c;
        if (!excelDateRange(d)) break;
        c.kind = CellKind::Date;
        c.when = QDateTime(d, QTime(0, 0));
        return c;
    }
    case QMetaType::QDateTime: {
        const QDateTime dt = v.toDateTime();
        if (!dt.isValid()) return c;
        if (!excelDateRange(dt.date())) break;
        c.kind = dt.time() == QTime(0, 0) ? CellKind::Date : CellKind::DateTime;
        c.when = dt;
        return c;
    }
    default:
        break;
    }
    c.text = v.toString();
    c.kind = c.text.isEmpty() ? CellKind::Empty : CellKind::Text;
    return c;
}

// Estimated width in characters of a cell as a spreadsheet shows it.
int displayWidth(const Classified &c)
{
    switch (c.kind) {
    case CellKind::Empty: return 0;
    case CellKind::Bool: return 5;
    case CellKind::Date: return 10;
    case CellKind::DateTime: return 19;
    case CellKind::Integer: return int(QString::number(qint64(c.number)).size());
    case CellKind::Float: {
        // Digits, grouping separators, two decimals.
        const int digits = int(QString::number(std::floor(std::fabs(c.number)), 'f', 0).size());
        return digits + (digits - 1) / 3 + 3 + (c.number < 0 ? 1 : 0);
    }
    case CellKind::Text: {
        int widest = 0;
        for (const QStringView line : QStringView(c.text).split(QLatin1Char('\n')))
            widest = std::max(widest, int(line.size()));
        return widest;
    }
    }
    return 0;
}

QByteArray cellText(const QString &text)
{
    if (text.size() <= kMaxCellText) return text.toUtf8();
    qsizetype n = kMaxCellText;
    if (text.at(n - 1).isHighSurrogate()) --n;  // keep surrogate pairs whole
    return text.left(n).toUtf8();
}

lxw_datetime toLxw(const QDateTime &dt)
{
    const QDate d = dt.date();
    const QTime t = dt.time();
    lxw_datetime x{};
    x.year = d.year();
    x.month = d.month();
    x.day = d.day();
    x.hour = t.hour();
    x.min = t.minute();
    x.sec = t.second() + t.msec() / 1000.0;
    return x;
}

// A name in the target folder that does not exist yet; created empty right
// away so that a folder we cannot write to is reported before the work.
QString reserveTempName(const QString &target)
{
    const QFileInfo fi(target);
    const QDir dir = fi.absoluteDir();
    if (!dir.exists()) fail(target, QStringLiteral("the folder %1 does not exist").arg(dir.path()));
    if (fi.isDir()) fail(target, QStringLiteral("a folder with that name exists"));
    QString lastError;
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QString name = dir.filePath(QStringLiteral(".%1.%2.part")
                                              .arg(fi.fileName())
                                              .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
        QFile f(name);
        if (f.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            f.close();
            return name;
        }
        lastError = f.errorString();
        if (!QFileInfo::exists(name)) break;  // not a name clash: give up
    }
    fail(target, QStringLiteral("cannot create a file in %1: %2").arg(dir.path(), lastError));
}

bool replaceFile(const QString &from, const QString &to)
{
#ifdef Q_OS_WIN
    QFile::remove(to);
    return QFile::rename(from, to);
#else
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
#endif
}

// Owns the workbook and the temporary file until the export is complete.
class PendingWorkbook {
public:
    PendingWorkbook(const QString &target, const QString &temp) : target_(target), temp_(temp)
    {
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        options.use_zip64 = LXW_TRUE;
        const QByteArray name = QFile::encodeName(temp_);
        wb_ = workbook_new_opt(name.constData(), &options);
        if (!wb_) {
            QFile::remove(temp_);
            fail(target_, QStringLiteral("cannot start the workbook (out of memory)"));
        }
    }
    ~PendingWorkbook()
    {
        if (wb_) lxw_workbook_free(wb_);
        if (!committed_) QFile::remove(temp_);
    }
    PendingWorkbook(const PendingWorkbook &) = delete;
    PendingWorkbook &operator=(const PendingWorkbook &) = delete;

    lxw_workbook *get() const { return wb_; }

    void commit()
    {
        lxw_workbook *wb = wb_;
        wb_ = nullptr;  // workbook_close frees it, whatever the outcome
        check(workbook_close(wb), target_, "writing the file");
        if (!replaceFile(temp_, target_))
            fail(target_, QStringLiteral("cannot replace the file: %1").arg(QString::fromLocal8Bit(std::strerror(errno))));
        committed_ = true;
    }

private:
    QString target_;
    QString temp_;
    lxw_workbook *wb_ = nullptr;
    bool committed_ = false;
};

}  // namespace

QString ExcelExportFileName(const QString &chosen)
{
    if (chosen.isEmpty()) return {};
    const qsizetype slash = std::max(chosen.lastIndexOf(QLatin1Char('/')), chosen.lastIndexOf(QLatin1Char('\\')));
    const qsizetype nameStart = slash + 1;
    const qsizetype dot = chosen.lastIndexOf(QLatin1Char('.'));
    // A dot at the very start of the name ("/x/.rapor") is not an extension.
    if (dot > nameStart) return chosen.left(dot) + QLatin1String(".xlsx");
    return chosen + QLatin1String(".xlsx");
}

void ExportGridToExcel(const QString &fileName, const QAbstractItemModel *model,
                       const std::function<void(qint64, qint64)> &progress)
{
    if (fileName.isEmpty()) fail(fileName, QStringLiteral("no file name given"));
    if (!model) fail(fileName, QStringLiteral("no grid model given"));

    const int columns = model->columnCount();
    if (columns > kMaxSheetColumns)
        fail(fileName, QStringLiteral("%1 columns exceed the worksheet limit of %2").arg(columns).arg(kMaxSheetColumns));
    const qint64 total = countRows(model);
    if (total + 1 > kMaxSheetRows)
        fail(fileName, QStringLiteral("%1 rows exceed the worksheet limit of %2").arg(total).arg(kMaxSheetRows - 1));
    if (progress) progress(0, total);

    // Column widths from the header and the first rows.
    std::vector<QString> headers(static_cast<size_t>(columns));
    std::vector<int> widths(size_t(columns), 0);
    for (int c = 0; c < columns; ++c) {
        headers[size_t(c)] = model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        widths[size_t(c)] = int(headers[size_t(c)].size()) + 2;  // bold header
    }
    int sampled = 0;
    auto sample = [&](int row, const QModelIndex &parent) {
        for (int c = 0; c < columns; ++c)
            widths[size_t(c)] = std::max(widths[size_t(c)], displayWidth(classify(cellValue(model, row, c, parent))));
        return ++sampled < kWidthSampleRows;
    };
    walkRows(model, QModelIndex(), sample);

    PendingWorkbook book(fileName, reserveTempName(fileName));
    lxw_workbook *wb = book.get();
    lxw_worksheet *ws = workbook_add_worksheet(wb, "Sayfa1");
    if (!ws) fail(fileName, QStringLiteral("cannot create the worksheet (temporary file not writable?)"));

    lxw_format *headerFmt = workbook_add_format(wb);
    lxw_format *numberFmt = workbook_add_format(wb);
    lxw_format *dateFmt = workbook_add_format(wb);
    lxw_format *dateTimeFmt = workbook_add_format(wb);
    if (!headerFmt || !numberFmt || !dateFmt || !dateTimeFmt) fail(fileName, QStringLiteral("out of memory"));
    format_set_bold(headerFmt);
    format_set_num_format(numberFmt, kExcelNumberFormat);
    format_set_num_format(dateFmt, kExcelDateFormat);
    format_set_num_format(dateTimeFmt, kExcelDateTimeFormat);

    for (int c = 0; c < columns; ++c) {
        const double w = std::clamp(widths[size_t(c)] + 1, 6, 60);
        check(worksheet_set_column(ws, lxw_col_t(c), lxw_col_t(c), w, nullptr), fileName, "column width");
    }
    if (columns > 0) worksheet_freeze_panes(ws, 1, 0);

    for (int c = 0; c < columns; ++c)
        if (!headers[size_t(c)].isEmpty())
            check(worksheet_write_string(ws, 0, lxw_col_t(c), cellText(headers[size_t(c)]).constData(), headerFmt),
                  fileName, "header cell");

    lxw_row_t sheetRow = 1;
    qint64 done = 0;
    auto writeRow = [&](int row, const QModelIndex &parent) {
        for (int c = 0; c < columns; ++c) {
            const Classified v = classify(cellValue(model, row, c, parent));
            const lxw_col_t col = lxw_col_t(c);
            lxw_error err = LXW_NO_ERROR;
            switch (v.kind) {
            case CellKind::Empty: break;
            case CellKind::Integer: err = worksheet_write_number(ws, sheetRow, col, v.number, nullptr); break;
            case CellKind::Float: err = worksheet_write_number(ws, sheetRow, col, v.number, numberFmt); break;
            case CellKind::Bool: err = worksheet_write_boolean(ws, sheetRow, col, v.flag ? 1 : 0, nullptr); break;
            case CellKind::Date:
            case CellKind::DateTime: {
                lxw_datetime when = toLxw(v.when);
                err = worksheet_write_datetime(ws, sheetRow, col, &when,
                                               v.kind == CellKind::Date ? dateFmt : dateTimeFmt);
                break;
            }
            case CellKind::Text:
                err = worksheet_write_string(ws, sheetRow, col, cellText(v.text).constData(), nullptr);
                break;
            }
            check(err, fileName, "cell");
        }
        ++sheetRow;
        ++done;
        if (progress && done % kProgressStep == 0 && done < total) progress(done, total);
        return true;
    };
    walkRows(model, QModelIndex(), writeRow);

    book.commit();
    if (progress) progress(total, total);
}

}  // namespace tarsel
