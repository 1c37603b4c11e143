// Writing pictures as BMP files of the two kinds a skin package takes: 24
// bits a pixel, and 8 bits a pixel whose palette index is the value (a
// window's opacity mask).
#pragma once

#include <QImage>
#include <QString>

namespace movanta::skinart {

// The picture's colours, without its alpha, bottom-up, rows padded to four
// bytes. False when the file cannot be written.
bool WriteBmp24(const QImage& picture, const QString& path);

// One byte a pixel, the grey value of each pixel of `values`, with
// a palette of 256 greys so that index n shows as grey n.
bool WriteBmp8(const QImage& values, const QString& path);

}  // namespace movanta::skinart
