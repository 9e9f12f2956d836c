#include "app/pixel_art.h"

#include <QRgb>

QImage Scale2x(const QImage& image) {
    const QImage source = image.convertToFormat(QImage::Format_ARGB32);
    const int width = source.width();
    const int height = source.height();
    QImage result(width * 2, height * 2, QImage::Format_ARGB32);
    const auto at = [&source, width, height](int x, int y, QRgb self) {
        return x < 0 || y < 0 || x >= width || y >= height ? self : source.pixel(x, y);
    };
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const QRgb p = source.pixel(x, y);
            const QRgb up = at(x, y - 1, p);
            const QRgb left = at(x - 1, y, p);
            const QRgb right = at(x + 1, y, p);
            const QRgb down = at(x, y + 1, p);
            const bool corners = up != down && left != right;
            result.setPixel(2 * x, 2 * y, corners && left == up ? up : p);
            result.setPixel(2 * x + 1, 2 * y, corners && up == right ? right : p);
            result.setPixel(2 * x, 2 * y + 1, corners && left == down ? left : p);
            result.setPixel(2 * x + 1, 2 * y + 1, corners && down == right ? down : p);
        }
    }
    return result;
}

QImage ScaleArtwork(const QImage& image, int size) {
    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    while (!result.isNull() && result.width() * 2 <= size && result.height() * 2 <= size) {
        result = Scale2x(result);
    }
    if (result.width() != size || result.height() != size) {
        result = result.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    return result;
}
