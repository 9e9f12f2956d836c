#include "app/command_table.h"

#include <algorithm>
#include <array>
#include <iterator>

#include "framework/command_ids.h"

namespace {

constexpr char kImage[] = "&Image";
constexpr char kDiskTools[] = "Virtual &Disk Tools";
constexpr char kMdosDiskTools[] = "&MDOS Disk Tools";
constexpr char kMdosFileTools[] = "MDOS &Files Tools";
constexpr char kEdit[] = "&Edit";
constexpr char kView[] = "&View";
constexpr char kHelp[] = "&Help";

constexpr CommandInfo kCommands[] = {
    {kImage, "&New\tCtrl+N", cmd::kFileNew, {"Ctrl+N"}, "Create a new document\nNew"},
    {kImage, "&Open ...\tCtrl+O", cmd::kFileOpen, {"Ctrl+O"}, "Open an existing document\nOpen"},
    {kImage, "&Save\tCtrl+S", cmd::kFileSave, {"Ctrl+S"}, "Save the active document\nSave"},
    {kImage,
     "Save &As ...",
     cmd::kFileSaveAs,
     {},
     "Save the active document with a new name\nSave As"},
    {kImage, nullptr, 0, {}, nullptr},
    {kImage, "&Merge Mode", cmd::kMergeMode, {}, "Switch file operations to merge mode"},
    {kImage, "&Boot Template ...", cmd::kBootTemplate, {}, "Settings of the boot"},
    {kImage, nullptr, 0, {}, nullptr},
    {kImage, kRecentFilePlaceholder, cmd::kFileMruFirst, {}, kRecentFilePrompt},
    {kImage, nullptr, 0, {}, nullptr},
    {kImage,
     "E&xit Brindle",
     cmd::kAppExit,
     {},
     "Quit the application; prompts to save documents\nExit"},

    {kDiskTools,
     "&Add New\tCtrl+A",
     cmd::kAddNew,
     {"Ctrl+A"},
     "Add a standart Tarrow disk to image"},
    {kDiskTools, "Add &More ...\tCtrl+M", cmd::kAddMore, {"Ctrl+M"}, "Add more disks to image"},
    {kDiskTools, "&Remove\tCtrl+R", cmd::kRemoveDisk, {"Ctrl+R"}, "Remove current disk from image"},
    {kDiskTools, nullptr, 0, {}, nullptr},
    {kDiskTools, "Copy ...", cmd::kCopyDisk, {}, "Copy Tarrow disk to specified position"},
    {kDiskTools, "Move ...", cmd::kMoveDisk, {}, "Move Tarrow disk to specified position"},
    {kDiskTools, nullptr, 0, {}, nullptr},
    {kDiskTools, "Add New &From File ...", cmd::kAddFromFile, {}, "Add Tarrow disk from file"},
    {kDiskTools,
     "Replace With  File...",
     cmd::kReplaceWithFile,
     {},
     "Replace current disk with file"},
    {kDiskTools, "Export To File ...", cmd::kExportToFile, {}, "Export current disk to file"},

    {kMdosDiskTools,
     "&Replace with TAP File ...",
     cmd::kReplaceWithTap,
     {},
     "Replace current disk with data from .TAP file"},
    {kMdosDiskTools, "&Import TAP File ...", cmd::kImportTap, {}, "Import data from .TAP file"},
    {kMdosDiskTools,
     "&Export to TAP File ...",
     cmd::kExportDiskTap,
     {},
     "Export whole disk to .TAP file"},
    {kMdosDiskTools, nullptr, 0, {}, nullptr},
    {kMdosDiskTools,
     "Replace with D80 File ...",
     cmd::kReplaceWithD80,
     {},
     "Replace current disk with data from .D80 file"},
    {kMdosDiskTools, "Import D80 File ...", cmd::kImportD80, {}, "Import data from .D80 file"},
    {kMdosDiskTools,
     "Export to D80 File ...",
     cmd::kExportDiskD80,
     {},
     "Export whole disk to .D80 file"},
    {kMdosDiskTools, nullptr, 0, {}, nullptr},
    {kMdosDiskTools, "&Format ...\tCtrl+F", cmd::kFormat, {"Ctrl+F"}, "Format disk"},

    {kMdosFileTools,
     "Binary &Import ...\tCtrl+I",
     cmd::kBinaryImport,
     {"Ctrl+I"},
     "Import any file as a binary copy"},
    {kMdosFileTools,
     "Binary &Export ...\tCtrl+E",
     cmd::kBinaryExport,
     {"Ctrl+E"},
     "Export any file as a binary copy"},
    {kMdosFileTools, nullptr, 0, {}, nullptr},
    {kMdosFileTools, "&Delete\tCtrl+D", cmd::kDeleteFiles, {"Ctrl+D"}, "Delete file"},
    {kMdosFileTools, "Copy ...", cmd::kCopyFiles, {}, "Copy file to specified disk"},
    {kMdosFileTools, "Move ...", cmd::kMoveFiles, {}, "Move file to specified disk"},
    {kMdosFileTools, nullptr, 0, {}, nullptr},
    {kMdosFileTools,
     "Export to TAP file ...",
     cmd::kExportFilesTap,
     {},
     "Export selectded files to .TAP file"},
    {kMdosFileTools,
     "Export to D80 file ...",
     cmd::kExportFilesD80,
     {},
     "Export selectded files to .D80 file"},

    {kEdit,
     "&Undo\tCtrl+Z",
     cmd::kEditUndo,
     {"Ctrl+Z", "Alt+Backspace"},
     "Undo the last action\nUndo"},
    {kEdit, nullptr, 0, {}, nullptr},
    {kEdit,
     "Cu&t\tCtrl+X",
     cmd::kEditCut,
     {"Ctrl+X", "Shift+Del"},
     "Cut the selection and put it on the Clipboard\nCut"},
    {kEdit,
     "&Copy\tCtrl+C",
     cmd::kEditCopy,
     {"Ctrl+C", "Ctrl+Ins"},
     "Copy the selection and put it on the Clipboard\nCopy"},
    {kEdit,
     "&Paste\tCtrl+V",
     cmd::kEditPaste,
     {"Ctrl+V", "Shift+Ins"},
     "Insert Clipboard contents\nPaste"},
    {kEdit, nullptr, 0, {}, nullptr},
    {kEdit, "Edit Label\tF2", cmd::kEditLabel, {"F2"}, "Edit label of current item"},

    {kView, "&Toolbar", cmd::kViewToolbar, {}, "Show or hide the toolbar\nToggle ToolBar"},
    {kView,
     "&Status Bar",
     cmd::kViewStatusBar,
     {},
     "Show or hide the status bar\nToggle StatusBar"},

    {kHelp,
     "&About Brindle...",
     cmd::kAppAbout,
     {},
     "Display program information, version number and copyright\nAbout"},

    {nullptr, nullptr, cmd::kNextPane, {"F6", "Tab"}, "Switch to the next window pane\nNext Pane"},
    {nullptr,
     nullptr,
     cmd::kPrevPane,
     {"Shift+F6"},
     "Switch back to the previous window pane\nPrevious Pane"},
    {nullptr, nullptr, cmd::kFilePrint, {}, nullptr},
    {nullptr, nullptr, cmd::kViewSmallIcon, {}, "Display items by using small icons.\nSmall Icons"},
    {nullptr, nullptr, cmd::kViewLargeIcon, {}, "Display items by using large icons.\nLarge Icons"},
    {nullptr, nullptr, cmd::kViewList, {}, "Displays items in a list.\nList"},
    {nullptr,
     nullptr,
     cmd::kViewDetails,
     {},
     "Displays detailed information about each item in the window.\nDetails"},
    {nullptr, nullptr, cmd::kViewLineUp, {}, "Arranges icons in a grid."},
    {nullptr, nullptr, cmd::kViewByName, {}, "Sorts the icons alphabetically."},
};

constexpr std::array kToolBar = {
    cmd::kFileNew,       cmd::kFileOpen,
    cmd::kFileSave,      0,
    cmd::kEditCut,       cmd::kEditCopy,
    cmd::kEditPaste,     0,
    cmd::kFilePrint,     0,
    cmd::kViewLargeIcon, cmd::kViewSmallIcon,
    cmd::kViewList,      cmd::kViewDetails,
    cmd::kAppAbout,
};

}  // namespace

std::span<const CommandInfo> CommandTable() {
    return kCommands;
}

const CommandInfo* FindCommand(int id) {
    const auto it = std::find_if(std::begin(kCommands), std::end(kCommands),
                                 [id](const CommandInfo& info) { return info.id == id; });
    return it == std::end(kCommands) ? nullptr : &*it;
}

std::span<const int> ToolBarLayout() {
    return kToolBar;
}

QString StatusPrompt(const CommandInfo& info) {
    return QString::fromUtf8(info.prompt).section('\n', 0, 0);
}

QString ToolTip(const CommandInfo& info) {
    return QString::fromUtf8(info.prompt).section('\n', 1);
}
