#include "catalogue/serverpicture.h"

#include "catalogue/picturebox.h"
#include "remote/proxim.h"
#include "remote/remotecall.h"
#include "util/messagebox.h"

#include <QBuffer>
#include <QIODevice>
#include <QImage>

#include <cxxabi.h>
#include <cstdlib>
#include <memory>
#include <typeinfo>

namespace tarsel {

std::optional<QByteArray> ReadAnnouncedPicture(QIODevice &stream, qint64 boy)
{
    if (boy == 0) return std::nullopt;
    QByteArray collected;
    char block[1024];
    for (;;) {
        const qint64 n = stream.read(block, sizeof block);
        if (n > 0) collected.append(block, n);
        if (n < qint64(sizeof block)) break;
    }
    if (collected.size() != boy) return std::nullopt;
    return collected;
}

QString ErrorKindName(const std::exception &error)
{
    const char *mangled = typeid(error).name();
    int status = 0;
    std::unique_ptr<char, void (*)(void *)> demangled(abi::__cxa_demangle(mangled, nullptr, nullptr, &status),
                                                      std::free);
    QString name = QString::fromLatin1(status == 0 && demangled ? demangled.get() : mangled);
    const qsizetype colon = name.lastIndexOf(QLatin1String("::"));
    if (colon >= 0) name = name.mid(colon + 2);
    return name;
}

void LoadServerPicture(DSConnection &mainConnection, int stokno, TPictureBox *target)
{
    auto report = [](const QString &text) { ShowMessageBox(text, MsgKind::Custom, MsgButton::Ok, 0, MsgButton::Ok); };
    try {
        UnguardedCall(
            mainConnection,
            [&](TServerMethods1Client &proxy) {
                qint64 boy = 0;
                QIODevice *stream = proxy.ResimVer5(stokno, boy);
                if (!stream) return;
                stream->seek(0);
                const std::optional<QByteArray> bytes = ReadAnnouncedPicture(*stream, boy);
                if (!bytes) return;
                QImage image;
                if (!image.loadFromData(*bytes, "JPEG"))
                    throw PictureDecodeError("Resim çözülemedi (" + std::to_string(bytes->size()) + " bayt)");
                if (target) target->setPicture(image);
            },
            /*reportFailure=*/true, /*usePrivateCopy=*/false);
    } catch (const std::exception &e) {
        report(ErrorKindName(e) + QStringLiteral(": ") + QString::fromUtf8(e.what()));
    } catch (...) {
        report(QStringLiteral("Exception: Bilinmeyen hata"));
    }
}

}  // namespace tarsel
