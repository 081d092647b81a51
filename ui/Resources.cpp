#include "ui/Resources.h"

#include <QFile>

#include <csetjmp>
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

// The resources are compiled into nib_ui, a static library: without this call the linker may drop them.
static void InitNibResources() {
    Q_INIT_RESOURCE(nibwright);
}

void NibInitResources() {
    InitNibResources();
}

namespace {

// Pictures larger than this on either side are refused before any pixel memory is taken.
constexpr JDIMENSION MaxSide = 8192;

struct ErrorManager {
    jpeg_error_mgr Base;
    std::jmp_buf Jump;
};

[[noreturn]] void OnJpegError(j_common_ptr info) {
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    std::longjmp(manager->Jump, 1);
}

void OnJpegMessage(j_common_ptr) {} // warnings of a damaged stream are not printed

// The state of one decoding. It lives in the caller's frame and is reached through a pointer only, so
// nothing the decoder changes sits in a register when libjpeg jumps back on an error.
struct Decoding {
    const unsigned char* Bytes = nullptr;
    unsigned long Size = 0;
    QImage Image;
    jpeg_decompress_struct Info{};
    ErrorManager Errors{};
};

bool Decode(Decoding* d) {
    d->Info.err = jpeg_std_error(&d->Errors.Base);
    d->Errors.Base.error_exit = OnJpegError;
    d->Errors.Base.output_message = OnJpegMessage;
    if (setjmp(d->Errors.Jump)) {
        jpeg_destroy_decompress(&d->Info);
        return false;
    }
    jpeg_create_decompress(&d->Info);
    jpeg_mem_src(&d->Info, d->Bytes, d->Size);
    if (jpeg_read_header(&d->Info, TRUE) != JPEG_HEADER_OK) {
        jpeg_destroy_decompress(&d->Info);
        return false;
    }
    const bool grey = d->Info.jpeg_color_space == JCS_GRAYSCALE;
    if (!grey && d->Info.jpeg_color_space != JCS_YCbCr && d->Info.jpeg_color_space != JCS_RGB) {
        jpeg_destroy_decompress(&d->Info); // CMYK and other colour spaces are not pictures of ours
        return false;
    }
    d->Info.out_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_start_decompress(&d->Info);
    const JDIMENSION width = d->Info.output_width;
    const JDIMENSION height = d->Info.output_height;
    if (width == 0 || height == 0 || width > MaxSide || height > MaxSide ||
        d->Info.output_components != (grey ? 1 : 3)) {
        jpeg_destroy_decompress(&d->Info);
        return false;
    }
    d->Image = QImage(static_cast<int>(width), static_cast<int>(height),
                      grey ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
    if (d->Image.isNull()) {
        jpeg_destroy_decompress(&d->Info);
        return false;
    }
    while (d->Info.output_scanline < height) {
        JSAMPROW row = d->Image.scanLine(static_cast<int>(d->Info.output_scanline));
        jpeg_read_scanlines(&d->Info, &row, 1);
    }
    jpeg_finish_decompress(&d->Info);
    jpeg_destroy_decompress(&d->Info);
    return true;
}

} // namespace

QImage LoadJpegResource(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QImage();
    const QByteArray bytes = file.readAll();
    if (bytes.isEmpty())
        return QImage();
    Decoding decoding;
    decoding.Bytes = reinterpret_cast<const unsigned char*>(bytes.constData());
    decoding.Size = static_cast<unsigned long>(bytes.size());
    if (!Decode(&decoding))
        return QImage();
    return decoding.Image.convertToFormat(QImage::Format_RGB32);
}
