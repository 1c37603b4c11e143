#include "color_tables.h"

namespace movanta::scaler {
namespace {

void FillRgbToYuv(std::int32_t (&table)[256], float coefficient) {
    for (int i = 0; i < 256; ++i) table[i] = static_cast<std::int32_t>(i * 256.0 * static_cast<double>(coefficient));
}

void FillYuvToRgb(std::int32_t (&table)[256], std::int32_t coefficient, int zero) {
    for (int i = 0; i < 256; ++i) table[i] = coefficient * (i - zero);
}

ColorTables Build() {
    ColorTables tables {};
    FillRgbToYuv(tables.yFromR, 65.481f);
    FillRgbToYuv(tables.yFromG, 128.553f);
    FillRgbToYuv(tables.yFromB, 24.966f);
    FillRgbToYuv(tables.uFromR, 37.797f);
    FillRgbToYuv(tables.uFromG, 74.203f);
    FillRgbToYuv(tables.vFromG, 93.786f);
    FillRgbToYuv(tables.vFromB, 18.214f);
    FillRgbToYuv(tables.uFromBvFromR, 112.0f);
    FillYuvToRgb(tables.luma, 76309, 16);
    FillYuvToRgb(tables.rFromV, 104597, 128);
    FillYuvToRgb(tables.gFromV, 53279, 128);
    FillYuvToRgb(tables.gFromU, 25675, 128);
    FillYuvToRgb(tables.bFromU, 132201, 128);
    for (int i = 0; i < 1024; ++i) {
        const int value = i - ColorTables::kClipOffset;
        tables.clip[i] = static_cast<std::uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value);
    }
    return tables;
}

}  // namespace

const ColorTables& Colors() {
    static const ColorTables tables = Build();
    return tables;
}

}  // namespace movanta::scaler
