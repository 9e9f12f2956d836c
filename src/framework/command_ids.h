// Every command of the program, by its id. The menus, keys, prompts and tool tips that carry
// them are built from one table in the application; handlers bind to these ids.
#pragma once

namespace cmd {

// Image
inline constexpr int kFileNew = 57600;
inline constexpr int kFileOpen = 57601;
inline constexpr int kFileSave = 57603;
inline constexpr int kFileSaveAs = 57604;
inline constexpr int kFilePrint = 57607;
inline constexpr int kFileMruFirst = 57616;  // up to 8 recent files: 57616..57623
inline constexpr int kFileMruCount = 8;
inline constexpr int kAppExit = 57665;
inline constexpr int kMergeMode = 32779;
inline constexpr int kBootTemplate = 32775;

// Virtual Disk Tools
inline constexpr int kAddNew = 32771;
inline constexpr int kAddMore = 32772;
inline constexpr int kRemoveDisk = 32773;
inline constexpr int kCopyDisk = 32815;
inline constexpr int kMoveDisk = 32816;
inline constexpr int kAddFromFile = 32790;
inline constexpr int kReplaceWithFile = 32792;
inline constexpr int kExportToFile = 32794;

// MDOS Disk Tools
inline constexpr int kReplaceWithTap = 32819;
inline constexpr int kImportTap = 32820;
inline constexpr int kExportDiskTap = 32802;
inline constexpr int kReplaceWithD80 = 32823;
inline constexpr int kImportD80 = 32826;
inline constexpr int kExportDiskD80 = 32827;
inline constexpr int kFormat = 32804;

// MDOS Files Tools
inline constexpr int kBinaryImport = 32830;
inline constexpr int kBinaryExport = 32831;
inline constexpr int kDeleteFiles = 32832;
inline constexpr int kCopyFiles = 32833;
inline constexpr int kMoveFiles = 32834;
inline constexpr int kExportFilesTap = 32845;
inline constexpr int kExportFilesD80 = 32847;

// Edit
inline constexpr int kEditUndo = 57643;
inline constexpr int kEditCut = 57635;
inline constexpr int kEditCopy = 57634;
inline constexpr int kEditPaste = 57637;
inline constexpr int kEditLabel = 32787;

// View
inline constexpr int kViewToolbar = 59392;
inline constexpr int kViewStatusBar = 59393;
inline constexpr int kViewSmallIcon = 59408;
inline constexpr int kViewLargeIcon = 59409;
inline constexpr int kViewList = 59410;
inline constexpr int kViewDetails = 59411;
inline constexpr int kViewLineUp = 59412;
inline constexpr int kViewByName = 59413;

// Help and panes
inline constexpr int kAppAbout = 57664;
inline constexpr int kNextPane = 57680;
inline constexpr int kPrevPane = 57681;

}  // namespace cmd
