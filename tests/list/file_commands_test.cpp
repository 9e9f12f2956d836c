#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTreeView>
#include <algorithm>
#include <deque>
#include <string>

#include "framework/command_ids.h"
#include "framework/widgets/file_dialog.h"
#include "framework/widgets/frame_wnd.h"
#include "image/brindle_doc.h"
#include "list/brindle_view.h"
#include "support/in_place_editor.h"
#include "support/scripted_messages.h"
#include "support/temp_settings.h"
#include "support/test_disks.h"

namespace {

using testing_disks::AddFile;

std::vector<unsigned char> Bytes(int count, unsigned char fill) {
    return std::vector<unsigned char>(static_cast<size_t>(count), fill);
}

std::vector<std::string> FileNames(CMdosDisk& disk) {
    std::vector<std::string> names;
    for (unsigned char* e = disk.FirstDirEntry(); e != nullptr; disk.NextDirEntry(&e)) {
        if (e[CMdosDisk::kEntryType] != CMdosDisk::kFreeEntry) {
            char name[16];
            names.emplace_back(disk.GetEntryName(e, name, sizeof name));
        }
    }
    return names;
}

std::vector<unsigned char> Content(CMdosDisk& disk, unsigned char* entry, int size) {
    std::vector<unsigned char> data(static_cast<size_t>(size));
    disk.ReadFileData(entry, data.data(), size);
    return data;
}

QByteArray Snapshot(CMdosDisk& disk) {
    return {reinterpret_cast<const char*>(disk.Record()), CMdosDisk::kRecordSize};
}

const int kShownDiskCommands[] = {cmd::kBinaryImport, cmd::kImportTap, cmd::kImportD80,
                                  cmd::kFormat};
const int kSelectionCommands[] = {cmd::kBinaryExport, cmd::kDeleteFiles,    cmd::kCopyFiles,
                                  cmd::kMoveFiles,    cmd::kExportFilesTap, cmd::kExportFilesD80};

class FileCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing_disks::AddDisks(doc, 2);
        view.SetDocument(&doc);
        view.OnInitialUpdate();
        // Each question is recorded ("format", or the prompt for the target disk) and answered
        // as the test says; by default as Cancel does.
        view.SetQuestions({[this](QWidget*) {
                               asked << QStringLiteral("format");
                               return format;
                           },
                           [this](QWidget*, const QString& prompt,
                                  const std::vector<std::unique_ptr<CMdosDisk>>* disks) {
                               asked << prompt;
                               EXPECT_EQ(disks, &doc.m_disks) << "every disk is offered";
                               return targetDisk;
                           }});
        // Each dialog is recorded as "open|save, default extension, [default name], filter".
        framework::SetFileDialogHandler([this](const framework::CFileDialog& dialog) {
            EXPECT_EQ(dialog.GetFlags(),
                      framework::OFN_HIDEREADONLY | framework::OFN_OVERWRITEPROMPT);
            fileDialogs.push_back(QStringLiteral("%1 %2 [%3] %4")
                                      .arg(dialog.IsOpenDialog() ? "open" : "save",
                                           dialog.GetDefaultExt(), dialog.GetDefaultFileName(),
                                           dialog.GetFilter()));
            if (answers.empty()) {
                ADD_FAILURE() << "unexpected file dialog";
                return std::optional<QString>();
            }
            std::optional<QString> answer = answers.front();
            answers.pop_front();
            return answer;
        });
    }

    void TearDown() override { framework::SetFileDialogHandler(nullptr); }

    CMdosDisk& Disk(int index) { return *doc.m_disks[static_cast<size_t>(index)]; }

    bool Enabled(int id) {
        framework::CCmdUI ui(id);
        EXPECT_TRUE(view.OnCmdMsg(id, &ui));
        return ui.IsEnabled();
    }

    void Run(int id) { view.OnCmdMsg(id, nullptr); }

    testsupport::TempSettings settings;
    testsupport::ScriptedMessages messages;
    QTemporaryDir dir;
    CBrindleDoc doc;
    CBrindleView view;
    std::deque<std::optional<QString>> answers;
    QStringList fileDialogs;
    std::optional<CBrindleView::VolumeFormat> format;
    CMdosDisk* targetDisk = nullptr;
    QStringList asked;
};

