// The program's own artwork, compiled into it: it looks the same with or without a desktop
// icon theme.
#pragma once

#include <QIcon>

[[nodiscard]] QIcon AppIcon();
// The toolbar picture of a command; a null icon for commands that have none.
[[nodiscard]] QIcon CommandIcon(int id);
