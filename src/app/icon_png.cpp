// Build tool: writes the application icon as PNGs for the desktop's icon theme, one per size
// of the hicolor theme, from the same picture the program carries in its resources.
#include <QDir>
#include <QImage>
#include <cstdio>
#include <cstdlib>

#include "app/pixel_art.h"

int main(int argc, char* argv[]) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s <icon.xpm> <theme folder> <size>...\n", argv[0]);
        return 2;
    }
    const QImage image(QString::fromLocal8Bit(argv[1]));
    if (image.isNull()) {
        std::fprintf(stderr, "%s: can't read %s\n", argv[0], argv[1]);
        return 1;
    }
    const QString theme = QString::fromLocal8Bit(argv[2]);
    for (int i = 3; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(theme).arg(size);
        if (size <= 0 || !QDir().mkpath(folder) ||
            !ScaleArtwork(image, size).save(folder + QStringLiteral("/brindle.png"), "PNG")) {
            std::fprintf(stderr, "%s: can't write the %s pixel icon\n", argv[0], argv[i]);
            return 1;
        }
    }
    return 0;
}
