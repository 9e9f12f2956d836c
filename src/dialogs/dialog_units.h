// Dialog units: the measure our dialog layouts are given in, relative to the dialog's font so
// that a dialog keeps its proportions whatever font and screen it meets. A horizontal unit is a
// quarter of the font's average character width, a vertical unit an eighth of its height.
#pragma once

#include <QSize>

class QWidget;

namespace dialogs {

// The size in pixels of width x height dialog units in widget's font.
[[nodiscard]] QSize DialogUnitsToPixels(const QWidget& widget, int width, int height);

}  // namespace dialogs
