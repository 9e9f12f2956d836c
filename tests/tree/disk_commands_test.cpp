#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <optional>
#include <vector>

#include "framework/widgets/file_dialog.h"
#include "framework/widgets/frame_wnd.h"
#include "support/scripted_messages.h"
#include "support/temp_settings.h"
#include "support/test_disks.h"
#include "tree/tree_view_fixture.h"

namespace {

using testing_disks::AddDisks;
using testing_disks::AddFile;
using testing_disks::MakeDisk;

// The commands that ask for a file, each with its dialog: open or save, default extension and
// filter; adding more disks and formatting ask their own questions instead. All but the first
// two act on the selected item's disk.
struct DiskCommand {
    int id;
    bool openDialog;
    const char* defaultExt;
    const char* filter;
};
constexpr char kAllFiles[] = "All files|*.*||";
constexpr char kTapFiles[] = "Tape files (*.tap)|*.tap|All files|*.*||";
// Opening a tape takes every format and archive besides TAP.
constexpr char kTapeOpenFiles[] =
    "Tape files (*.tap)|*.tap|Tapes and archives|"
    "*.tap;*.tzx;*.pzx;*.csw;*.wav;*.spc;*.sta;*.ltp;*.zip;*.gz;*.bz2|All files|*.*||";
constexpr char kD80Files[] = "D80 disk image files (*.d80)|*.d80|All files|*.*||";
const DiskCommand kFileCommands[] = {
    {cmd::kAddFromFile, true, "", kAllFiles},
    {cmd::kAddMore, true, nullptr, nullptr},
    {cmd::kReplaceWithFile, true, "", kAllFiles},
    {cmd::kExportToFile, false, "", kAllFiles},
    {cmd::kReplaceWithTap, true, ".tap", kTapeOpenFiles},
    {cmd::kImportTap, true, ".tap", kTapeOpenFiles},
    {cmd::kExportDiskTap, false, ".tap", kTapFiles},
    {cmd::kReplaceWithD80, true, ".d80", kD80Files},
    {cmd::kImportD80, true, ".d80", kD80Files},
    {cmd::kExportDiskD80, false, ".d80", kD80Files},
    {cmd::kBinaryImport, true, "", kAllFiles},
    {cmd::kFormat, true, nullptr, nullptr},
};

QString Text(char* (CMdosDisk::*getter)(char*, int), CMdosDisk& disk) {
    char buf[64];
    return QString::fromLatin1((disk.*getter)(buf, sizeof buf)).trimmed();
}

// A document whose memory for new disks runs out after a given number.
class ShortOfMemoryDoc : public CBrindleDoc {
public:
    int m_nDisksLeft = 0;

protected:
    std::unique_ptr<CMdosDisk> NewDisk() override {
        return m_nDisksLeft-- > 0 ? CBrindleDoc::NewDisk() : nullptr;
    }
};

class DiskCommandsTest : public TreeViewTest {
protected:
    void SetUp() override {
        TreeViewTest::SetUp();
        framework::SetFileDialogHandler([this](const framework::CFileDialog& dialog) {
            m_dialogs.push_back(dialog);
            return m_answer;
        });
        // The questions answer as the test says; by default as Cancel does.
        tree.SetQuestions({[this](QWidget*) {
                               m_asked.push_back(cmd::kAddMore);
                               return m_newDisks;
                           },
                           [this](QWidget*) {
                               m_asked.push_back(cmd::kFormat);
                               return m_format;
                           }});
    }
    void TearDown() override { framework::SetFileDialogHandler(nullptr); }

    // Three disks "Disk 0".."Disk 2", each with one file, disk 0 selected.
    void ThreeDisks() {
        AddDisks(doc, 3);
        for (auto& disk : doc.m_disks) {
            AddFile(*disk, 'B', "OLD", {1, 2, 3});
        }
        InitialUpdate();
    }

