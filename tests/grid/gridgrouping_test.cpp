#include "grid/gridexportmodel.h"
#include "grid/gridgrouping.h"
#include "grid/gridsummary.h"

#include "gridtestutil.h"
#include "util/money.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace tarsel;
using test::MakeTable;

namespace {

const QLocale kTr(QLocale::Turkish, QLocale::Turkey);

// Received orders of a report: salesperson, date, amount.
struct GroupingTest : ::testing::Test {
    GridModel model;
    std::shared_ptr<DataTable> table = MakeTable(
        {{"SATICIADI", FieldType::String}, {"TARIH", FieldType::DateTime}, {"TUTAR", FieldType::Float64}, {"ADET", FieldType::Int32}},
        {
            {QStringLiteral("Zeki"), QDateTime(QDate(2024, 2, 1), QTime(0, 0)), 100.10, 1},
            {QStringLiteral("Ayşe"), QDateTime(QDate(2024, 2, 2), QTime(0, 0)), 200.20, 2},
            {QStringLiteral("Zeki"), QDateTime(QDate(2024, 2, 3), QTime(0, 0)), 0.30, 3},
            {QStringLiteral("Çetin"), QDateTime(QDate(2024, 2, 4), QTime(0, 0)), 1000.0, 4},
            {QStringLiteral("Ayşe"), QDateTime(QDate(2024, 2, 5), QTime(0, 0)), 0.05, 5},
        });
    std::vector<GridSummary> sums{GridSummary::count(QStringLiteral("TARIH")), GridSummary::sum(QStringLiteral("TUTAR"))};