TEST_F(FileCommandsTest, AvailabilityFollowsTheShownDiskAndTheSelectedFiles) {
    // Without rows the binary import and the format are unavailable, the TAP and D80 imports
    // are offered but stop before any dialog: nothing shown, then a disk without files.
    for (bool shown : {false, true}) {
        if (shown) {
            view.ShowFiles(&Disk(0), 0);
        }
        for (int id : kShownDiskCommands) {
            const bool always = id == cmd::kImportTap || id == cmd::kImportD80;
            EXPECT_EQ(Enabled(id), always) << "no rows: " << id;
            Run(id);
        }
    }
    AddFile(Disk(0), 'B', "ONE", Bytes(10, 1));
    view.ShowFiles(&Disk(0), 0);
    for (int id : kShownDiskCommands) {
        EXPECT_TRUE(Enabled(id)) << id;
    }
    for (int id : kSelectionCommands) {
        EXPECT_FALSE(Enabled(id)) << "no selection: " << id;
        Run(id);
    }
    view.SelectRows({0});
    for (int id : kSelectionCommands) {
        EXPECT_TRUE(Enabled(id)) << id;
    }
    // The volume-name row has a record but no file.
    view.ShowProperties(&Disk(0), 0);
    view.SelectRows({0, 1, 2});
    for (int id : kSelectionCommands) {
        EXPECT_FALSE(Enabled(id)) << "property rows: " << id;
        Run(id);
    }
    EXPECT_TRUE(Enabled(cmd::kFormat));
    view.ClearList();
    EXPECT_FALSE(Enabled(cmd::kFormat));

    EXPECT_TRUE(fileDialogs.empty());
    EXPECT_TRUE(asked.empty());
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(FileNames(Disk(0)), (std::vector<std::string>{"ONE"}));
}

