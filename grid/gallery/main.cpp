// grid-gallery: one grid showing every cell kind, a header filter, an open
// filter popup, footer summaries and grouping with group footers.
//
//   grid-gallery                       opens the window
//   grid-gallery --screenshot out.png  renders it offscreen to a PNG and exits
//   grid-gallery --screenshot out.png --scale 2   the same at device pixel ratio 2

#include "grid/datagrid.h"
#include "grid/gridfilterpopup.h"
#include "grid/gridicons.h"
#include "grid/gridmodel.h"
#include "util/money.h"
#include "wire/datatable.h"

#include <QApplication>
#include <QBuffer>
#include <QCommandLineParser>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QPainter>
#include <QPainterPath>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>
#include <memory>

using namespace tarsel;

namespace {

// A small product photo stand-in: a brake disc drawn on a light background.
QByteArray SamplePicture(int variant)
{
    QImage img(96, 72, QImage::Format_ARGB32);
    img.fill(QColor(0xf4, 0xf6, 0xf9));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor metal = variant % 2 ? QColor(0x8d, 0x99, 0xa6) : QColor(0xb0, 0x7a, 0x4a);
    p.setBrush(metal);
    p.setPen(QPen(metal.darker(140), 2));
    p.drawEllipse(QPointF(48, 36), 28, 28);
    p.setBrush(QColor(0xf4, 0xf6, 0xf9));
    p.drawEllipse(QPointF(48, 36), 10, 10);
    for (int i = 0; i < 5; ++i) {
        const double a = i * 2 * M_PI / 5;
        p.setBrush(metal.darker(130));
        p.drawEllipse(QPointF(48 + 17 * std::cos(a), 36 + 17 * std::sin(a)), 2.5, 2.5);
    }
    p.end();
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "PNG");
    return bytes;
}

std::shared_ptr<DataTable> SampleTable()
{
    auto t = std::make_shared<DataTable>();
    t->addColumn(QStringLiteral("SEC"), FieldType::Int32);
    t->addColumn(QStringLiteral("BARKOD"), FieldType::String);
    t->addColumn(QStringLiteral("ADI"), FieldType::String);
    t->addColumn(QStringLiteral("MARKA"), FieldType::String);
    t->addColumn(QStringLiteral("RESIMVERI"), FieldType::Blob);
    t->addColumn(QStringLiteral("RESIM"), FieldType::Int32);
    t->addColumn(QStringLiteral("K"), FieldType::Int32);
    t->addColumn(QStringLiteral("DURUM"), FieldType::Int32);
    t->addColumn(QStringLiteral("TUR"), FieldType::Int32);
    t->addColumn(QStringLiteral("MIKTAR"), FieldType::Float64);
    t->addColumn(QStringLiteral("LISTEFIYAT1"), FieldType::Float64);
    t->addColumn(QStringLiteral("KAMPFIYAT"), FieldType::Float64);
    t->addColumn(QStringLiteral("NETFIYAT"), FieldType::Float64);
    t->addColumn(QStringLiteral("KDVDAHIL"), FieldType::Float64);
    t->addColumn(QStringLiteral("ILERI"), FieldType::Int32);

    struct Row {
        const char *code, *name, *brand;
        int picture, campaign, state, docType;
        double qty, list, camp;
        int progress;
    };
    const Row rows[] = {
        {"FB-1021", "Fren Balatası Ön Takım", "BOSCH", 1, 1, 1, 4, 4, 1250, 1100, 100},
        {"YF-220", "Yağ Filtresi", "MANN", 1, 0, 2, 6, 12, 185.5, 0, 65},
        {"HF-118", "Hava Filtresi Uzun Ömürlü Kağıt Elemanlı", "MANN", 0, 0, 3, 3, 6, 240, 0, 30},
        {"DS-7730", "Fren Diski Havalandırmalı", "BOSCH", 1, 0, 4, 2, 2, 2890.9, 0, 0},
        {"AM-450", "Amortisör Arka Sol", "VALEO", 1, 1, 5, 5, 1, 3420, 3199, 12},
        {"SB-12", "Silecek Süpürgesi 600 mm", "VALEO", 0, 0, 0, 0, 10, 310.25, 0, 0},
        {"BJ-990", "Buji İridyum", "BOSCH", 0, 1, 1, 1, 16, 98.4, 89.9, 85},
        {"KT-340", "Kayış Takımı Devirdaim Pompalı", "VALEO", 1, 0, 2, 9, 1, 5120, 0, 45},
    };
    int i = 0;
    for (const Row &r : rows) {
        const double net = (r.camp > 0 ? r.camp : r.list) * 0.85;
        t->appendRow({i % 3 == 0 ? 1 : 0, QString::fromUtf8(r.code), QString::fromUtf8(r.name),
                      QString::fromUtf8(r.brand), SamplePicture(i), r.picture, r.campaign, r.state, r.docType, r.qty,
                      r.list, r.camp, net, net * 1.2, r.progress});
        ++i;
    }
    SetFloatDisplayFormats(*t);
    t->column(QStringLiteral("MIKTAR"))->displayFormat.clear();  // quantities show plainly
    return t;
}

