#include "cli/png_file.h"

#include <png.h>

#include <vector>

namespace cli {

namespace {

void AppendBytes(png_structp png, png_bytep data, png_size_t size) {
    auto* out = static_cast<QByteArray*>(png_get_io_ptr(png));
    out->append(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

void NoFlush(png_structp) {}

// Everything libpng may jump out of lives in the caller: setjmp's frame holds plain pointers
// only, so the jump skips no destructor.
bool WritePng(QByteArray* out, const std::vector<png_bytep>& rows, int width, int height) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) {
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, out, AppendBytes, NoFlush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, const_cast<png_bytepp>(rows.data()));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

QByteArray EncodePng(const content::ScreenPicture& picture, int scale) {
    const int width = content::kScreenWidth * scale;
    const int height = content::kScreenHeight * scale;
    const auto rowSize = static_cast<std::size_t>(width) * 3;
    std::vector<unsigned char> pixels(rowSize * static_cast<std::size_t>(height));
    std::vector<png_bytep> rows(static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        unsigned char* row = pixels.data() + rowSize * static_cast<std::size_t>(y);
        rows[static_cast<std::size_t>(y)] = row;
        for (int x = 0; x < width; ++x) {
            const content::Rgb colour = picture.At(x / scale, y / scale);
            row[3 * x] = colour.r;
            row[3 * x + 1] = colour.g;
            row[3 * x + 2] = colour.b;
        }
    }
    QByteArray out;
    return WritePng(&out, rows, width, height) ? out : QByteArray();
}

}  // namespace cli
