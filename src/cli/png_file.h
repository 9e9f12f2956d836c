// A picture of content/ as a PNG file, through libpng: brindle-cli stays free of Qt Gui.
#pragma once

#include <QByteArray>

#include "content/screen_picture.h"

namespace cli {

// The PNG bytes of the picture, each pixel a square of scale x scale (scale 1 or more).
[[nodiscard]] QByteArray EncodePng(const content::ScreenPicture& picture, int scale);

}  // namespace cli
