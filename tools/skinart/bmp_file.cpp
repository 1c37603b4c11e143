#include "bmp_file.h"

#include <QFile>
#include <QtEndian>
#include <cstdint>
#include <vector>

namespace movanta::skinart {
namespace {

constexpr int kFileHeader = 14;
constexpr int kInfoHeader = 40;

void Put16(std::vector<char>& out, std::uint16_t value) {
    const auto le = qToLittleEndian(value);
    out.insert(out.end(), reinterpret_cast<const char*>(&le), reinterpret_cast<const char*>(&le) + 2);
}

void Put32(std::vector<char>& out, std::uint32_t value) {
    const auto le = qToLittleEndian(value);
    out.insert(out.end(), reinterpret_cast<const char*>(&le), reinterpret_cast<const char*>(&le) + 4);
}

// Headers, palette and rows; `row` fills one row's bytes (unpadded).
template <class Row>
bool Write(const QString& path, int width, int height, int bits, int paletteEntries, Row row) {
    const int stride = (width * bits + 31) / 32 * 4;
    const std::uint32_t offset = kFileHeader + kInfoHeader + 4 * paletteEntries;
    std::vector<char> out;
    out.reserve(offset + std::size_t(stride) * height);
    out.push_back('B');
    out.push_back('M');
    Put32(out, offset + std::uint32_t(stride) * height);
    Put32(out, 0);
    Put32(out, offset);
    Put32(out, kInfoHeader);
    Put32(out, std::uint32_t(width));
    Put32(out, std::uint32_t(height));  // positive: bottom-up
    Put16(out, 1);
    Put16(out, std::uint16_t(bits));
    Put32(out, 0);  // BI_RGB
    Put32(out, std::uint32_t(stride) * height);
    Put32(out, 3780);  // 96 dots an inch
    Put32(out, 3780);
    Put32(out, std::uint32_t(paletteEntries));
    Put32(out, 0);
    for (int i = 0; i < paletteEntries; ++i) {
        for (int channel = 0; channel < 3; ++channel) out.push_back(char(i));
        out.push_back(0);
    }
    std::vector<char> bytes(stride, 0);
    for (int y = height - 1; y >= 0; --y) {
        std::fill(bytes.begin(), bytes.end(), 0);
        row(y, bytes.data());
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(out.data(), qint64(out.size())) == qint64(out.size());
}

}  // namespace

bool WriteBmp24(const QImage& picture, const QString& path) {
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    return Write(path, rgb.width(), rgb.height(), 24, 0, [&rgb](int y, char* out) {
        const uchar* in = rgb.constScanLine(y);
        for (int x = 0; x < rgb.width(); ++x) {
            out[3 * x] = char(in[3 * x + 2]);  // BMP keeps blue, green, red
            out[3 * x + 1] = char(in[3 * x + 1]);
            out[3 * x + 2] = char(in[3 * x]);
        }
    });
}

bool WriteBmp8(const QImage& values, const QString& path) {
    const QImage grey = values.convertToFormat(QImage::Format_Grayscale8);
    return Write(path, grey.width(), grey.height(), 8, 256, [&grey](int y, char* out) {
        std::copy_n(reinterpret_cast<const char*>(grey.constScanLine(y)), grey.width(), out);
    });
}

}  // namespace movanta::skinart
