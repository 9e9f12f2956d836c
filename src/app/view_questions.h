// The answers the views' commands get from the program's dialogs. The views ask in their own
// terms and never see a dialog class; the main frame installs these when it builds them.
#pragma once

#include "list/brindle_view.h"
#include "tree/left_view.h"

// "Add Tarrow disks" for "Add More ..." and "Format MDOS Disk" for the tree's "Format ...".
[[nodiscard]] CLeftView::Questions TreeQuestions();
// "Format MDOS Disk" for the list's "Format ..." and "Select Disk" for copying and moving.
[[nodiscard]] CBrindleView::Questions ListQuestions();
