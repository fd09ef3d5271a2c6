#include "tests/util/xlsxreader.h"

#include <QFile>
#include <QXmlStreamReader>

#include <minizip/unzip.h>

#include <stdexcept>

namespace tarsel::test {

namespace {

[[noreturn]] void fail(const QString &what)
{
    throw std::runtime_error(what.toStdString());
}

class Zip {
public:
    explicit Zip(const QString &path) : path_(path)
    {
        zf_ = unzOpen64(QFile::encodeName(path).constData());
        if (!zf_) fail(QStringLiteral("%1: not a zip file").arg(path));
    }
    ~Zip()
    {
        if (zf_) unzClose(zf_);
    }
    unzFile get() const { return zf_; }

private:
    QString path_;
    unzFile zf_ = nullptr;
};

// Excel escapes characters XML cannot hold as _xHHHH_.
QString decodeExcelEscapes(const QString &s)
{
    if (!s.contains(QLatin1String("_x"))) return s;
    QString out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size();) {
        if (i + 7 <= s.size() && s.at(i) == QLatin1Char('_') && s.at(i + 1) == QLatin1Char('x') &&
            s.at(i + 6) == QLatin1Char('_')) {
            bool ok = false;
            const uint code = s.mid(i + 2, 4).toUInt(&ok, 16);
            if (ok) {
                out += QChar(char16_t(code));
                i += 7;
                continue;
            }
        }
        out += s.at(i++);
    }
    return out;
}

// Concatenated text of all <t> elements inside the current element.
QString readRichText(QXmlStreamReader &x)
{
    QString text;
    int depth = 1;
    while (depth > 0 && !x.atEnd()) {
        x.readNext();
        if (x.isStartElement()) {
            ++depth;
            if (x.name() == QLatin1String("t")) {
                text += x.readElementText();
                --depth;
            }
        } else if (x.isEndElement()) {
            --depth;
        }
    }
    return decodeExcelEscapes(text);
}

QString builtinFormat(int id)
{
    static const QMap<int, QString> kBuiltins = {
        {0, QStringLiteral("General")},   {1, QStringLiteral("0")},
        {2, QStringLiteral("0.00")},      {3, QStringLiteral("#,##0")},
        {4, QStringLiteral("#,##0.00")},  {9, QStringLiteral("0%")},
        {10, QStringLiteral("0.00%")},    {14, QStringLiteral("m/d/yy")},
        {15, QStringLiteral("d-mmm-yy")}, {16, QStringLiteral("d-mmm")},
        {17, QStringLiteral("mmm-yy")},   {18, QStringLiteral("h:mm AM/PM")},
        {20, QStringLiteral("h:mm")},     {21, QStringLiteral("h:mm:ss")},
        {22, QStringLiteral("m/d/yy h:mm")}, {49, QStringLiteral("@")},
    };
    return kBuiltins.value(id, QStringLiteral("builtin:%1").arg(id));
}

}  // namespace

std::pair<int, int> ParseCellRef(const QString &ref)
{
    int col = 0, row = 0;
    qsizetype i = 0;
    while (i < ref.size() && ref.at(i).isLetter()) {
        col = col * 26 + (ref.at(i).toUpper().unicode() - 'A' + 1);
        ++i;
    }
    if (i == 0 || i == ref.size()) return {-1, -1};
    bool ok = false;
    row = ref.mid(i).toInt(&ok);
    if (!ok || row < 1) return {-1, -1};
    return {row - 1, col - 1};
}

