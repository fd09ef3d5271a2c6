#pragma once
// A small GIF89a writer for animated banners (Qt reads GIF but does not
// write it): a global colour table, one LZW-compressed image per frame, a
// graphic control extension with the frame delay and the looping extension.

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QRgb>

#include <vector>

namespace tarsel::server {

// Frames of one size as 8-bit indexed images whose indices address `palette`
// (1 to 256 colours; the table is padded to a power of two). Each frame is
// shown for delayCs hundredths of a second; loops = 0 repeats for ever.
// Throws std::invalid_argument for an empty list, mixed sizes, a frame that
// is not Format_Indexed8, an index beyond the palette or a bad palette size.
QByteArray EncodeGif(const std::vector<QImage> &indexedFrames, const QList<QRgb> &palette, int delayCs,
                     int loops = 0);

// Any images of one size, reduced to a fixed 256-colour palette (a 6x6x6
// colour cube and 40 greys, nearest colour): the convenient form for frames
// drawn with QPainter.
QByteArray EncodeAnimatedGif(const std::vector<QImage> &frames, int delayCs, int loops = 0);

// The fixed palette EncodeAnimatedGif uses.
QList<QRgb> WebSafePalette();

// The LZW code stream of one image (the bytes that go into the data
// sub-blocks, without the leading code size byte and without sub-blocking).
// minCodeSize is 2..8; every index must be below 2^minCodeSize.
QByteArray LzwCompress(const uchar *indices, std::size_t count, int minCodeSize);

}  // namespace tarsel::server
