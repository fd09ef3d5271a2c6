// Excel export, checked by reading the written workbook back.

#include "util/excelexport.h"

#include "tests/util/xlsxreader.h"

#include <QAbstractTableModel>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QStandardItemModel>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>

using namespace tarsel;
using tarsel::test::ReadXlsxSheet;
using tarsel::test::XlsxCell;
using tarsel::test::XlsxSheet;

namespace {

TEST(ExcelExportFileName, Table)
{
    const struct {
        const char *chosen;
        const char *expected;
    } cases[] = {
        {"rapor.txt", "rapor.xlsx"},
        {"rapor", "rapor.xlsx"},
        {"/a.b/rapor", "/a.b/rapor.xlsx"},
        {"rapor.xls", "rapor.xlsx"},
        {"rapor.xlsx", "rapor.xlsx"},
        {"/home/ali/Belgeler/sipariş 12.05.2024.txt", "/home/ali/Belgeler/sipariş 12.05.2024.xlsx"},
        {"rapor.", "rapor.xlsx"},
        {"/tmp/.gizli", "/tmp/.gizli.xlsx"},
        {"C:\\Belgeler\\a.b\\rapor", "C:\\Belgeler\\a.b\\rapor.xlsx"},
        {"", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ExcelExportFileName(QString::fromUtf8(c.chosen)), QString::fromUtf8(c.expected)) << c.chosen;
}

QList<QStandardItem *> row(const QVariantList &values)
{
    QList<QStandardItem *> items;
    for (const QVariant &v : values) {
        auto *item = new QStandardItem;
        if (v.isValid()) item->setData(v, Qt::EditRole);
        items << item;
    }
    return items;
}

class ExcelExportTest : public ::testing::Test {
protected:
    QString path(const QString &name) const { return dir.filePath(name); }
    QStringList leftovers() const
    {
        return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral(".part"));
    }
    QTemporaryDir dir;
};

TEST_F(ExcelExportTest, WritesEveryRowWithTypedCells)
{
    QStandardItemModel model(0, 7);
    const QStringList headers{QStringLiteral("No"),    QStringLiteral("Fiyat"), QStringLiteral("Adı"),
                              QStringLiteral("Seç"),   QStringLiteral("Tarih"), QStringLiteral("Zaman"),
                              QStringLiteral("Barkod")};
    model.setHorizontalHeaderLabels(headers);
    const QDate day(2024, 3, 15);
    const QDateTime moment(QDate(2024, 3, 15), QTime(18, 0, 0));
    model.appendRow(row({1, 1234.5, QStringLiteral("Fren balatası <ön> & \"arka\""), true, day, moment,
                         QVariant::fromValue(qlonglong(8690000000000123LL))}));
    QList<QStandardItem *> group = row({2, QVariant(), QStringLiteral("Grup"), QVariant(), QVariant(), QVariant(), QVariant()});
    group.first()->appendRow(row({21, 0.125, QStringLiteral("Çocuk 1"), false, QVariant(), QVariant(), QVariant()}));
    group.first()->appendRow(row({22, -7.0, QStringLiteral("Çocuk 2"), QVariant(), QVariant(), QVariant(), QVariant()}));
    group.first()->child(1)->appendRow(row({221, 3.0, QStringLiteral("Torun"), QVariant(), QVariant(), QVariant(), QVariant()}));
    model.appendRow(group);
    model.appendRow(row({3, std::numeric_limits<double>::quiet_NaN(), QStringLiteral("çok\nsatırlı"), QVariant(),
                         QDate(1850, 1, 1), QVariant(), QVariant()}));

    const QString file = path(QStringLiteral("rapor.xlsx"));
    ExportGridToExcel(file, &model);
    ASSERT_TRUE(leftovers().isEmpty()) << leftovers().join(QLatin1Char(',')).toStdString();

    const XlsxSheet sheet = ReadXlsxSheet(file);
    EXPECT_EQ(sheet.sheetName, QStringLiteral("Sayfa1"));
    ASSERT_EQ(sheet.rowCount(), 7);  // header + 6 rows (tree expanded)

    for (int c = 0; c < headers.size(); ++c) {
        const XlsxCell *h = sheet.cell(0, c);
        ASSERT_TRUE(h) << c;
        EXPECT_TRUE(h->isString());
        EXPECT_EQ(h->text, headers[c]);
    }

    // Depth-first order: parent, its children, a grandchild after its parent.
    const int order[] = {1, 2, 21, 22, 221, 3};
    for (int r = 0; r < 6; ++r) {
        const XlsxCell *no = sheet.cell(r + 1, 0);
        ASSERT_TRUE(no) << r;
        EXPECT_TRUE(no->isNumber()) << r;
        EXPECT_EQ(no->number(), order[r]);
        EXPECT_EQ(no->numberFormat, QStringLiteral("General"));
    }

    const XlsxCell *price = sheet.cell(QStringLiteral("B2"));
    ASSERT_TRUE(price);
    EXPECT_TRUE(price->isNumber()) << price->type.toStdString();
    EXPECT_EQ(price->number(), 1234.5);
    EXPECT_EQ(price->numberFormat, QStringLiteral("#,##0.00"));
    EXPECT_EQ(sheet.cell(QStringLiteral("B4"))->number(), 0.125);
    EXPECT_EQ(sheet.cell(QStringLiteral("B5"))->number(), -7.0);
    EXPECT_EQ(sheet.cell(QStringLiteral("B3")), nullptr);  // empty cell stays empty

    const XlsxCell *name = sheet.cell(QStringLiteral("C2"));
    ASSERT_TRUE(name);
    EXPECT_EQ(name->type, QStringLiteral("inlineStr"));  // constant memory mode: inline strings
    EXPECT_EQ(name->text, QStringLiteral("Fren balatası <ön> & \"arka\""));
    EXPECT_EQ(sheet.cell(QStringLiteral("C7"))->text, QStringLiteral("çok\nsatırlı"));

    EXPECT_EQ(sheet.cell(QStringLiteral("D2"))->type, QStringLiteral("b"));
    EXPECT_EQ(sheet.cell(QStringLiteral("D2"))->text, QStringLiteral("1"));
    EXPECT_EQ(sheet.cell(QStringLiteral("D4"))->type, QStringLiteral("b"));
    EXPECT_EQ(sheet.cell(QStringLiteral("D4"))->text, QStringLiteral("0"));

    const XlsxCell *date = sheet.cell(QStringLiteral("E2"));
    ASSERT_TRUE(date);
    EXPECT_TRUE(date->isNumber());
    EXPECT_EQ(date->number(), QDate(1899, 12, 30).daysTo(day));
    EXPECT_EQ(date->numberFormat, QString::fromLatin1(kExcelDateFormat));
    const XlsxCell *when = sheet.cell(QStringLiteral("F2"));
    ASSERT_TRUE(when);
    EXPECT_DOUBLE_EQ(when->number(), QDate(1899, 12, 30).daysTo(day) + 0.75);
    EXPECT_EQ(when->numberFormat, QString::fromLatin1(kExcelDateTimeFormat));

    // What a spreadsheet cannot hold as a number or date keeps its text.
    EXPECT_TRUE(sheet.cell(QStringLiteral("G2"))->isString());
    EXPECT_EQ(sheet.cell(QStringLiteral("G2"))->text, QStringLiteral("8690000000000123"));
    EXPECT_TRUE(sheet.cell(QStringLiteral("B7"))->isString());
    EXPECT_TRUE(sheet.cell(QStringLiteral("E7"))->isString());
    EXPECT_EQ(sheet.cell(QStringLiteral("E7"))->text, QStringLiteral("1850-01-01"));

    // Widths estimated from the contents: the long text column is wider.
    ASSERT_TRUE(sheet.columnWidths.contains(2));
    EXPECT_GT(sheet.columnWidths.value(2), sheet.columnWidths.value(0));
}

// A model whose edit values differ from what it displays.
class DisplayModel : public QAbstractTableModel {
public:
    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : 2; }
    int columnCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : 2; }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (index.column() == 0) {
            if (role == Qt::EditRole) return 12.5 * (index.row() + 1);
            if (role == Qt::DisplayRole) return QStringLiteral("%1 TL").arg(12.5 * (index.row() + 1));
        } else if (role == Qt::DisplayRole) {
            return QStringLiteral("yalnız görünen %1").arg(index.row());
        }
        return {};
    }
    QVariant headerData(int section, Qt::Orientation o, int role) const override
    {
        if (o == Qt::Horizontal && role == Qt::DisplayRole) return section == 0 ? QStringLiteral("Tutar") : QString();
        return {};
    }
};

