#include "app/resources.h"

#include <QPixmap>
#include <QString>

#include "app/pixel_art.h"
#include "framework/command_ids.h"

// The resources live in a static library, so nothing would pull them into the program unless
// they are registered explicitly; the macro must be used outside any namespace.
static void InitResources() {
    static const bool done = [] {
        Q_INIT_RESOURCE(brindle);
        return true;
    }();
    (void)done;
}

namespace {
QImage Picture(const char* name) {
    InitResources();
    return QImage(QStringLiteral(":/icons/%1.xpm").arg(QLatin1String(name)));
}

// The picture as drawn and doubled, so that a screen with a scale factor of 2 shows it sharp.
// The double is marked as such: as a mere larger size, Qt would prefer it for any request the
// 16-by-15 picture falls short of, and shrink it blurred on a normal screen.
QIcon Icon(const char* name) {
    const QImage picture = Picture(name);
    QIcon icon(QPixmap::fromImage(picture));
    QPixmap doubled = QPixmap::fromImage(Scale2x(picture));
    doubled.setDevicePixelRatio(2);
    icon.addPixmap(doubled);
    return icon;
}
}  // namespace

QIcon AppIcon() {
    const QImage picture = Picture("brindle");
    QIcon icon;
    for (const int size : {16, 32, 64}) {
        icon.addPixmap(QPixmap::fromImage(ScaleArtwork(picture, size)));
    }
    return icon;
}

QIcon CommandIcon(int id) {
    switch (id) {
        case cmd::kFileNew:
            return Icon("new");
        case cmd::kFileOpen:
            return Icon("open");
        case cmd::kFileSave:
            return Icon("save");
        case cmd::kEditCut:
            return Icon("cut");
        case cmd::kEditCopy:
            return Icon("copy");
        case cmd::kEditPaste:
            return Icon("paste");
        case cmd::kFilePrint:
            return Icon("print");
        case cmd::kViewLargeIcon:
            return Icon("largeicons");
        case cmd::kViewSmallIcon:
            return Icon("smallicons");
        case cmd::kViewList:
            return Icon("list");
        case cmd::kViewDetails:
            return Icon("details");
        case cmd::kAppAbout:
            return Icon("about");
        default:
            return QIcon();
    }
}
