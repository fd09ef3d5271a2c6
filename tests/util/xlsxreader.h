#pragma once
// Small .xlsx reader for tests: opens the zip container and reads one
// worksheet's cells with their types, values and number formats, so tests can
// check what an export really wrote.

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

namespace tarsel::test {

struct XlsxCell {
    QString ref;           // "B3"
    int row = 0;           // 0-based
    int col = 0;           // 0-based
    QString type;          // the t attribute as written ("" for plain numbers)
    QString text;          // value: number text, resolved string, "1"/"0" for booleans
    int style = 0;         // the s attribute
    QString numberFormat;  // format code of the cell's style ("General" when none)

    bool isNumber() const { return type.isEmpty() || type == QLatin1String("n"); }
    bool isString() const
    {
        return type == QLatin1String("s") || type == QLatin1String("inlineStr") || type == QLatin1String("str");
    }
    double number() const { return text.toDouble(); }
};

struct XlsxSheet {
    std::vector<XlsxCell> cells;              // in document order
    QMap<std::pair<int, int>, int> byPos;     // (row, col) -> index into cells
    QMap<int, double> columnWidths;           // 0-based column -> width from <cols>
    QString sheetName;                        // from xl/workbook.xml

    const XlsxCell *cell(int row, int col) const;
    const XlsxCell *cell(const QString &ref) const;
    int rowCount() const;  // highest row index + 1
};

// Entries of a zip file; throws std::runtime_error when it is not a zip.
QStringList ZipEntries(const QString &zipPath);
// One entry's bytes; std::nullopt when missing; throws on a broken zip.
std::optional<QByteArray> ReadZipEntry(const QString &zipPath, const QString &entry);

// Reads worksheet number `sheetNumber` (1-based) of an .xlsx file; throws
// std::runtime_error when the file is not a readable workbook.
XlsxSheet ReadXlsxSheet(const QString &path, int sheetNumber = 1);

// "B3" -> (2, 1); (-1, -1) for a bad reference.
std::pair<int, int> ParseCellRef(const QString &ref);

}  // namespace tarsel::test