    [[nodiscard]] QString Path(const char* name) const { return m_dir.filePath(name); }
    // Writes a single-disk file, a tape and a raw image of a disk named "Source" holding the
    // file "NEW".
    void WriteSourceFiles() {
        const auto source = MakeDisk("Source");
        AddFile(*source, 'B', "NEW", {4, 5, 6, 7});
        source->SaveRecord(QFile::encodeName(Path("source.dsk")).constData());
        source->ExportTap(QFile::encodeName(Path("source.tap")).constData(), nullptr);
        source->ExportD80(QFile::encodeName(Path("source.d80")).constData(), nullptr);
    }

    bool Enabled(int id) {
        framework::CCmdUI ui(id);
        EXPECT_TRUE(tree.OnCmdMsg(id, &ui)) << id;
        return ui.IsEnabled();
    }
    void Run(int id) { EXPECT_TRUE(tree.OnCmdMsg(id, nullptr)) << id; }

    // The tree keeps the sector selected and shown.
    void ExpectSectorShown(int disk, int sector) {
        EXPECT_EQ(tree.SelectedItem(), Sector(disk, sector));
        ExpectShown(KindSector, disk, sector);
    }

    [[nodiscard]] std::vector<QByteArray> Records() const {
        std::vector<QByteArray> records;
        for (const auto& disk : doc.m_disks) {
            records.emplace_back(reinterpret_cast<const char*>(disk->Record()),
                                 CMdosDisk::kRecordSize);
        }
        return records;
    }

