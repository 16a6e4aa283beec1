// JPEG decoding with an error manager that returns instead of exiting.
#include "shell/jpegimage.h"

#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>

namespace jpeg {

namespace {

struct ErrorManager
{
    jpeg_error_mgr base;
    std::jmp_buf escape;
};

// libjpeg's own handler calls exit(); jump back to decode() instead.
[[noreturn]] void failDecoding(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<ErrorManager *>(info->err)->escape, 1);
}

// Warnings (corrupt data that libjpeg would paper over) are counted by
// libjpeg itself; nothing is printed.
void quietly(j_common_ptr) {}

// Everything that must survive a longjmp lives outside the function that
// calls setjmp, so no local is left indeterminate.
struct Decoder
{
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    QImage image;
};

bool run(Decoder &d, const QByteArray &data)
{
    if (setjmp(d.errors.escape))
        return false;
    jpeg_create_decompress(&d.info);
    jpeg_mem_src(&d.info, reinterpret_cast<const unsigned char *>(data.constData()),
                 static_cast<unsigned long>(data.size()));
    if (jpeg_read_header(&d.info, TRUE) != JPEG_HEADER_OK)
        return false;
    const J_COLOR_SPACE space = d.info.jpeg_color_space;
    if (space != JCS_GRAYSCALE && space != JCS_YCbCr && space != JCS_RGB)
        return false;
    if (d.info.image_width == 0 || d.info.image_height == 0 ||
        d.info.image_width > unsigned(kMaxSide) || d.info.image_height > unsigned(kMaxSide))
        return false;
    d.info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&d.info);
    if (d.info.output_components != 3)
        return false;
    d.image = QImage(int(d.info.output_width), int(d.info.output_height), QImage::Format_RGB888);
    if (d.image.isNull())
        return false;
    while (d.info.output_scanline < d.info.output_height) {
        JSAMPROW row = d.image.scanLine(int(d.info.output_scanline));
        if (jpeg_read_scanlines(&d.info, &row, 1) != 1)
            return false;
    }
    jpeg_finish_decompress(&d.info);
    return d.errors.base.num_warnings == 0;
}

} // namespace

QImage decode(const QByteArray &data)
{
    if (data.isEmpty())
        return QImage();
    Decoder d;
    d.info.err = jpeg_std_error(&d.errors.base);
    d.errors.base.error_exit = failDecoding;
    d.errors.base.output_message = quietly;
    const bool ok = run(d, data);
    jpeg_destroy_decompress(&d.info);
    return ok ? d.image.convertToFormat(QImage::Format_RGB32) : QImage();
}

} // namespace jpeg
