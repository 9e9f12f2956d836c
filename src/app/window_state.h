// The main window's size, place, splitter and list style between runs. They live in a state
// file of their own (window.ini in framework::StateFolder()), apart from the settings store,
// whose keys stay as they were.
#pragma once

#include <QSize>

class CMainFrame;

// The size a first run opens at: the tree and every column of the file list, within the
// screen's available area.
[[nodiscard]] QSize FirstWindowSize(const CMainFrame& frame);

// Puts the window where the last run left it; false when there is nothing to restore (the
// window keeps its first size and place).
bool RestoreWindowPlace(CMainFrame& frame);
// The splitter and the list style, once the window is shown and the splitter knows its width.
bool RestoreWindowPanes(CMainFrame& frame);
void SaveWindowState(const CMainFrame& frame);
