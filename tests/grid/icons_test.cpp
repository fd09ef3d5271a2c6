#include "grid/gridcolumn.h"
#include "grid/gridicons.h"

#include <QImage>
#include <QPainter>
#include <QSet>

#include <gtest/gtest.h>

using namespace tarsel;

namespace {

int OpaquePixels(const QImage &img)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) n += qAlpha(img.pixel(x, y)) > 60 ? 1 : 0;
    return n;
}

TEST(GridIcons, EveryIconRendersAtOneAndTwoTimesPixelRatio)
{
    for (const QString &name : GridIcons::names()) {
        ASSERT_TRUE(GridIcons::exists(name)) << qPrintable(name);
        const QPixmap one = GridIcons::pixmap(name, QSize(24, 24), 1.0);
        const QPixmap two = GridIcons::pixmap(name, QSize(24, 24), 2.0);
        EXPECT_EQ(one.size(), QSize(24, 24)) << qPrintable(name);
        EXPECT_EQ(two.size(), QSize(48, 48)) << qPrintable(name) << ": drawn for the 2x device, not scaled up";
        EXPECT_DOUBLE_EQ(two.devicePixelRatio(), 2.0);
        const int o1 = OpaquePixels(one.toImage()), o2 = OpaquePixels(two.toImage());
        EXPECT_GT(o1, 10) << qPrintable(name);
        // The same drawing at four times the pixels.
        EXPECT_NEAR(double(o2) / std::max(o1, 1), 4.0, 1.2) << qPrintable(name);
        EXPECT_FALSE(GridIcons::icon(name).isNull()) << qPrintable(name);
    }
    EXPECT_FALSE(GridIcons::exists(QStringLiteral("no-such-icon")));
    EXPECT_TRUE(GridIcons::pixmap(QStringLiteral("no-such-icon"), QSize(24, 24), 1.0).isNull());
}

TEST(GridIcons, IconSetsUseDistinctExistingIcons)
{
    for (const IconSet &set : {IconSet::stockStates(), IconSet::yesNo(), IconSet::pictureFlag(), IconSet::documentTypes()}) {
        QSet<QString> seen;
        for (const IconValue &v : set.values) {
            if (v.icon.isEmpty()) continue;
            EXPECT_TRUE(GridIcons::exists(v.icon)) << qPrintable(v.icon);
            EXPECT_FALSE(seen.contains(v.icon)) << qPrintable(v.icon);
            seen.insert(v.icon);
        }
    }
    EXPECT_EQ(IconSet::stockStates().values.size(), 6u);
    EXPECT_EQ(IconSet::documentTypes().values.size(), 7u);
}

TEST(GridIcons, PaintUsesThePixelRatioOfTheDevice)
{
    QImage img(96, 96, QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(2.0);
    img.fill(Qt::transparent);
    {
        QPainter p(&img);
        GridIcons::paint(&p, QRect(0, 0, 48, 48), QStringLiteral("stock-available"));
    }
    // The circle fills most of the 96 physical pixels square.
    EXPECT_GT(OpaquePixels(img), 4000);
    EXPECT_EQ(qAlpha(img.pixel(0, 0)), 0);
}

TEST(StockStateLegend, SixStatesInTheStatusStripOrder)
{
    const auto legend = StockStateLegend();
    ASSERT_EQ(legend.size(), 6u);
    const char *texts[] = {" Stok mevcut  ", " Telefon Açınız  ", " Yolda  ", " Tedarik Sürecinde ", " Özel Sipariş  ", " Yok  "};
    const int values[] = {1, 2, 3, 5, 4, 0};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(legend[std::size_t(i)].text, QString::fromUtf8(texts[i]));
        EXPECT_EQ(legend[std::size_t(i)].value, values[i]);
        EXPECT_EQ(legend[std::size_t(i)].icon, IconSet::stockStates().find(values[i])->icon);
    }
}

}  // namespace