TEST_F(ExcelExportTest, EditRoleFirstThenDisplayRole)
{
    DisplayModel model;
    const QString file = path(QStringLiteral("r.xlsx"));
    ExportGridToExcel(file, &model);
    const XlsxSheet sheet = ReadXlsxSheet(file);
    EXPECT_EQ(sheet.cell(QStringLiteral("A1"))->text, QStringLiteral("Tutar"));
    EXPECT_EQ(sheet.cell(QStringLiteral("B1")), nullptr);  // empty header
    EXPECT_TRUE(sheet.cell(QStringLiteral("A2"))->isNumber());
    EXPECT_EQ(sheet.cell(QStringLiteral("A3"))->number(), 25.0);
    EXPECT_EQ(sheet.cell(QStringLiteral("B3"))->text, QStringLiteral("yalnız görünen 1"));
}

TEST_F(ExcelExportTest, ManyRowsWithProgress)
{
    QStandardItemModel model(0, 2);
    model.setHorizontalHeaderLabels({QStringLiteral("Sıra"), QStringLiteral("Stok")});
    for (int i = 0; i < 2500; ++i) model.appendRow(row({i, QStringLiteral("STK-%1").arg(i)}));

    std::vector<std::pair<qint64, qint64>> calls;
    const QString file = path(QStringLiteral("buyuk.xlsx"));
    ExportGridToExcel(file, &model, [&](qint64 done, qint64 total) { calls.emplace_back(done, total); });

    const std::vector<std::pair<qint64, qint64>> expected{{0, 2500}, {1000, 2500}, {2000, 2500}, {2500, 2500}};
    EXPECT_EQ(calls, expected);
    const XlsxSheet sheet = ReadXlsxSheet(file);
    EXPECT_EQ(sheet.rowCount(), 2501);
    EXPECT_EQ(sheet.cell(2500, 0)->number(), 2499);
    EXPECT_EQ(sheet.cell(2500, 1)->text, QStringLiteral("STK-2499"));
}

