#pragma once
// Pictures and files of the demo data (adverts, banners, published
// documents), made on the spot so that each is a real file of its type:
// JPEG, PNG, animated GIF, BMP, PDF, XLSX, DOCX, ZIP and text.
//
// Pictures with text need a QGuiApplication (the server has one); without
// it they are drawn without their texts, and the PDF documents are skipped.

#include <QByteArray>
#include <QColor>
#include <QString>

#include <utility>
#include <vector>

namespace tarsel::server::demo {

// A part of the demo assortment, used by the demo invoices and price lists.
struct Part {
    const char *oem, *name, *finish, *brand, *model, *group, *unit;
    double price;  // list price in TL, without KDV
};
extern const Part kParts[];
extern const int kPartCount;

// True when texts can be drawn (a QGuiApplication exists).
bool CanDrawText();

// Pictures.
QByteArray AdvertJpeg(int variant, const QString &headline, const QString &line, const QString &action);
QByteArray TopBannerPng();       // 409 x 100
QByteArray SearchBannerGif();    // animated, several frames
QByteArray BottomBannerBmp();    // wide strip, 60 pixels high
QByteArray PosterJpeg();         // campaign poster
QByteArray LogoPng();

// Documents. An empty result means the file could not be made here.
QByteArray PriceListXlsx();
QByteArray CataloguePdf();
QByteArray ReturnFormPdf();
QByteArray DealerContractDocx();
QByteArray CampaignPicturesZip();
QByteArray ShippingInfoText();

// A ZIP archive of (name, content) entries, names in UTF-8, deflated.
// Throws std::runtime_error when it cannot be written.
QByteArray MakeZip(const std::vector<std::pair<QString, QByteArray>> &entries);

}  // namespace tarsel::server::demo