// The price information cell: labelled prices right-aligned on the row colour.
void PaintPriceCell(QPainter *p, const QRect &rect, const GridRow &row, const GridCellState &st)
{
    const GridTheme &t = *st.theme;
    const QColor bg = st.selected ? t.selectionColor : (st.viewRow % 2 == 0 ? t.contentEvenColor : t.contentOddColor);
    p->fillRect(rect, bg);
    QString text = QStringLiteral("Liste Fiyatı: ") + FormatMoney(row.number(QStringLiteral("LISTEFIYAT1"))) +
                   QStringLiteral("\r\n");
    const double camp = row.number(QStringLiteral("KAMPFIYAT"));
    if (camp > 0) text += QStringLiteral("Kampanyalı Fiyat: ") + FormatMoney(camp) + QStringLiteral("\r\n");
    text += QStringLiteral("NetFiyat: ") + FormatMoney(row.number(QStringLiteral("NETFIYAT"))) + QStringLiteral("\r\n");
    text += QStringLiteral("KDV li Fiyat: ") + FormatMoney(row.number(QStringLiteral("KDVDAHIL"))) + QStringLiteral("\r\n");
    text.remove(QLatin1Char('\r'));
    text.chop(1);
    p->setFont(st.font);
    p->setPen(st.selected ? t.selectionTextColor : t.textColor);
    p->drawText(rect.adjusted(10, 0, -10, 0), Qt::AlignRight | Qt::AlignVCenter, text);
}

std::vector<GridColumn> GalleryColumns()
{
    return {
        GridColumn::checkBox(QStringLiteral("SEC"), QStringLiteral("Seç"), 1).withWidth(44),
        GridColumn::text(QStringLiteral("BARKOD"), QStringLiteral("Kod"), 2),
        GridColumn::text(QStringLiteral("ADI"), QStringLiteral("Açıklama"), 4).wrap(true),
        GridColumn::text(QStringLiteral("MARKA"), QStringLiteral("Üretici"), 2),
        GridColumn::picture(QStringLiteral("RESIMVERI"), QStringLiteral("Görsel"), 2),
        GridColumn::icon(QStringLiteral("RESIM"), QStringLiteral("Resim"), 1, IconSet::pictureFlag()),
        GridColumn::icon(QStringLiteral("K"), QStringLiteral("Kampanyalı"), 1, IconSet::yesNo()),
        GridColumn::icon(QStringLiteral("DURUM"), QStringLiteral("Durum"), 1, IconSet::stockStates()),
        GridColumn::icon(QStringLiteral("TUR"), QStringLiteral("Tür"), 1, IconSet::documentTypes()),
        GridColumn::text(QStringLiteral("MIKTAR"), QStringLiteral("Miktar"), 1),
        GridColumn::text(QStringLiteral("LISTEFIYAT1"), QStringLiteral("Liste Fiyatı"), 2).hidden(),
        GridColumn::text(QStringLiteral("KAMPFIYAT"), QStringLiteral("Kampanyalı Fiyat"), 2).hidden(),
        GridColumn::text(QStringLiteral("NETFIYAT"), QStringLiteral("Net Fiyatı"), 2),
        GridColumn::text(QStringLiteral("KDVDAHIL"), QStringLiteral("KDV Dahil Fiyat"), 3).hidden(),
        GridColumn::custom(QStringLiteral("FIYATBILGISI"), QStringLiteral("Fiyat Bilgisi"), 3, PaintPriceCell),
        GridColumn::progress(QStringLiteral("ILERI"), QStringLiteral("İleri"), 2),
        GridColumn::button(QStringLiteral("INDIR"), QStringLiteral("İndir"), QStringLiteral("download"),
                           QStringLiteral("İndir"), 2),
    };
}

