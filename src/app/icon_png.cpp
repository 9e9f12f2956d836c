// Build tool: writes the application icon as a PNG for the desktop's icon theme, from the same
// picture the program carries in its resources.
#include <QImage>
#include <cstdio>

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <icon.xpm> <icon.png>\n", argv[0]);
        return 2;
    }
    const QImage image(QString::fromLocal8Bit(argv[1]));
    if (image.isNull() || !image.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "%s: can't convert %s\n", argv[0], argv[1]);
        return 1;
    }
    return 0;
}
