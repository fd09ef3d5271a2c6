// Runs the screenshot tour (scripts/tour.sh) against the demo server and
// checks that every run reached its windows and that the pictures are real
// pictures: present, of a plausible size and not of one colour.

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Number of different colours in a sample grid of the picture.
int colourCount(const QImage &image)
{
    QSet<QRgb> colours;
    const int stepX = qMax(1, image.width() / 60), stepY = qMax(1, image.height() / 60);
    for (int y = 0; y < image.height(); y += stepY)
        for (int x = 0; x < image.width(); x += stepX) colours.insert(image.pixel(x, y));
    return int(colours.size());
}

}  // namespace

TEST(Tour, EveryRunSavesItsWindowsAsRealPictures)
{
    QTemporaryDir out;
    QProcess tour;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TARSEL_BUILD"), QStringLiteral(TARSEL_BUILD_DIR));
    tour.setProcessEnvironment(env);
    tour.setProcessChannelMode(QProcess::MergedChannels);
    tour.start(QStringLiteral("bash"), {QStringLiteral(TARSEL_TOUR_SCRIPT), out.path()});
    ASSERT_TRUE(tour.waitForStarted());
    ASSERT_TRUE(tour.waitForFinished(15 * 60 * 1000));
    const QByteArray log = tour.readAll();
    ASSERT_EQ(tour.exitCode(), 0) << log.constData();

    // Pictures every run must have reached.
    const struct {
        const char *run;
        QStringList mustHave;
    } runs[] = {
        {"BAYI",
         {"giris", "giris-dolu", "ana-pencere", "sekme-ssepet", "ana-menu", "stok-listesi-genis", "stok-listesi-dar",
          "stok-dialog", "sepet-kargo", "siparis-onay", "yeni-stoklar", "kampanyali-stoklar", "cikis-sorusu",
          "hayir-sonrasi"}},
        {"BAYI4", {"giris", "ana-pencere", "sekme-iletisim", "stok-dialog", "yeni-stoklar"}},
        {"SATIS", {"cari-secimi", "cari-secimi-liste", "ana-pencere", "stok-dialog", "siparis-onay", "baska-cari-sec",
                   "cari-degisti"}},
        {"TEMSILCI", {"cari-secimi", "ana-pencere"}},
        {"BILINMEYEN", {"giris", "istek-formu"}},
        {"GUNCELLEME", {"giris", "guncelleme"}},
    };
    for (const auto &r : runs) {
        SCOPED_TRACE(r.run);
        const QDir dir(out.path() + QLatin1Char('/') + QLatin1String(r.run));
        const QStringList files = dir.entryList({QStringLiteral("*.png")}, QDir::Files, QDir::Name);
        ASSERT_FALSE(files.isEmpty());
        for (const QString &name : r.mustHave) {
            bool found = false;
            for (const QString &f : files)
                if (f.mid(3) == name + QStringLiteral(".png")) found = true;
            EXPECT_TRUE(found) << name.toStdString();
        }
        // The BAYI4 run has no campaign tab.
        if (QLatin1String(r.run) == QLatin1String("BAYI4")) {
            for (const QString &f : files) EXPECT_FALSE(f.contains(QStringLiteral("skampanyali")));
        }
        for (const QString &f : files) {
            SCOPED_TRACE(f.toStdString());
            const QImage image(dir.filePath(f));
            ASSERT_FALSE(image.isNull());
            EXPECT_GE(image.width(), 100);
            EXPECT_GE(image.height(), 50);
            EXPECT_GE(colourCount(image), 8);  // not blank
        }
    }
}

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