TEST_F(FileCommandsTest, CancelChangesNothing) {
    AddFile(Disk(0), 'B', "ONE", Bytes(10, 1));
    AddFile(Disk(0), 'B', "TWO", Bytes(10, 2));
    const QByteArray before[] = {Snapshot(Disk(0)), Snapshot(Disk(1))};
    const int commands[] = {cmd::kBinaryImport, cmd::kImportTap,      cmd::kImportD80,
                            cmd::kFormat,       cmd::kBinaryExport,   cmd::kCopyFiles,
                            cmd::kMoveFiles,    cmd::kExportFilesTap, cmd::kExportFilesD80};
    for (int id : commands) {
        view.ShowFiles(&Disk(0), 0);
        view.SelectRows({0, 1});
        answers.assign(2, std::nullopt);
        Run(id);
        EXPECT_EQ(Snapshot(Disk(0)), before[0]) << id;
        EXPECT_EQ(Snapshot(Disk(1)), before[1]) << id;
        EXPECT_EQ(view.GetSelectedRows(), (std::vector<int>{0, 1})) << "not refilled: " << id;
    }
    EXPECT_EQ(fileDialogs.size(), 7u) << "Binary Export asks once per file";
    EXPECT_EQ(asked, (QStringList{"format", "Copy files to disk:", "Move files to disk:"}));
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(FileCommandsTest, BinaryImportFromASectorDumpRefillsWithTheFileList) {
    QFile host(dir.filePath(QStringLiteral("long file name.bin")));
    ASSERT_TRUE(host.open(QIODevice::WriteOnly));
    host.write(QByteArray(700, 'z'));
    host.close();
    answers.push_back(host.fileName());
    view.ShowSector(&Disk(1), 1, 14);
    Run(cmd::kBinaryImport);

    EXPECT_EQ(fileDialogs, QStringList{"open  [] All files|*.*||"});
    ASSERT_EQ(FileNames(Disk(1)), (std::vector<std::string>{"long file "}));
    EXPECT_TRUE(FileNames(Disk(0)).empty());
    ASSERT_EQ(view.GetRowCount(), 1);
    const std::optional<ItemInfo> row = view.GetRowItemInfo(0);
    ASSERT_TRUE(row && row->dirEntry != nullptr);
    EXPECT_EQ(row->diskIndex, 1);
    EXPECT_EQ(Content(Disk(1), row->dirEntry, 700), Bytes(700, 'z'));
    EXPECT_TRUE(doc.IsModified());

    // A file that does not open still refills and marks: the import ran.
    doc.SetModifiedFlag(false);
    view.ShowRecordHeader(&Disk(0), 0);
    answers.push_back(dir.filePath(QStringLiteral("missing")));
    Run(cmd::kBinaryImport);
    EXPECT_EQ(view.GetRowCount(), 0);
    EXPECT_FALSE(Enabled(cmd::kBinaryImport)) << "a disk without files takes it from the tree";
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(FileCommandsTest, TapAndD80ImportsAddToTheShownDisk) {
    // The test data comes from the engine's own exports of a scratch disk.
    auto source = testing_disks::MakeDisk("source");
    AddFile(*source, 'B', "TAPED", Bytes(300, 7));
    const QString tap = dir.filePath(QStringLiteral("in.tap"));
    const QString d80 = dir.filePath(QStringLiteral("in.d80"));
    source->ExportTap(QFile::encodeName(tap).constData(), nullptr);
    source->ExportD80(QFile::encodeName(d80).constData(), nullptr);

    AddFile(Disk(0), 'P', "KEPT", Bytes(5, 1));
    view.ShowProperties(&Disk(0), 0);
    answers.push_back(tap);
    Run(cmd::kImportTap);
    EXPECT_EQ(FileNames(Disk(0)), (std::vector<std::string>{"KEPT", "TAPED"}));
    EXPECT_EQ(view.GetRowCount(), 2);
    EXPECT_TRUE(doc.IsModified());

    doc.SetModifiedFlag(false);
    view.ShowSector(&Disk(0), 0, 0);
    answers.push_back(d80);
    Run(cmd::kImportD80);
    EXPECT_EQ(FileNames(Disk(0)), (std::vector<std::string>{"KEPT", "TAPED", "TAPED"}));
    EXPECT_EQ(view.GetRowCount(), 3);
    EXPECT_TRUE(doc.IsModified());

    EXPECT_EQ(fileDialogs,
              (QStringList{"open .tap [] Tape files (*.tap)|*.tap|Tapes and archives|"
                           "*.tap;*.tzx;*.pzx;"
                           "*.csw;*.wav;*.spc;*.sta;*.ltp;*.zip;*.gz;*.bz2|All files|*.*||",
                           "open .d80 [] D80 disk image files (*.d80)|*.d80|All files|*.*||"}));
}

TEST_F(FileCommandsTest, FormatWipesTheShownDiskWithTheDialogValues) {
    AddFile(Disk(1), 'B', "GONE", Bytes(10, 1));
    view.ShowFiles(&Disk(1), 1);
    format = CBrindleView::VolumeFormat{QStringLiteral("fresh"), 80, 9};
    Run(cmd::kFormat);
    char text[32];
    EXPECT_STREQ(Disk(1).GetGeometryText(text, sizeof text), "80x9");
    EXPECT_STREQ(Disk(1).GetVolumeName(text, sizeof text), "fresh     ");
    EXPECT_TRUE(FileNames(Disk(1)).empty());
    EXPECT_EQ(view.GetRowCount(), 0);
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(FileCommandsTest, BinaryExportOffersEachFileByNameAndSkipsOnlyCancelled) {
    AddFile(Disk(0), 'B', "MY GAME", Bytes(600, 'm'));
    AddFile(Disk(0), 'B', " LEAD", Bytes(3, 'l'));
    AddFile(Disk(0), 'B', "LAST", Bytes(2, 'x'));
    view.ShowFiles(&Disk(0), 0);
    view.SelectRows({2, 0, 1});
    const QString first = dir.filePath(QStringLiteral("first"));
    const QString last = dir.filePath(QStringLiteral("last"));
    answers = {first, std::nullopt, last};
    Run(cmd::kBinaryExport);

    EXPECT_EQ(fileDialogs,
              (QStringList{"save  [MY_GAME] All files|*.*||", "save  [ LEAD] All files|*.*||",
                           "save  [LAST] All files|*.*||"}));
    QFile exported(first);
    ASSERT_TRUE(exported.open(QIODevice::ReadOnly));
    EXPECT_EQ(exported.readAll(), QByteArray(600, 'm'));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), (QStringList{"first", "last"}));
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(FileCommandsTest, DeleteRemovesEverySelectedFileWithoutAQuestion) {
    for (const char* name : {"A", "B", "C", "KEEP"}) {
        AddFile(Disk(0), 'B', name, Bytes(600, 1));
    }
    view.ShowFiles(&Disk(0), 0);
    // B's chain points into the FAT: its removal reports the damage, the loop goes on.
    unsigned char* b = view.GetRowItemInfo(1)->dirEntry;
    Disk(0).SetFatEntry(Disk(0).GetSector(1), Disk(0).GetEntryFirstSector(b), 3);
    view.SelectRows({0, 1, 2});
    Run(cmd::kDeleteFiles);

    EXPECT_EQ(messages.Texts(), (std::vector<std::string>{"FAT is corrupted."}));
    EXPECT_EQ(FileNames(Disk(0)), (std::vector<std::string>{"KEEP"}));
    ASSERT_EQ(view.GetRowCount(), 1);
    EXPECT_EQ(view.GetRowItemInfo(0)->diskIndex, 0);
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(FileCommandsTest, CopyStopsAtTheFirstFileTheTargetCannotTake) {
    for (int i = 0; i < CMdosDisk::kDirEntryCount - 1; ++i) {
        AddFile(Disk(1), 'B', "FILL", {});
    }
    AddFile(Disk(0), 'B', "FIRST", Bytes(20, 1));
    AddFile(Disk(0), 'B', "SECOND", Bytes(20, 2));
    AddFile(Disk(0), 'B', "THIRD", Bytes(20, 3));
    view.ShowFiles(&Disk(0), 0);
    view.SelectRows({0, 1, 2});
    targetDisk = &Disk(1);
    Run(cmd::kCopyFiles);
    EXPECT_EQ(asked, QStringList{"Copy files to disk:"});

    // The third file is not tried: one message only.
    EXPECT_EQ(messages.Texts(), (std::vector<std::string>{"No dir item available."}));
    const std::vector<std::string> target = FileNames(Disk(1));
    EXPECT_EQ(target.back(), "FIRST");
    EXPECT_EQ(std::count(target.begin(), target.end(), "FILL"), CMdosDisk::kDirEntryCount - 1);
    EXPECT_EQ(FileNames(Disk(0)), (std::vector<std::string>{"FIRST", "SECOND", "THIRD"}));
    EXPECT_TRUE(doc.IsModified());

    // A copy onto the files' own disk adds entries the list shows only when refilled.
    targetDisk = &Disk(0);
    Run(cmd::kCopyFiles);
    EXPECT_EQ(FileNames(Disk(0)).size(), 6u);
    EXPECT_EQ(view.GetRowCount(), 3);
    EXPECT_EQ(view.GetSelectedRows(), (std::vector<int>{0, 1, 2}));
}

TEST_F(FileCommandsTest, MoveToTheSameDiskTakesNewEntriesAndSectors) {
    AddFile(Disk(0), 'B', "A", Bytes(600, 'a'));  // sectors 14, 15
    AddFile(Disk(0), 'B', "B", Bytes(600, 'b'));  // 16, 17
    AddFile(Disk(0), 'B', "C", Bytes(600, 'c'));  // 18, 19
    view.ShowFiles(&Disk(0), 0);
    view.SelectRows({0, 2});
    targetDisk = &Disk(0);
    Run(cmd::kMoveFiles);
    EXPECT_EQ(asked, QStringList{"Move files to disk:"});

    // A takes the fourth entry and sectors 20, 21 before its old ones are freed; C then takes
    // A's old entry and sectors.
    ASSERT_EQ(FileNames(Disk(0)), (std::vector<std::string>{"C", "B", "A"}));
    ASSERT_EQ(view.GetRowCount(), 3);
    unsigned char* c = view.GetRowItemInfo(0)->dirEntry;
    unsigned char* a = view.GetRowItemInfo(2)->dirEntry;
    EXPECT_EQ(Disk(0).GetEntryFirstSector(c), 14);
    EXPECT_EQ(Disk(0).GetEntryFirstSector(a), 20);
    EXPECT_EQ(Content(Disk(0), c, 600), Bytes(600, 'c'));
    EXPECT_EQ(Content(Disk(0), a, 600), Bytes(600, 'a'));
    EXPECT_TRUE(messages.Texts().empty());
    EXPECT_TRUE(doc.IsModified());
}

// A file name still being typed in place is stored before a command runs: Move and Delete free
// the entry, and an editor left open would write into it later.
TEST_F(FileCommandsTest, DeleteAndMoveStoreTheNameBeingEditedFirst) {
    framework::CFrameWnd frame;
    frame.SetDocument(&doc);
    frame.AddPane(&view, &view);
    view.show();
    AddFile(Disk(0), 'B', "A", Bytes(600, 'a'));
    AddFile(Disk(0), 'B', "B", Bytes(600, 'b'));
    view.ShowFiles(&Disk(0), 0);
    const auto typeName = [this](int row, const char* name) {
        view.SelectRows({row});
        view.OnCmdMsg(cmd::kEditLabel, nullptr);
        QLineEdit* editor = testsupport::VisibleEditor(*view.GetDetailsView());
        ASSERT_NE(editor, nullptr);
        editor->setText(name);
    };

    typeName(1, "MOVED");
    targetDisk = &Disk(1);
    EXPECT_TRUE(frame.ExecuteCommand(cmd::kMoveFiles));
    EXPECT_EQ(FileNames(Disk(1)), (std::vector<std::string>{"MOVED"}));
    EXPECT_EQ(FileNames(Disk(0)), (std::vector<std::string>{"A"}));

    unsigned char* freed = Disk(0).FirstDirEntry();
    typeName(0, "DELETED");
    EXPECT_TRUE(frame.ExecuteCommand(cmd::kDeleteFiles));
    QApplication::processEvents();
    EXPECT_EQ(testsupport::VisibleEditor(*view.GetDetailsView()), nullptr);
    EXPECT_TRUE(FileNames(Disk(0)).empty());
    EXPECT_EQ(std::vector<unsigned char>(freed, freed + CMdosDisk::kDirEntrySize),
              Bytes(CMdosDisk::kDirEntrySize, CMdosDisk::kFreeEntry));
}

TEST_F(FileCommandsTest, ExportsWriteTheSelectedFilesInRowOrder) {
    for (const char* name : {"ONE", "TWO", "THREE", "FOUR"}) {
        AddFile(Disk(0), 'B', name, Bytes(700, static_cast<unsigned char>(name[1])));
    }
    view.ShowFiles(&Disk(0), 0);
    view.SelectRows({3, 0, 2});
    const QString d80 = dir.filePath(QStringLiteral("out.d80"));
    const QString tap = dir.filePath(QStringLiteral("out.tap"));
    answers = {d80, tap};
    Run(cmd::kExportFilesD80);
    Run(cmd::kExportFilesTap);

    EXPECT_EQ(fileDialogs,
              (QStringList{"save .d80 [] D80 disk image files (*.d80)|*.d80|All files|*.*||",
                           "save .tap [] Tape files (*.tap)|*.tap|All files|*.*||"}));

    const std::vector<std::string> expected{"ONE", "THREE", "FOUR"};
    auto readBack = std::make_unique<CMdosDisk>();
    readBack->LoadRawImage(QFile::encodeName(d80).constData());
    char geometry[16];
    EXPECT_STREQ(readBack->GetGeometryText(geometry, sizeof geometry), "80x9");
    EXPECT_EQ(FileNames(*readBack), expected);
    unsigned char* third = readBack->FirstDirEntry();
    readBack->NextDirEntry(&third);
    readBack->NextDirEntry(&third);
    EXPECT_EQ(Content(*readBack, third, 700), Bytes(700, 'O'));

    auto fromTape = std::make_unique<CMdosDisk>();
    fromTape->Format(94, 9, "TAPE");
    fromTape->ImportTap(QFile::encodeName(tap).constData());
    EXPECT_EQ(FileNames(*fromTape), expected);

    EXPECT_EQ(FileNames(Disk(0)), (std::vector<std::string>{"ONE", "TWO", "THREE", "FOUR"}));
    EXPECT_EQ(view.GetSelectedRows(), (std::vector<int>{0, 2, 3}));
    EXPECT_FALSE(doc.IsModified());
}

}  // namespace