TEST_F(ExcelExportTest, OverwritesAnExistingFile)
{
    const QString file = path(QStringLiteral("eski.xlsx"));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("old content");
    }
    QStandardItemModel model(0, 1);
    model.appendRow(row({42}));
    ExportGridToExcel(file, &model);
    EXPECT_EQ(ReadXlsxSheet(file).cell(QStringLiteral("A2"))->number(), 42);
    EXPECT_TRUE(leftovers().isEmpty());
}

TEST_F(ExcelExportTest, FailedExportLeavesTheOldFileAlone)
{
    const QString file = path(QStringLiteral("korunan.xlsx"));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("keep me");
    }
    QStandardItemModel model(0, 1);
    for (int i = 0; i < 3000; ++i) model.appendRow(row({i}));
    // Cancelling from the progress callback aborts like any other error.
    EXPECT_THROW(ExportGridToExcel(file, &model,
                                   [](qint64 done, qint64) {
                                       if (done >= 1000) throw std::runtime_error("cancelled");
                                   }),
                 std::runtime_error);
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("keep me"));
    EXPECT_TRUE(leftovers().isEmpty()) << leftovers().join(QLatin1Char(',')).toStdString();
}

TEST_F(ExcelExportTest, ErrorsNameTheFile)
{
    QStandardItemModel model(0, 1);
    const struct {
        QString file;
        const char *fragment;
    } cases[] = {
        {path(QStringLiteral("yok/klasor/rapor.xlsx")), "does not exist"},
        {dir.path(), "folder"},
    };
    for (const auto &c : cases) {
        try {
            ExportGridToExcel(c.file, &model);
            ADD_FAILURE() << "no error for " << c.file.toStdString();
        } catch (const std::runtime_error &e) {
            const std::string msg = e.what();
            EXPECT_NE(msg.find(c.file.toStdString()), std::string::npos) << msg;
            EXPECT_NE(msg.find(c.fragment), std::string::npos) << msg;
        }
    }
    EXPECT_THROW(ExportGridToExcel(path(QStringLiteral("a.xlsx")), nullptr), std::runtime_error);
}

TEST_F(ExcelExportTest, TooManyColumnsIsAnError)
{
    QStandardItemModel model(0, 16385);
    EXPECT_THROW(ExportGridToExcel(path(QStringLiteral("genis.xlsx")), &model), std::runtime_error);
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("genis.xlsx"))));
}

TEST_F(ExcelExportTest, ControlCharactersAndLongTextSurvive)
{
    QStandardItemModel model(0, 2);
    const QString control = QStringLiteral("a") + QChar(0x01) + QStringLiteral("b\tc");
    const QString longText(40000, QLatin1Char('x'));
    model.appendRow(row({control, longText}));
    const QString file = path(QStringLiteral("metin.xlsx"));
    ExportGridToExcel(file, &model);
    const XlsxSheet sheet = ReadXlsxSheet(file);
    EXPECT_EQ(sheet.cell(QStringLiteral("A2"))->text, control);
    EXPECT_EQ(sheet.cell(QStringLiteral("B2"))->text.size(), 32767);  // a cell's limit
}

TEST_F(ExcelExportTest, EmptyModelGivesAHeaderOnlySheet)
{
    QStandardItemModel model(0, 2);
    model.setHorizontalHeaderLabels({QStringLiteral("A"), QStringLiteral("B")});
    const QString file = path(QStringLiteral("bos.xlsx"));
    ExportGridToExcel(file, &model);
    const XlsxSheet sheet = ReadXlsxSheet(file);
    EXPECT_EQ(sheet.rowCount(), 1);
    EXPECT_EQ(sheet.cell(QStringLiteral("B1"))->text, QStringLiteral("B"));
}

}  // namespace