// The legend of the stock states, as the main window's status strip shows it.
QWidget *Legend(QWidget *parent)
{
    auto *w = new QWidget(parent);
    auto *lay = new QHBoxLayout(w);
    lay->setContentsMargins(8, 4, 8, 4);
    lay->addWidget(new QLabel(QStringLiteral("Durum Açıklaması:    "), w));
    for (const StockLegendEntry &e : StockStateLegend()) {
        auto *icon = new QLabel(w);
        icon->setPixmap(GridIcons::pixmap(e.icon, QSize(18, 18), w->devicePixelRatioF()));
        lay->addWidget(icon);
        lay->addWidget(new QLabel(e.text, w));
    }
    lay->addStretch(1);
    return w;
}

}  // namespace

int main(int argc, char **argv)
{
    QString shot;
    QString scale;
    for (int i = 1; i < argc; ++i) {
        const QByteArray a(argv[i]);
        if (a == "--screenshot" && i + 1 < argc) shot = QString::fromLocal8Bit(argv[++i]);
        else if (a == "--scale" && i + 1 < argc) scale = QString::fromLocal8Bit(argv[++i]);
    }
    if (!shot.isEmpty() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (!scale.isEmpty()) qputenv("QT_SCALE_FACTOR", scale.toLatin1());

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("grid-gallery"));
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(12);
    QApplication::setFont(f);

    QWidget window;
    window.setWindowTitle(QStringLiteral("Tablo Örnekleri"));
    auto *lay = new QVBoxLayout(&window);
    lay->setContentsMargins(8, 8, 8, 8);

    auto *grid = new DataGrid(&window);
    GridOptions o;
    o.rowHeight = 58;
    o.headerHeight = 40;
    o.wordWrap = false;
    o.rowIndicator = true;
    grid->setOptions(o);
    grid->setColumns(GalleryColumns());
    grid->setFooterSummaries({GridSummary::count(QStringLiteral("BARKOD")), GridSummary::sum(QStringLiteral("MIKTAR")),
                              GridSummary::sum(QStringLiteral("NETFIYAT"))});
    const auto table = SampleTable();
    grid->setTable(table);
    grid->setGrouping(QStringLiteral("MARKA"),
                      {GridSummary::count(QStringLiteral("BARKOD")), GridSummary::sum(QStringLiteral("NETFIYAT"))});
    // A filter in use: the items that are out of stock are left out.
    {
        GridModel *m = grid->model();
        const int durum = m->columnIndex(QStringLiteral("DURUM"));
        QStringList keep;
        for (const auto &v : m->filterValues(durum))
            if (v.text != QStringLiteral("Yok")) keep << v.text;
        m->setColumnFilterTexts(durum, keep);
    }
    lay->addWidget(grid, 1);
    lay->addWidget(Legend(&window));

    QObject::connect(grid, &DataGrid::checkBoxClicked, grid, [&](int row, const QString &) {
        std::fprintf(stderr, "check box clicked on row %d\n", row);
    });
    QObject::connect(grid, &DataGrid::buttonClicked, grid, [&](int row, const QString &key) {
        std::fprintf(stderr, "button %s clicked on row %d\n", qPrintable(key), row);
    });

    window.resize(1500, 820);
    window.show();
    grid->fitColumnsByWeight();
    grid->setColumnWidth(QStringLiteral("FIYATBILGISI"), 190);
    grid->setColumnWidth(QStringLiteral("SEC"), 44);

    if (shot.isEmpty()) return app.exec();

    // Screenshot: focus a row, open the filter of "Üretici" narrowed to "a",
    // then draw the window and the popup into one picture.
    QApplication::processEvents();
    grid->setFocusedSourceRow(1);
    grid->view()->setCurrentIndex(grid->viewModel()->index(grid->view()->currentIndex().row(),
                                                           grid->columnIndex(QStringLiteral("ADI"))));
    GridFilterPopup *popup = grid->openFilterPopup(QStringLiteral("MARKA"));
    if (popup) {
        popup->choice().setChecked(2, false);
        popup->listModel()->relist();
    }
    grid->searchFor(QStringLiteral("Ya"));
    QApplication::processEvents();

    QPixmap pm = window.grab();
    if (popup) {
        QPainter p(&pm);
        const QPoint at = window.mapFromGlobal(popup->mapToGlobal(QPoint(0, 0)));
        const QPixmap pp = popup->grab();
        p.drawPixmap(at, pp);
        p.setPen(QColor(0x8a, 0x94, 0xa3));
        p.drawRect(QRect(at, popup->size()).adjusted(0, 0, -1, -1));
    }
    if (!pm.save(shot, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(shot));
        return 1;
    }
    std::printf("%s: %dx%d pixels at device pixel ratio %.1f\n", qPrintable(shot), pm.width(), pm.height(),
                pm.devicePixelRatio());
    return 0;
}