    testsupport::TempSettings m_settings;
    testsupport::ScriptedMessages m_messages;
    QTemporaryDir m_dir;
    std::optional<QString> m_answer;
    std::vector<framework::CFileDialog> m_dialogs;
    std::optional<CLeftView::NewDisks> m_newDisks;
    std::optional<CLeftView::VolumeFormat> m_format;
    // The commands whose question was asked, in order.
    std::vector<int> m_asked;
};

TEST_F(DiskCommandsTest, AddNewAppendsAStandardDiskSelectedWithItsEmptyFileList) {
    ThreeDisks();
    tree.SelectItem(Sector(1, 40));
    Run(cmd::kAddNew);
    ASSERT_EQ(tree.DiskItemCount(), 4);
    EXPECT_EQ(Label(tree.DiskItem(3)), "empty disk 3");
    EXPECT_EQ(IconOf(tree.DiskItem(3)), icons::kTreeDisk);
    EXPECT_EQ(tree.SelectedItem(), tree.DiskItem(3));
    ExpectShown(KindFiles, 3);
    EXPECT_EQ(Text(&CMdosDisk::GetVolumeName, *doc.m_disks[3]), "empty_disk");
    EXPECT_EQ(Text(&CMdosDisk::GetGeometryText, *doc.m_disks[3]), "94x9");
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(DiskCommandsTest, WithoutDisksOnlyTheAddCommandsAreAvailable) {
    InitialUpdate();
    for (const DiskCommand& c : kFileCommands) {
        if (c.id == cmd::kAddFromFile || c.id == cmd::kAddMore) {
            continue;
        }
        EXPECT_FALSE(Enabled(c.id)) << c.id;
        Run(c.id);
    }
    EXPECT_FALSE(Enabled(cmd::kRemoveDisk));
    Run(cmd::kRemoveDisk);
    EXPECT_TRUE(m_dialogs.empty());
    EXPECT_TRUE(m_asked.empty());
    EXPECT_FALSE(doc.IsModified());
    // No class handles copying or moving a disk, so the menu shows them disabled.
    framework::CCmdUI ui(cmd::kCopyDisk);
    EXPECT_FALSE(tree.OnCmdMsg(cmd::kCopyDisk, &ui));
    EXPECT_FALSE(tree.OnCmdMsg(cmd::kMoveDisk, &ui));

    for (int id : {cmd::kAddNew, cmd::kAddMore, cmd::kAddFromFile}) {
        EXPECT_TRUE(Enabled(id)) << id;
    }
    Run(cmd::kAddNew);
    ASSERT_EQ(tree.DiskItemCount(), 1);
    EXPECT_EQ(IconOf(tree.DiskItem(0)), icons::kTreeBootDisk);
    EXPECT_EQ(tree.SelectedItem(), tree.DiskItem(0));
    EXPECT_TRUE(Enabled(cmd::kFormat));
}

TEST_F(DiskCommandsTest, RemoveTakesOnlyLaterDiskItemsAndKeepsTheRestReachable) {
    AddDisks(doc, 5);
    for (auto& disk : doc.m_disks) {
        AddFile(*disk, 'B', "F", {1});
    }
    InitialUpdate();
    for (const QModelIndex& item :
         {tree.DiskItem(0), Tags(2), Volume(2), Sector(2, 0), Sector(2, 1691)}) {
        tree.SelectItem(item);
        EXPECT_FALSE(Enabled(cmd::kRemoveDisk)) << Label(item).toStdString();
        Run(cmd::kRemoveDisk);
    }
    EXPECT_EQ(doc.m_disks.size(), 5u);
    EXPECT_FALSE(doc.IsModified());

    tree.SelectItem(tree.DiskItem(1));
    EXPECT_TRUE(Enabled(cmd::kRemoveDisk));
    Run(cmd::kRemoveDisk);
    EXPECT_TRUE(m_messages.Texts().empty());
    EXPECT_TRUE(doc.IsModified());
    ASSERT_EQ(doc.m_disks.size(), 4u);
    ASSERT_EQ(tree.DiskItemCount(), 4);
    const char* names[] = {"Disk 0", "Disk 2", "Disk 3", "Disk 4"};
    for (int row = 0; row < 4; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(Label(tree.DiskItem(row)), names[row]);
        const std::optional<ItemInfo> info = tree.ItemInfoAt(Sector(row, 9));
        EXPECT_EQ(info->diskIndex, row);
        EXPECT_EQ(info->disk, doc.m_disks[static_cast<size_t>(row)].get());
    }
    // A neighbour is selected and shown.
    ASSERT_TRUE(tree.SelectedItemInfo());
    ExpectShown(KindFiles, tree.SelectedItemInfo()->diskIndex);
}

// Any command may run while a disk's name is typed in place. The frame stores the name first,
// as Enter would, so no handler runs with an editor open and no editor writes later into a
// disk the command freed or replaced.
TEST_F(DiskCommandsTest, CommandsStoreTheNameBeingEditedBeforeTheyRun) {
    WriteSourceFiles();
    ThreeDisks();
    framework::CFrameWnd frame;
    frame.SetDocument(&doc);
    frame.AddPane(&tree, &tree);
    bool editorOpenInHandler = false;
    framework::SetFileDialogHandler([&](const framework::CFileDialog&) {
        editorOpenInHandler |= testsupport::VisibleEditor(tree) != nullptr;
        return std::optional<QString>(Path("source.dsk"));
    });
    tree.SetQuestions({{}, [&](QWidget*) {
                           editorOpenInHandler |= testsupport::VisibleEditor(tree) != nullptr;
                           return std::optional<CLeftView::VolumeFormat>({"fresh", 94, 9});
                       }});
    const auto typeName = [this](int disk, const char* name) {
        QLineEdit* editor = OpenEditor(tree.DiskItem(disk));
        ASSERT_NE(editor, nullptr);
        editor->setText(name);
    };
    char name[40];

    typeName(1, "Typed");
    EXPECT_TRUE(frame.ExecuteCommand(cmd::kReplaceWithFile));
    EXPECT_STREQ(doc.m_disks[1]->GetDiskName(name, sizeof name), "Source");
    typeName(1, "Formatted");
    EXPECT_TRUE(frame.ExecuteCommand(cmd::kFormat));
    EXPECT_STREQ(doc.m_disks[1]->GetDiskName(name, sizeof name), "Formatted");
    EXPECT_EQ(Text(&CMdosDisk::GetVolumeName, *doc.m_disks[1]), "fresh");
    typeName(1, "Gone");
    EXPECT_TRUE(frame.ExecuteCommand(cmd::kRemoveDisk));
    QApplication::processEvents();
    EXPECT_FALSE(editorOpenInHandler);
    EXPECT_EQ(testsupport::VisibleEditor(tree), nullptr);
    ASSERT_EQ(doc.m_disks.size(), 2u);
    EXPECT_STREQ(doc.m_disks[1]->GetDiskName(name, sizeof name), "Disk 2");
    EXPECT_EQ(Label(tree.DiskItem(1)), "Disk 2");
}

TEST_F(DiskCommandsTest, AddMoreFormatsCopiesTheTemplateOrAddsNothing) {
    WriteSourceFiles();
    ThreeDisks();
    // No disk added is no change: the selection stays and the image is not marked.
    tree.SelectItem(Sector(1, 20));
    shown.clear();
    m_newDisks = CLeftView::NewDisks{0, CLeftView::VolumeFormat{"games", 80, 9}, {}};
    Run(cmd::kAddMore);
    EXPECT_EQ(tree.DiskItemCount(), 3);
    EXPECT_EQ(tree.SelectedItem(), Sector(1, 20));
    EXPECT_TRUE(shown.empty());
    EXPECT_FALSE(doc.IsModified());

    m_newDisks->count = 2;
    Run(cmd::kAddMore);
    ASSERT_EQ(tree.DiskItemCount(), 5);
    EXPECT_EQ(tree.SelectedItem(), tree.DiskItem(3));
    EXPECT_EQ(Label(tree.DiskItem(4)), "empty disk 4");
    EXPECT_EQ(Text(&CMdosDisk::GetVolumeName, *doc.m_disks[4]), "games");
    EXPECT_EQ(Text(&CMdosDisk::GetGeometryText, *doc.m_disks[4]), "80x9");
    EXPECT_TRUE(doc.IsModified());

    m_newDisks = CLeftView::NewDisks{1, std::nullopt, Path("source.dsk")};
    Run(cmd::kAddMore);
    ASSERT_EQ(tree.DiskItemCount(), 6);
    EXPECT_EQ(tree.SelectedItem(), tree.DiskItem(5));
    ExpectShown(KindFiles, 5);
    EXPECT_EQ(doc.m_disks[5]->GetFilesCount(), 1);  // the template's file
    EXPECT_EQ(m_asked, std::vector<int>(3, cmd::kAddMore));
}

TEST_F(DiskCommandsTest, AddMoreShortOfMemoryKeepsAndShowsTheDisksItGot) {
    ShortOfMemoryDoc small;
    AddDisks(small, 1);
    small.m_nDisksLeft = 2;
    tree.SetDocument(&small);
    InitialUpdate();
    m_newDisks = CLeftView::NewDisks{1000000, CLeftView::VolumeFormat{"emptydisk", 94, 9}, {}};
    Run(cmd::kAddMore);
    EXPECT_EQ(m_messages.Texts(), std::vector<std::string>{CBrindleDoc::kNoMemoryMessage});
    ASSERT_EQ(small.m_disks.size(), 3u);
    ASSERT_EQ(tree.DiskItemCount(), 3);
    EXPECT_EQ(tree.SelectedItem(), tree.DiskItem(1));
    EXPECT_EQ(tree.ItemInfoAt(tree.DiskItem(2))->disk, small.m_disks[2].get());
    EXPECT_TRUE(small.IsModified());
    tree.ClearTree();
    tree.SetDocument(&doc);
}

TEST_F(DiskCommandsTest, AddFromFileAppendsTheFileOrZeroesWhereItDoesNotReach) {
    WriteSourceFiles();
    ThreeDisks();
    m_answer = Path("source.dsk");
    Run(cmd::kAddFromFile);
    ASSERT_EQ(tree.DiskItemCount(), 4);
    EXPECT_EQ(Label(tree.DiskItem(3)), "Source");  // the file's own name, not renumbered
    EXPECT_EQ(tree.SelectedItem(), tree.DiskItem(3));
    ExpectShown(KindFiles, 3);
    EXPECT_TRUE(doc.IsModified());

    QFile shortFile(Path("short.dsk"));
    ASSERT_TRUE(shortFile.open(QIODevice::WriteOnly));
    shortFile.write(QByteArray(100, 'x'));
    shortFile.close();
    for (const char* name : {"short.dsk", "missing.dsk"}) {
        m_answer = Path(name);
        Run(cmd::kAddFromFile);
        const QByteArray record(reinterpret_cast<const char*>(doc.m_disks.back()->Record()),
                                CMdosDisk::kRecordSize);
        const qsizetype filled = QByteArray(name).startsWith("short") ? 100 : 0;
        EXPECT_EQ(record.left(filled), QByteArray(filled, 'x')) << name;
        EXPECT_EQ(record.mid(filled), QByteArray(CMdosDisk::kRecordSize - filled, '\0')) << name;
    }
    EXPECT_EQ(tree.DiskItemCount(), 6);
    EXPECT_EQ(tree.SelectedItem(), tree.DiskItem(5));
}

TEST_F(DiskCommandsTest, ExportsProposeTheDiskNameAndChangeNothing) {
    struct Case {
        const char* disk;
        const char* plain;
        const char* tap;
        const char* d80;
    };
    const Case cases[] = {
        {"My disk 1   ", "My_disk_1", "My_disk_1.tap", "My_disk_1.d80"},
        {" lead", " lead", " lead.tap", " lead.d80"},
        {"A234567890123456789012345678X", "A234567890123456789012345678X",
         "A234567890123456789012345678X.ta", "A234567890123456789012345678X.d8"},
        {"A2345678901234567890123456789012", "A2345678901234567890123456789012",
         "A2345678901234567890123456789012", "A2345678901234567890123456789012"},
    };
    for (const Case& c : cases) {
        doc.m_disks.push_back(MakeDisk(c.disk));
    }
    InitialUpdate();
    for (int disk = 0; disk < 4; ++disk) {
        const Case& c = cases[disk];
        tree.SelectItem(Sector(disk, 3));
        m_dialogs.clear();
        for (int id : {cmd::kExportToFile, cmd::kExportDiskTap, cmd::kExportDiskD80}) {
            Run(id);
        }
        ASSERT_EQ(m_dialogs.size(), 3u);
        EXPECT_EQ(m_dialogs[0].GetDefaultFileName(), c.plain);
        EXPECT_EQ(m_dialogs[1].GetDefaultFileName(), c.tap);
        EXPECT_EQ(m_dialogs[2].GetDefaultFileName(), c.d80);
    }

    // A confirmed export writes the disk and neither reselects nor marks the image.
    AddFile(*doc.m_disks[1], 'B', "F", {1, 2});
    tree.SelectItem(tree.DiskItem(1));
    int selections = 0;
    QObject counter;
    QObject::connect(tree.selectionModel(), &QItemSelectionModel::currentChanged, &counter,
                     [&selections] { ++selections; });
    m_answer = Path("out.dsk");
    Run(cmd::kExportToFile);
    QFile written(Path("out.dsk"));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), QByteArray(reinterpret_cast<const char*>(doc.m_disks[1]->Record()),
                                            CMdosDisk::kRecordSize));
    EXPECT_EQ(selections, 0);
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(DiskCommandsTest, ChangingCommandsWorkOnTheSelectedSectorsDiskAndShowItAgain) {
    WriteSourceFiles();
    QFile host(Path("notes.txt"));
    ASSERT_TRUE(host.open(QIODevice::WriteOnly));
    host.write("hello");
    host.close();

    struct Case {
        int id;
        const char* file;
        const char* diskName;  // in the record header afterwards
        const char* volume;    // the volume name afterwards
        std::vector<QString> files;
    };
    // Only the single-disk file brings a disk name of its own; the tree keeps the old label.
    const Case cases[] = {
        {cmd::kReplaceWithFile, "source.dsk", "Source", "VOLUME", {"NEW"}},
        {cmd::kReplaceWithTap, "source.tap", "Disk 1", "tapeimport", {"NEW"}},
        {cmd::kReplaceWithTap, "missing.tap", "Disk 1", "tapeimport", {}},
        {cmd::kImportTap, "source.tap", "Disk 1", "VOLUME", {"OLD", "NEW"}},
        {cmd::kReplaceWithD80, "source.d80", "Disk 1", "VOLUME", {"NEW"}},
        {cmd::kImportD80, "source.d80", "Disk 1", "VOLUME", {"OLD", "NEW"}},
        {cmd::kBinaryImport, "notes.txt", "Disk 1", "VOLUME", {"OLD", "notes"}},
        {cmd::kFormat, nullptr, "Disk 1", "fresh", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.id << " " << (c.file ? c.file : ""));
        doc.m_disks.clear();
        doc.SetModifiedFlag(false);
        ThreeDisks();
        // The first directory sector, which every one of these commands changes.
        tree.SelectItem(Sector(1, 6));
        shown.clear();
        m_answer = c.file ? std::optional<QString>(Path(c.file)) : std::nullopt;
        m_format = CLeftView::VolumeFormat{"fresh", 80, 9};
        Run(c.id);

        CMdosDisk& disk = *doc.m_disks[1];
        EXPECT_EQ(Text(&CMdosDisk::GetVolumeName, disk), c.volume);
        std::vector<QString> files;
        for (unsigned char* e = disk.FirstDirEntry(); e != nullptr; disk.NextDirEntry(&e)) {
            if (e[0] != CMdosDisk::kFreeEntry) {
                char name[16];
                files.push_back(
                    QString::fromLatin1(disk.GetEntryName(e, name, sizeof name)).trimmed());
            }
        }
        EXPECT_EQ(files, c.files);
        char name[40];
        EXPECT_STREQ(disk.GetDiskName(name, sizeof name), c.diskName);
        EXPECT_EQ(Label(tree.DiskItem(1)), "Disk 1");
        EXPECT_EQ(doc.m_disks[0]->GetFilesCount(), 1);
        EXPECT_EQ(doc.m_disks[2]->GetFilesCount(), 1);
        ExpectSectorShown(1, 6);
        EXPECT_TRUE(doc.IsModified());
    }
}

TEST_F(DiskCommandsTest, FileDialogsTakeTheirFiltersAndCancelChangesNothing) {
    ThreeDisks();
    tree.SelectItem(Sector(2, 7));
    const std::vector<QByteArray> before = Records();
    for (const DiskCommand& c : kFileCommands) {
        m_dialogs.clear();
        EXPECT_TRUE(Enabled(c.id));
        Run(c.id);
        ASSERT_EQ(m_dialogs.size(), c.filter != nullptr ? 1u : 0u) << c.id;
        if (c.filter != nullptr) {
            EXPECT_EQ(m_dialogs[0].IsOpenDialog(), c.openDialog) << c.id;
            EXPECT_EQ(m_dialogs[0].GetDefaultExt(), c.defaultExt) << c.id;
            EXPECT_EQ(m_dialogs[0].GetFilter(), c.filter) << c.id;
            EXPECT_EQ(m_dialogs[0].GetFlags(), 6) << c.id;
            if (c.openDialog) {
                EXPECT_EQ(m_dialogs[0].GetDefaultFileName(), "") << c.id;
            }
        }
    }
    EXPECT_EQ(m_asked, (std::vector<int>{cmd::kAddMore, cmd::kFormat}));
    EXPECT_EQ(Records(), before);
    EXPECT_EQ(tree.DiskItemCount(), 3);
    EXPECT_EQ(tree.SelectedItem(), Sector(2, 7));
    EXPECT_FALSE(doc.IsModified());
}

}  // namespace
