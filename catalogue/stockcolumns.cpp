#include "catalogue/stockcolumns.h"

#include "grid/griddelegate.h"
#include "util/money.h"

#include <QPainter>

#include <algorithm>

namespace tarsel {

namespace {

using C = GridColumn;

// The hidden tail shared by the new items and campaign grids, in view order.
GridColumn Hidden(const char *field, const char *caption, int weight)
{
    return C::text(QLatin1String(field), QString::fromUtf8(caption), weight).hidden();
}

GridColumn Internal(const char *field, int weight)
{
    return C::text(QLatin1String(field), QString(), weight).hidden().notInChooser();
}

}  // namespace

std::vector<GridColumn> StockListColumns()
{
    return {
        Hidden("OEM1", "Oem1", 2),
        Hidden("OEM2", "Oem2", 2),
        Hidden("OEM3", "Oem3", 2),
        C::text("BARKOD", "Kod", 2),
        C::text("ADI", "Açıklama", 4),
        C::text("MARKA", "Üretici", 2),
        C::text("URETICIKODU", "Üretici Kod", 2),
        C::text("BIRIM", "Birim", 1),
        Hidden("OEM4", "Oem4", 2),
        Internal("STOK_STOKNO", 1),
        Hidden("FINISHKOD", "Finish Kod", 2),
        C::icon("RESIM", "Resim", 1, IconSet::pictureFlag()),
        Internal("BARKOD_BARKODNO", 1),
        Hidden("DIGERADI", "Diğer Adı", 3),
        Internal("DPKOD", 2),
        Hidden("OEMNO", "Oem No", 2),
        Hidden("MODEL", "Model", 2),
        Hidden("ANAGRUP", "Ana Grup", 2),
        Hidden("OZELKOD", "Özel Kod", 2),
        Internal("KALAN", 1),
        Internal("PKOD", 1),
        C::text("KDV", QString(), 1).hidden(),
        Internal("ALINANSIPARIS", 1),
        Internal("VERILENSIPARIS", 1),
        Hidden("LISTEFIYAT1", "Liste Fiyatı", 2).wrap(false),
        Hidden("KAMPFIYAT", "Kampanyalı Fiyat", 2).wrap(false),
        Hidden("FIYAT", "Liste Fiyatı", 2),
        C::icon("Y", "Yeni", 1, IconSet::yesNo()).hidden(),
        C::icon("K", "Kampanyalı", 1, IconSet::yesNo()).hidden(),
        Hidden("INDIRIMYAZI", "İndirim Oran", 2).centred(),
        C::text("NETFIYAT", "Net Fiyatı", 2),
        Hidden("KDVDAHIL", "KDV Dahil Fiyat", 3),
        C::icon("DURUM", "Durum", 1, IconSet::stockStates()),
        C::custom(kPriceInfoColumn, QStringLiteral("Fiyat Bilgisi"), 2, PaintPriceCell,
                  [](const GridRow &r) -> QVariant {
                      return PriceCellLines(r.number(QStringLiteral("LISTEFIYAT1")),
                                            r.number(QStringLiteral("KAMPFIYAT")),
                                            r.number(QStringLiteral("NETFIYAT")),
                                            r.number(QStringLiteral("KDVDAHIL")))
                          .join(QLatin1Char(' '));
                  })
            .hidden()
            .noSort()
            .noFilter(),
    };
}

std::vector<GridColumn> NewItemColumns()
{
    return {
        Hidden("OEM1", "Oem1", 2),
        Hidden("OEM2", "Oem2", 2),
        Hidden("OEM3", "Oem3", 2),
        C::text("BARKOD", "Barkod", 2),
        C::text("ADI", "Açıklama", 3),
        Hidden("OEM4", "Oem4", 2),
        Internal("STOK_STOKNO", 1),
        C::text("FINISHKOD", "Finish Kod", 2),
        Hidden("URETICIKODU", "Üretici Kod", 2),
        Internal("BARKOD_BARKODNO", 1),
        Hidden("DIGERADI", "Diğer Adı", 3),
        Internal("DPKOD", 2),
        Hidden("OEMNO", "Oem No", 2),
        C::text("BIRIM", "Birim", 1),
        C::text("MARKA", "Marka", 2),
        C::text("MODEL", "Model", 2),
        Hidden("ANAGRUP", "Ana Grup", 2),
        Hidden("OZELKOD", "Özel Kod", 2),
        Internal("KALAN", 1),
        Internal("PKOD", 1),
        C::text("KDV", QString(), 1).hidden(),
        Internal("ALINANSIPARIS", 1),
        Internal("VERILENSIPARIS", 1),
        Hidden("FIYAT", "Liste Fiyatı2", 2),
        C::icon("K", "Kampanyalı", 1, IconSet::yesNo(false)),
        C::text("LISTEFIYAT1", "Liste Fiyatı", 2),
        C::text("KAMPFIYAT", "Kampanyalı Fiyatı", 2),
        C::text("INDIRIMYAZI", "Indirim Oran", 2).centred(),
        C::text("INDIRIM", "İndirim Oran", 1).hidden().notInChooser(),
        C::text("NETFIYAT", "Net Fiyatı", 2),
        C::text("KDVDAHIL", "KDV Dahil Fiyat", 2),
    };
}

std::vector<GridColumn> CampaignColumns()
{
    return {
        Hidden("OEM1", "Oem1", 2),
        Hidden("OEM2", "Oem2", 2),
        Hidden("OEM3", "Oem3", 2),
        C::text("BARKOD", "Barkod", 2),
        C::text("ADI", "Açıklama", 3),
        Hidden("OEM4", "Oem4", 2),
        Internal("STOK_STOKNO", 1),
        C::icon("RESIM", "Resim", 1, IconSet::pictureFlag()),
        C::text("FINISHKOD", "Finish Kod", 2),
        Hidden("URETICIKODU", "Üretici Kod", 2),
        Internal("BARKOD_BARKODNO", 1),
        Hidden("DIGERADI", "Diğer Adı", 3),
        Internal("DPKOD", 2),
        Hidden("OEMNO", "Oem No", 2),
        C::text("BIRIM", "Birim", 1),
        C::text("MARKA", "Marka", 2),
        C::text("MODEL", "Model", 2),
        Hidden("ANAGRUP", "Ana Grup", 2),
        Hidden("OZELKOD", "Özel Kod", 2),
        Internal("KALAN", 1),
        Internal("PKOD", 1),
        C::text("KDV", QString(), 1).hidden(),
        Internal("ALINANSIPARIS", 1),
        Internal("VERILENSIPARIS", 1),
        C::text("ESKIFIYAT", "Liste Fiyatı", 2),
        C::text("FIYAT", "Kampanyalı Fiyatı", 2),
        C::icon("Y", "Yeni", 1, IconSet::yesNo()),
        C::icon("K", "Kampanyalı", 1, IconSet::yesNo()),
        C::text("INDIRIM", "İndirim Oran", 1).hidden().notInChooser(),
        C::text("INDIRIMYAZI", "İndirim Oran", 2).centred(),
        C::text("NETFIYAT", "Net Fiyatı", 2),
        C::text("KDVDAHIL", "KDV Dahil Fiyat", 2),
        C::icon("DURUM", "Durum", 1, IconSet::stockStates()),
    };
}

QStringList PriceCellLines(double listPrice, double campaignPrice, double netPrice, double vatIncluded,
                           const QLocale &locale)
{
    QStringList lines;
    lines << QStringLiteral("Liste Fiyatı: ") + FormatMoney(listPrice, locale);
    if (campaignPrice > 0) lines << QStringLiteral("Kampanyalı Fiyat: ") + FormatMoney(campaignPrice, locale);
    lines << QStringLiteral("NetFiyat: ") + FormatMoney(netPrice, locale);
    lines << QStringLiteral("KDV li Fiyat: ") + FormatMoney(vatIncluded, locale);
    return lines;
}

QFont PriceCellFont(const QFont &cellFont, const QStringList &lines, const QSize &area)
{
    return FontToFit(cellFont, lines, area, 8);
}

void PaintPriceCell(QPainter *p, const QRect &rect, const GridRow &row, const GridCellState &st)
{
    static const GridTheme fallback;
    const GridTheme &t = st.theme ? *st.theme : fallback;
    p->fillRect(rect, st.selected ? t.selectionColor
                                  : (st.viewRow % 2 == 0 ? t.contentEvenColor : t.contentOddColor));
    const QStringList lines =
        PriceCellLines(row.number(QStringLiteral("LISTEFIYAT1")), row.number(QStringLiteral("KAMPFIYAT")),
                       row.number(QStringLiteral("NETFIYAT")), row.number(QStringLiteral("KDVDAHIL")));
    const QRect area = rect.adjusted(10, 0, -10, 0);
    p->setFont(PriceCellFont(st.font, lines, area.size()));
    p->setPen(st.selected ? t.selectionTextColor : t.textColor);
    p->drawText(area, Qt::AlignRight | Qt::AlignVCenter, lines.join(QLatin1Char('\n')));
}

}  // namespace tarsel
