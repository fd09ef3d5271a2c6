#include "server/gifencoder.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <unordered_map>

namespace tarsel::server {

namespace {

constexpr int kMaxCodes = 4096;  // 12-bit codes

// Packs variable-width codes least significant bit first, as GIF wants.
class BitWriter {
public:
    void write(int code, int width)
    {
        acc_ |= std::uint32_t(code) << bits_;
        bits_ += width;
        while (bits_ >= 8) {
            out_.append(char(acc_ & 0xFF));
            acc_ >>= 8;
            bits_ -= 8;
        }
    }
    QByteArray finish()
    {
        if (bits_ > 0) out_.append(char(acc_ & 0xFF));
        acc_ = 0;
        bits_ = 0;
        return std::move(out_);
    }

private:
    QByteArray out_;
    std::uint32_t acc_ = 0;
    int bits_ = 0;
};

void PutU16(QByteArray &out, int v)
{
    out.append(char(v & 0xFF));
    out.append(char((v >> 8) & 0xFF));
}

}  // namespace

QByteArray LzwCompress(const uchar *indices, std::size_t count, int minCodeSize)
{
    if (minCodeSize < 2 || minCodeSize > 8) throw std::invalid_argument("LZW: minimum code size must be 2..8");
    const int clear = 1 << minCodeSize;
    const int eoi = clear + 1;
    for (std::size_t i = 0; i < count; ++i)
        if (indices[i] >= clear) throw std::invalid_argument("LZW: colour index beyond the code size");

    BitWriter out;
    int codeSize = minCodeSize + 1;
    int next = eoi + 1;
    std::unordered_map<std::uint32_t, int> table;
    table.reserve(kMaxCodes * 2);
    out.write(clear, codeSize);
    if (count == 0) {
        out.write(eoi, codeSize);
        return out.finish();
    }

    int current = indices[0];
    for (std::size_t i = 1; i < count; ++i) {
        const int k = indices[i];
        const std::uint32_t key = (std::uint32_t(current) << 8) | std::uint32_t(k);
        if (const auto it = table.find(key); it != table.end()) {
            current = it->second;
            continue;
        }
        out.write(current, codeSize);
        if (next < kMaxCodes) {
            table.emplace(key, next++);
            // The decoder learns this entry one code later; it widens its
            // codes when its table is full at the current width, which is
            // exactly when ours has grown past it.
            if (next > (1 << codeSize) && codeSize < 12) ++codeSize;
        } else {
            // Table full: start again.
            out.write(clear, codeSize);
            table.clear();
            next = eoi + 1;
            codeSize = minCodeSize + 1;
        }
        current = k;
    }
    out.write(current, codeSize);
    // After the last data code the decoder adds one more entry (if there is
    // room) before it reads the end code, and may widen for it.
    if (next < kMaxCodes && next + 1 > (1 << codeSize) && codeSize < 12) ++codeSize;
    out.write(eoi, codeSize);
    return out.finish();
}

QByteArray EncodeGif(const std::vector<QImage> &frames, const QList<QRgb> &palette, int delayCs, int loops)
{
    if (frames.empty()) throw std::invalid_argument("GIF: no frames");
    if (palette.isEmpty() || palette.size() > 256) throw std::invalid_argument("GIF: the palette needs 1..256 colours");
    const QSize size = frames.front().size();
    if (size.isEmpty() || size.width() > 0xFFFF || size.height() > 0xFFFF)
        throw std::invalid_argument("GIF: bad image size");

    int tableBits = 1;
    while ((1 << tableBits) < palette.size()) ++tableBits;
    const int minCodeSize = std::max(2, tableBits);

    QByteArray gif;
    gif.append("GIF89a", 6);
    PutU16(gif, size.width());
    PutU16(gif, size.height());
    gif.append(char(0x80 | ((tableBits - 1) << 4) | (tableBits - 1)));  // global table, its size
    gif.append(char(0));                                                  // background colour index
    gif.append(char(0));                                                  // pixel aspect ratio
    for (int i = 0; i < (1 << tableBits); ++i) {
        const QRgb c = i < palette.size() ? palette[i] : qRgb(0, 0, 0);
        gif.append(char(qRed(c)));
        gif.append(char(qGreen(c)));
        gif.append(char(qBlue(c)));
    }
    if (frames.size() > 1) {
        gif.append("\x21\xFF\x0B" "NETSCAPE2.0" "\x03\x01", 16);
        PutU16(gif, std::clamp(loops, 0, 0xFFFF));
        gif.append(char(0));
    }

    std::vector<uchar> pixels(std::size_t(size.width()) * std::size_t(size.height()));
    for (std::size_t f = 0; f < frames.size(); ++f) {
        const QImage &img = frames[f];
        if (img.size() != size) throw std::invalid_argument("GIF: frames must have one size");
        if (img.format() != QImage::Format_Indexed8)
            throw std::invalid_argument("GIF: frame " + std::to_string(f) + " is not an 8-bit indexed image");
        for (int y = 0; y < size.height(); ++y) {
            const uchar *line = img.constScanLine(y);
            for (int x = 0; x < size.width(); ++x) {
                if (line[x] >= palette.size())
                    throw std::invalid_argument("GIF: colour index beyond the palette in frame " + std::to_string(f));
                pixels[std::size_t(y) * std::size_t(size.width()) + std::size_t(x)] = line[x];
            }
        }
        // Graphic control: leave the frame in place, the delay, no transparency.
        gif.append("\x21\xF9\x04", 3);
        gif.append(char(1 << 2));
        PutU16(gif, std::clamp(delayCs, 0, 0xFFFF));
        gif.append(char(0));
        gif.append(char(0));
        // Image descriptor: the whole screen, global colours, not interlaced.
        gif.append(char(0x2C));
        PutU16(gif, 0);
        PutU16(gif, 0);
        PutU16(gif, size.width());
        PutU16(gif, size.height());
        gif.append(char(0));
        gif.append(char(minCodeSize));
        const QByteArray data = LzwCompress(pixels.data(), pixels.size(), minCodeSize);
        for (qsizetype pos = 0; pos < data.size(); pos += 255) {
            const qsizetype n = std::min<qsizetype>(255, data.size() - pos);
            gif.append(char(n));
            gif.append(data.constData() + pos, n);
        }
        gif.append(char(0));
    }
    gif.append(char(0x3B));
    return gif;
}

QList<QRgb> WebSafePalette()
{
    QList<QRgb> palette;
    palette.reserve(256);
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b) palette.append(qRgb(r * 51, g * 51, b * 51));
    // 40 greys between black and white; none falls on the cube's own grey
    // steps (multiples of 51), since 41 * k / 5 is never a whole number here.
    for (int i = 1; i <= 40; ++i) {
        const int v = (i * 255 + 20) / 41;
        palette.append(qRgb(v, v, v));
    }
    return palette;
}

QByteArray EncodeAnimatedGif(const std::vector<QImage> &frames, int delayCs, int loops)
{
    static const QList<QRgb> palette = WebSafePalette();
    std::vector<QImage> indexed;
    indexed.reserve(frames.size());
    for (const QImage &f : frames) {
        QImage i = f.convertToFormat(QImage::Format_RGB32).convertToFormat(QImage::Format_Indexed8, palette,
                                                                          Qt::ThresholdDither | Qt::AvoidDither);
        if (i.colorCount() != palette.size()) throw std::invalid_argument("GIF: colour reduction failed");
        indexed.push_back(std::move(i));
    }
    return EncodeGif(indexed, palette, delayCs, loops);
}

}  // namespace tarsel::server
