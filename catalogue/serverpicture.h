#pragma once
// The picture the application server keeps for a stock item (`ResimVer5`),
// loaded into the stock dialog's lower picture control before it opens.

#include <QByteArray>
#include <QString>

#include <exception>
#include <stdexcept>
#include <optional>

class QIODevice;

namespace tarsel {

class DSConnection;
class TPictureBox;

// Reads a picture stream in blocks of 1024 bytes until a read returns fewer,
// and returns the bytes when their number equals the announced size `boy`.
// Nothing for a size of 0 or a different number of bytes.
std::optional<QByteArray> ReadAnnouncedPicture(QIODevice &stream, qint64 boy);

// The kind of an error as the picture message names it ("RemoteError",
// "ConnectionError", ...): the error's class name without its namespace.
QString ErrorKindName(const std::exception &error);

// Thrown when the received bytes are no JPEG picture.
class PictureDecodeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// On the user-interface thread, on the main connection: opens it with the
// retries (their message when it cannot be opened), calls ResimVer5 and, when
// the stream holds exactly the announced bytes of a JPEG picture, makes it
// the control's picture. Any error is shown as "<kind>: <text>" in a plain
// message box; the control then keeps its picture. The connection is closed
// in every case.
void LoadServerPicture(DSConnection &mainConnection, int stokno, TPictureBox *target);

}  // namespace tarsel
