#include "dialogs/dialog_units.h"

#include <QFontMetrics>
#include <QWidget>

namespace dialogs {

QSize DialogUnitsToPixels(const QWidget& widget, int width, int height) {
    // The average width is taken over the letters of the alphabet in both cases, rounded to
    // the nearest pixel.
    const QFontMetrics metrics(widget.font());
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    const int baseWidth = (letters / 26 + 1) / 2;
    const int baseHeight = metrics.height();
    return {width * baseWidth / 4, height * baseHeight / 8};
}

}  // namespace dialogs