QStringList ZipEntries(const QString &zipPath)
{
    Zip zip(zipPath);
    QStringList names;
    for (int rc = unzGoToFirstFile(zip.get()); rc == UNZ_OK; rc = unzGoToNextFile(zip.get())) {
        char name[1024];
        if (unzGetCurrentFileInfo64(zip.get(), nullptr, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK)
            fail(QStringLiteral("%1: broken zip directory").arg(zipPath));
        names << QString::fromUtf8(name);
    }
    return names;
}

std::optional<QByteArray> ReadZipEntry(const QString &zipPath, const QString &entry)
{
    Zip zip(zipPath);
    if (unzLocateFile(zip.get(), entry.toUtf8().constData(), 1) != UNZ_OK) return std::nullopt;
    if (unzOpenCurrentFile(zip.get()) != UNZ_OK) fail(QStringLiteral("%1: cannot open %2").arg(zipPath, entry));
    QByteArray data;
    char buf[65536];
    for (;;) {
        const int n = unzReadCurrentFile(zip.get(), buf, sizeof buf);
        if (n < 0) {
            unzCloseCurrentFile(zip.get());
            fail(QStringLiteral("%1: broken entry %2").arg(zipPath, entry));
        }
        if (n == 0) break;
        data.append(buf, n);
    }
    if (unzCloseCurrentFile(zip.get()) != UNZ_OK) fail(QStringLiteral("%1: CRC error in %2").arg(zipPath, entry));
    return data;
}

const XlsxCell *XlsxSheet::cell(int row, int col) const
{
    const auto it = byPos.constFind({row, col});
    return it == byPos.cend() ? nullptr : &cells[size_t(*it)];
}

const XlsxCell *XlsxSheet::cell(const QString &ref) const
{
    const auto [r, c] = ParseCellRef(ref);
    return cell(r, c);
}

int XlsxSheet::rowCount() const
{
    int n = 0;
    for (const XlsxCell &c : cells) n = std::max(n, c.row + 1);
    return n;
}

XlsxSheet ReadXlsxSheet(const QString &path, int sheetNumber)
{
    XlsxSheet sheet;

    // Shared strings, when the workbook has them.
    QStringList shared;
    if (const auto sst = ReadZipEntry(path, QStringLiteral("xl/sharedStrings.xml"))) {
        QXmlStreamReader x(*sst);
        while (!x.atEnd()) {
            x.readNext();
            if (x.isStartElement() && x.name() == QLatin1String("si")) shared << readRichText(x);
        }
    }

    // Styles: cellXfs index -> number format code.
    QStringList xfFormats;
    if (const auto styles = ReadZipEntry(path, QStringLiteral("xl/styles.xml"))) {
        QMap<int, QString> custom;
        QXmlStreamReader x(*styles);
        bool inCellXfs = false;
        while (!x.atEnd()) {
            x.readNext();
            if (x.isStartElement()) {
                if (x.name() == QLatin1String("numFmt"))
                    custom.insert(x.attributes().value(QLatin1String("numFmtId")).toInt(),
                                  x.attributes().value(QLatin1String("formatCode")).toString());
                else if (x.name() == QLatin1String("cellXfs"))
                    inCellXfs = true;
                else if (inCellXfs && x.name() == QLatin1String("xf")) {
                    const int id = x.attributes().value(QLatin1String("numFmtId")).toInt();
                    xfFormats << (custom.contains(id) ? custom.value(id) : builtinFormat(id));
                }
            } else if (x.isEndElement() && x.name() == QLatin1String("cellXfs")) {
                inCellXfs = false;
            }
        }
    }

    if (const auto wb = ReadZipEntry(path, QStringLiteral("xl/workbook.xml"))) {
        QXmlStreamReader x(*wb);
        int n = 0;
        while (!x.atEnd()) {
            x.readNext();
            if (x.isStartElement() && x.name() == QLatin1String("sheet") && ++n == sheetNumber)
                sheet.sheetName = x.attributes().value(QLatin1String("name")).toString();
        }
    } else {
        fail(QStringLiteral("%1: no xl/workbook.xml").arg(path));
    }

    const QString entry = QStringLiteral("xl/worksheets/sheet%1.xml").arg(sheetNumber);
    const auto xml = ReadZipEntry(path, entry);
    if (!xml) fail(QStringLiteral("%1: no %2").arg(path, entry));

    QXmlStreamReader x(*xml);
    while (!x.atEnd()) {
        x.readNext();
        if (!x.isStartElement()) continue;
        if (x.name() == QLatin1String("col")) {
            const auto a = x.attributes();
            const int first = a.value(QLatin1String("min")).toInt();
            const int last = a.value(QLatin1String("max")).toInt();
            const double width = a.value(QLatin1String("width")).toDouble();
            for (int c = first; c <= last && c - first < 16384; ++c) sheet.columnWidths.insert(c - 1, width);
            continue;
        }
        if (x.name() != QLatin1String("c")) continue;

        XlsxCell cell;
        const auto a = x.attributes();
        cell.ref = a.value(QLatin1String("r")).toString();
        std::tie(cell.row, cell.col) = ParseCellRef(cell.ref);
        cell.type = a.value(QLatin1String("t")).toString();
        cell.style = a.value(QLatin1String("s")).toInt();
        cell.numberFormat = cell.style < xfFormats.size() ? xfFormats.at(cell.style) : QStringLiteral("General");

        QString value;
        bool hasInline = false;
        while (!x.atEnd()) {
            x.readNext();
            if (x.isEndElement() && x.name() == QLatin1String("c")) break;
            if (!x.isStartElement()) continue;
            if (x.name() == QLatin1String("v")) {
                value = x.readElementText();
            } else if (x.name() == QLatin1String("is")) {
                value = readRichText(x);
                hasInline = true;
            }
        }
        if (cell.type == QLatin1String("s")) {
            const int idx = value.toInt();
            if (idx < 0 || idx >= shared.size()) fail(QStringLiteral("%1: bad shared string %2").arg(path).arg(idx));
            cell.text = shared.at(idx);
        } else if (cell.type == QLatin1String("str") && !hasInline) {
            cell.text = decodeExcelEscapes(value);
        } else {
            cell.text = value;
        }
        sheet.byPos.insert({cell.row, cell.col}, int(sheet.cells.size()));
        sheet.cells.push_back(std::move(cell));
    }
    if (x.hasError()) fail(QStringLiteral("%1: %2: %3").arg(path, entry, x.errorString()));
    return sheet;
}

}  // namespace tarsel::test
