#pragma once

#include <QByteArray>
#include <QImage>

// Decodes a baseline or progressive JPEG with libjpeg. Damaged data, a
// colour model other than grey or YCbCr/RGB, or an image larger than
// kMaxSide on a side gives a null image; nothing here ends the process.
namespace jpeg {

constexpr int kMaxSide = 8192;

QImage decode(const QByteArray &data);

} // namespace jpeg