    void SetUp() override
    {
        SetFloatDisplayFormats(*table);
        model.setLocale(kTr);
        model.setColumns({GridColumn::text(QStringLiteral("SATICIADI"), QStringLiteral("SATICIADI")),
                          GridColumn::text(QStringLiteral("TARIH"), QStringLiteral("TARIH")),
                          GridColumn::text(QStringLiteral("TUTAR"), QStringLiteral("TUTAR")),
                          GridColumn::text(QStringLiteral("ADET"), QStringLiteral("ADET"))});
        model.setTable(table);
    }
};

QString Kinds(const GroupLayout &g)
{
    QString out;
    for (const auto &l : g.lines())
        out += l.kind == GridModelBase::RowKind::GroupHeader ? QLatin1Char('H')
               : l.kind == GridModelBase::RowKind::GroupFooter ? QLatin1Char('F')
                                                                : QLatin1Char('d');
    return out;
}

TEST_F(GroupingTest, GroupsInValueOrderWithCaptionsAndFooterSums)
{
    GroupLayout g;
    g.setGroupColumn(0);
    g.setSummaries(sums);
    g.rebuild(model);
    ASSERT_EQ(g.groups().size(), 3u);
    EXPECT_EQ(g.caption(0), QStringLiteral("Ayşe (2)"));
    EXPECT_EQ(g.caption(1), QStringLiteral("Çetin (1)"));
    EXPECT_EQ(g.caption(2), QStringLiteral("Zeki (2)"));
    EXPECT_EQ(g.groups()[0].rows, (std::vector<int>{1, 4}));
    EXPECT_EQ(Kinds(g), QStringLiteral("HddFHdFHddF"));
    const auto &ayse = g.groups()[0].summaries;
    ASSERT_EQ(ayse.size(), 2u);
    EXPECT_EQ(ayse[0].text, QStringLiteral("2"));
    EXPECT_EQ(ayse[1].text, QStringLiteral("200,25"));
    EXPECT_EQ(g.groups()[2].summaries[1].text, QStringLiteral("100,40"));
}

TEST_F(GroupingTest, CollapsedGroupsKeepTheirFootersAndStateSurvivesRebuilds)
{
    GroupLayout g;
    g.setGroupColumn(0);
    g.setSummaries(sums);
    g.rebuild(model);
    g.setAllExpanded(false);
    EXPECT_EQ(Kinds(g), QStringLiteral("HFHFHF"));
    g.setExpanded(2, true);
    EXPECT_EQ(Kinds(g), QStringLiteral("HFHFHddF"));
    // The user sorts: groups rebuild, Zeki stays open, the others closed.
    model.sort(2, Qt::DescendingOrder);
    g.rebuild(model);
    EXPECT_EQ(Kinds(g), QStringLiteral("HFHFHddF"));
    EXPECT_EQ(g.groups()[2].rows, (std::vector<int>{0, 2}));
    // Sorting by the grouped column itself turns the group order round.
    model.sort(0, Qt::DescendingOrder);
    g.rebuild(model);
    EXPECT_EQ(g.caption(0), QStringLiteral("Zeki (2)"));
}

TEST_F(GroupingTest, GroupModelPassesTheTesterWhileGroupsOpenAndClose)
{
    GridGroupModel gm(&model);
    QAbstractItemModelTester tester(&gm, QAbstractItemModelTester::FailureReportingMode::Fatal);
    gm.setSummaries(sums);
    gm.setGroupColumn(0);
    EXPECT_EQ(gm.rowCount(), 11);
    QSignalSpy removed(&gm, &QAbstractItemModel::rowsRemoved);
    QSignalSpy inserted(&gm, &QAbstractItemModel::rowsInserted);
    gm.setGroupExpanded(0, false);
    ASSERT_EQ(removed.count(), 1);
    EXPECT_EQ(removed[0][1].toInt(), 1);
    EXPECT_EQ(removed[0][2].toInt(), 2);
    gm.setGroupExpanded(0, true);
    EXPECT_EQ(inserted.count(), 1);
    gm.collapseAll();
    EXPECT_EQ(gm.rowCount(), 6);
    model.setColumnFilterTexts(0, {QStringLiteral("Zeki")});
    EXPECT_EQ(gm.rowCount(), 2);
    gm.expandAll();
    EXPECT_EQ(gm.rowCount(), 4);
    // Line roles: caption, data, footer.
    EXPECT_EQ(gm.index(0, 0).data().toString(), QStringLiteral("Zeki (2)"));
    EXPECT_EQ(gm.index(0, 0).data(GridModelBase::RowKindRole).toInt(), int(GridModelBase::RowKind::GroupHeader));
    EXPECT_EQ(gm.sourceRowAt(1), 0);
    EXPECT_EQ(gm.index(1, 2).data().toString(), QStringLiteral("100,10"));
    EXPECT_EQ(gm.index(3, 1).data().toString(), QStringLiteral("2"));       // count under TARIH
    EXPECT_EQ(gm.index(3, 2).data().toString(), QStringLiteral("100,40"));  // sum under TUTAR
    EXPECT_DOUBLE_EQ(gm.index(3, 2).data(Qt::EditRole).toDouble(), 100.4);
    EXPECT_EQ(gm.index(3, 0).data().toString(), QString());
    EXPECT_EQ(gm.rowOfSourceRow(2), 2);
    EXPECT_EQ(gm.findRowStartingWith(0, QStringLiteral("zek")), 1);  // data rows only
}

TEST_F(GroupingTest, FooterSummariesFollowTheFilter)
{
    auto all = ComputeSummaries(model, {GridSummary::count(), GridSummary::sum(QStringLiteral("TUTAR")),
                                        GridSummary::sum(QStringLiteral("ADET")), GridSummary::sum(QStringLiteral("YOK"))});
    ASSERT_EQ(all.size(), 3u) << "a summary under a column the grid lacks is dropped";
    EXPECT_EQ(all[0].column, -1);
    EXPECT_EQ(all[0].text, QStringLiteral("5"));
    EXPECT_EQ(all[1].text, QStringLiteral("1.300,65"));
    EXPECT_FALSE(all[1].integral);
    EXPECT_EQ(all[2].text, QStringLiteral("15"));
    EXPECT_TRUE(all[2].integral);
    model.setColumnFilterTexts(0, {QStringLiteral("Ayşe"), QStringLiteral("Çetin")});
    auto some = ComputeSummaries(model, {GridSummary::count(), GridSummary::sum(QStringLiteral("TUTAR"))});
    EXPECT_EQ(some[0].text, QStringLiteral("3"));
    EXPECT_EQ(some[1].text, QStringLiteral("1.200,25"));
}

TEST(SumColumn, ManySmallAmountsDoNotDrift)
{
    auto t = std::make_shared<DataTable>();
    t->addColumn(QStringLiteral("T"), FieldType::Float64);
    for (int i = 0; i < 100000; ++i) t->columns[0].appendDouble(0.1);
    GridModel m;
    m.setColumns({GridColumn::text(QStringLiteral("T"), QStringLiteral("T"))});
    m.setTable(t);
    const auto &rows = m.visibleRows();
    EXPECT_EQ(SumColumn(m, 0, rows.data(), rows.size()), 10000.0);
}

TEST_F(GroupingTest, ExportModelExpandsGroupsAndKeepsTypes)
{
    GroupLayout g;
    g.setGroupColumn(0);
    g.setSummaries(sums);
    g.rebuild(model);
    g.setAllExpanded(false);  // collapsed on screen, expanded in the file
    GridExportModel em(&model, {1, 2, 3}, &g, {GridSummary::count(QStringLiteral("TARIH")), GridSummary::sum(QStringLiteral("TUTAR"))});
    QAbstractItemModelTester tester(&em, QAbstractItemModelTester::FailureReportingMode::Fatal);
    ASSERT_EQ(em.columnCount(), 3);
    ASSERT_EQ(em.rowCount(), 12);  // 11 group lines and the grid footer
    EXPECT_EQ(em.headerData(0, Qt::Horizontal).toString(), QStringLiteral("TARIH"));
    EXPECT_EQ(em.index(0, 0).data(Qt::EditRole).toString(), QStringLiteral("Ayşe (2)"));
    EXPECT_FALSE(em.index(0, 1).data(Qt::EditRole).isValid());
    EXPECT_EQ(em.index(1, 0).data(Qt::EditRole).typeId(), QMetaType::QDateTime);
    EXPECT_EQ(em.index(1, 1).data(Qt::EditRole).typeId(), QMetaType::Double);
    EXPECT_DOUBLE_EQ(em.index(1, 1).data(Qt::EditRole).toDouble(), 200.20);
    EXPECT_EQ(em.index(1, 1).data(Qt::DisplayRole).toString(), QStringLiteral("200,20"));
    EXPECT_EQ(em.index(1, 2).data(Qt::EditRole).typeId(), QMetaType::Int);
    EXPECT_EQ(em.index(3, 0).data(Qt::EditRole).toLongLong(), 2);            // group count
    EXPECT_DOUBLE_EQ(em.index(3, 1).data(Qt::EditRole).toDouble(), 200.25);  // group sum
    EXPECT_EQ(em.index(11, 0).data(Qt::EditRole).toLongLong(), 5);           // grid footer
    EXPECT_DOUBLE_EQ(em.index(11, 1).data(Qt::EditRole).toDouble(), 1300.65);
    // A reload meanwhile: the export reads nothing more from the table.
    model.beginReload();
    EXPECT_FALSE(em.index(1, 1).data(Qt::EditRole).isValid());
}

TEST_F(GroupingTest, FlatExportFollowsTheFilterAndSortOfTheMomentItStarts)
{
    model.sort(2, Qt::AscendingOrder);
    model.setColumnFilterTexts(0, {QStringLiteral("Zeki"), QStringLiteral("Ayşe")});
    GridExportModel em(&model, {0, 2}, nullptr, {});
    ASSERT_EQ(em.rowCount(), 4);
    const char *names[] = {"Ayşe", "Zeki", "Zeki", "Ayşe"};
    for (int r = 0; r < 4; ++r) EXPECT_EQ(em.index(r, 0).data(Qt::EditRole).toString(), QString::fromUtf8(names[r]));
    model.clearFilters();  // later changes do not move rows under the export
    EXPECT_EQ(em.rowCount(), 4);
}

TEST(ExportModel, IconCellsExportTheirDescription)
{
    auto t = MakeTable({{"DURUM", FieldType::Int32}, {"K", FieldType::Int32}}, {{2, 1}, {0, 0}, {9, 1}});
    GridModel m;
    m.setColumns({GridColumn::icon(QStringLiteral("DURUM"), QStringLiteral("Durum"), 1, IconSet::stockStates()),
                  GridColumn::icon(QStringLiteral("K"), QStringLiteral("Kampanyalı"), 1, IconSet::yesNo(false)),
                  GridColumn::button(QStringLiteral("INDIR"), QStringLiteral("İndir"), QStringLiteral("download"))});
    m.setTable(t);
    GridExportModel em(&m, {0, 1}, nullptr, {});
    EXPECT_EQ(em.index(0, 0).data(Qt::EditRole).toString(), QStringLiteral("Telefon Açınız"));
    EXPECT_EQ(em.index(1, 1).data(Qt::EditRole).toString(), QStringLiteral("Hayır"));
    EXPECT_FALSE(em.index(2, 0).data(Qt::EditRole).isValid());  // unknown state: empty
}

}  // namespace
