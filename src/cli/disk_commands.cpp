#include "cli/disk_commands.h"

#include <QFile>
#include <QFileInfo>
#include <memory>
#include <vector>

#include "cli/change.h"
#include "cli/image_access.h"
#include "disk/mdos_disk.h"
#include "disk/mdos_format.h"

namespace cli {

namespace {

const QString kImage = QStringLiteral("IMAGE");
const QString kDisk = QStringLiteral("DISK");

// More disks than this in one command is a typing slip, not a collection.
constexpr int kMaxDisks = 65535;

QCommandLineOption ValueOption(const QString& name, const QString& value,
                               const QString& description) {
    return QCommandLineOption(name, description, value);
}

QList<QCommandLineOption> GeometryOptions(const QString& defaultName) {
    return {ValueOption(QStringLiteral("tracks"), QStringLiteral("T"),
                        QStringLiteral("Tracks per side, %1 to %2 (default %3).")
                            .arg(disk::kMinTracks)
                            .arg(disk::kMaxTracks)
                            .arg(disk::kStandardTracks)),
            ValueOption(QStringLiteral("sectors"), QStringLiteral("S"),
                        QStringLiteral("Sectors per track, %1 to %2 (default %3).")
                            .arg(disk::kMinSectorsPerTrack)
                            .arg(disk::kMaxSectorsPerTrack)
                            .arg(disk::kStandardSectorsPerTrack)),
            ValueOption(
                QStringLiteral("name"), QStringLiteral("VOL"),
                QStringLiteral("Volume name, at most 10 bytes (default %1).").arg(defaultName))};
}

struct Geometry {
    int tracks = disk::kStandardTracks;
    int sectors = disk::kStandardSectorsPerTrack;
    QByteArray name;
};

bool ParseGeometry(Invocation& run, Geometry* geometry) {
    const QCommandLineParser& options = run.options;
    if (options.isSet(QStringLiteral("tracks")) &&
        !ParseNumber(QStringLiteral("--tracks"), options.value(QStringLiteral("tracks")),
                     disk::kMinTracks, disk::kMaxTracks, &geometry->tracks)) {
        return false;
    }
    if (options.isSet(QStringLiteral("sectors")) &&
        !ParseNumber(QStringLiteral("--sectors"), options.value(QStringLiteral("sectors")),
                     disk::kMinSectorsPerTrack, disk::kMaxSectorsPerTrack, &geometry->sectors)) {
        return false;
    }
    return !options.isSet(QStringLiteral("name")) ||
           NameArgument(QStringLiteral("--name"), options.value(QStringLiteral("name")),
                        CMdosDisk::kVolumeNameSize, &geometry->name);
}

}  // namespace

CreateCommand::CreateCommand()
    : Command(QStringLiteral("create"),
              QStringLiteral("Makes a new image of formatted disks, or of one zero-filled disk."),
              {kImage},
              GeometryOptions(QStringLiteral("emptydisk")) +
                  QList<QCommandLineOption>{
                      ValueOption(QStringLiteral("disks"), QStringLiteral("N"),
                                  QStringLiteral("Number of disks (default 16).")),
                      QCommandLineOption(QStringLiteral("empty"),
                                         QStringLiteral("Makes one zero-filled disk instead.")),
                      QCommandLineOption(QStringLiteral("force"),
                                         QStringLiteral("Replaces an existing file.")),
                      WaitOption()}) {}

int CreateCommand::Execute(Invocation& run) {
    const QString path = run.args.at(0);
    const bool empty = run.options.isSet(QStringLiteral("empty"));
    for (const char* option : {"disks", "tracks", "sectors", "name"}) {
        if (empty && run.options.isSet(QString::fromLatin1(option))) {
            return Fail(kExitUsage, QStringLiteral("--empty makes one unformatted disk; --%1 "
                                                   "does not go with it")
                                        .arg(QString::fromLatin1(option)));
        }
    }
    Geometry geometry;
    geometry.name = "emptydisk";
    int disks = 16;
    if (!ParseGeometry(run, &geometry) ||
        (run.options.isSet(QStringLiteral("disks")) &&
         !ParseNumber(QStringLiteral("--disks"), run.options.value(QStringLiteral("disks")), 1,
                      kMaxDisks, &disks))) {
        return kExitUsage;
    }
    if (QFileInfo::exists(path) && !run.options.isSet(QStringLiteral("force"))) {
        return Fail(kExitFailed, QStringLiteral("%1 exists; --force replaces it").arg(path));
    }
    int waitMs = 0;
    if (!LockWait(run, &waitMs)) {
        return kExitUsage;
    }
    ImageEditor editor;
    const int locked = editor.StartNew(path, waitMs);
    if (locked != kExitDone) {
        return locked;
    }
    CBrindleDoc& doc = editor.Doc();
    if (empty) {
        doc.m_disks.push_back(std::make_unique<CMdosDisk>());
    } else {
        doc.AddFormattedDisks(disks, geometry.tracks, geometry.sectors,
                              QString::fromLatin1(geometry.name));
    }
    return editor.Save(run);
}

namespace {

// Where the disks of add come from: an option naming a host file, and the document's way of
// making disks from it.
struct DiskSource {
    QCommandLineOption option;
    void (CBrindleDoc::*add)(int count, const QString& path);
};

const std::vector<DiskSource>& DiskSources() {
    static const std::vector<DiskSource> sources{
        {ValueOption(QStringLiteral("from"), QStringLiteral("DISKFILE"),
                     QStringLiteral("Copies each disk from a single-disk file.")),
         &CBrindleDoc::AddDisksFromFile},
        {ValueOption(QStringLiteral("tap"), QStringLiteral("FILE"),
                     QStringLiteral("Formats each disk as %1 and imports the TAP file.")
                         .arg(QString::fromLatin1(disk::kTapeVolumeName))),
         &CBrindleDoc::AddTapeDisks},
        {ValueOption(QStringLiteral("d80"), QStringLiteral("FILE"),
                     QStringLiteral("Fills each disk's sectors from the D80 file.")),
         &CBrindleDoc::AddD80Disks},
    };
    return sources;
}

const QCommandLineOption& CountOption() {
    static const QCommandLineOption option =
        ValueOption(QStringLiteral("count"), QStringLiteral("N"),
                    QStringLiteral("Number of disks (default 1)."));
    return option;
}

QList<QCommandLineOption> AddOptions() {
    QList<QCommandLineOption> options{CountOption()};
    for (const DiskSource& source : DiskSources()) {
        options << source.option;
    }
    return options << WaitOption();
}

}  // namespace

AddCommand::AddCommand()
    : Command(QStringLiteral("add"),
              QStringLiteral("Appends disks: formatted, copied from a single-disk file, or made "
                             "from a TAP or D80 file."),
              {kImage}, AddOptions()) {}

int AddCommand::Execute(Invocation& run) {
    int count = 1;
    if (run.options.isSet(CountOption()) &&
        !ParseNumber(QStringLiteral("--count"), run.options.value(CountOption()), 1, kMaxDisks,
                     &count)) {
        return kExitUsage;
    }
    const DiskSource* chosen = nullptr;
    for (const DiskSource& source : DiskSources()) {
        if (!run.options.isSet(source.option)) {
            continue;
        }
        if (chosen != nullptr) {
            return Fail(kExitUsage, QStringLiteral("--%1 and --%2 do not go together")
                                        .arg(chosen->option.names().constFirst(),
                                             source.option.names().constFirst()));
        }
        chosen = &source;
    }
    const QString sourceFile = chosen ? run.options.value(chosen->option) : QString();
    if (chosen && CheckReadable(sourceFile) != kExitDone) {
        return kExitFailed;
    }
    int waitMs = 0;
    if (!LockWait(run, &waitMs)) {
        return kExitUsage;
    }
    ImageEditor editor;
    const int code = editor.Open(run.args.at(0), waitMs);
    if (code != kExitDone) {
        return code;
    }
    if (chosen) {
        (editor.Doc().*(chosen->add))(count, sourceFile);
    } else {
        editor.Doc().AddStandardDisks(count);
    }
    return editor.Save(run);
}

RemoveCommand::RemoveCommand()
    : Command(QStringLiteral("remove"), QStringLiteral("Removes a disk from an image."),
              {kImage, kDisk}, {WaitOption()}) {}

int RemoveCommand::Execute(Invocation& run) {
    return ChangeDisk(run, [](ImageEditor& editor, int index) {
        editor.Doc().RemoveDisk(index);
        return kExitDone;
    });
}

FormatCommand::FormatCommand()
    : Command(QStringLiteral("format"), QStringLiteral("Writes an empty volume onto a disk."),
              {kImage, kDisk}, GeometryOptions(QStringLiteral("noname")) << WaitOption()) {}

int FormatCommand::Execute(Invocation& run) {
    Geometry geometry;
    geometry.name = "noname";
    if (!ParseGeometry(run, &geometry)) {
        return kExitUsage;
    }
    return ChangeDisk(run, [&](ImageEditor& editor, int index) {
        editor.Disk(index).Format(geometry.tracks, geometry.sectors, geometry.name.constData());
        return kExitDone;
    });
}

RenameDiskCommand::RenameDiskCommand()
    : Command(QStringLiteral("rename-disk"),
              QStringLiteral("Renames a disk (the 32-byte name in its record header)."),
              {kImage, kDisk, QStringLiteral("NAME")}, {WaitOption()}) {}

int RenameDiskCommand::Execute(Invocation& run) {
    QByteArray name;
    if (!NameArgument(QStringLiteral("NAME"), run.args.at(2), CMdosDisk::kDiskNameSize, &name)) {
        return kExitUsage;
    }
    return ChangeDisk(run, [&](ImageEditor& editor, int index) {
        editor.Disk(index).SetDiskName(name.constData());
        return kExitDone;
    });
}

RenameVolumeCommand::RenameVolumeCommand()
    : Command(QStringLiteral("rename-volume"),
              QStringLiteral("Renames the MDOS volume of a disk (10 bytes in its boot sector)."),
              {kImage, kDisk, QStringLiteral("NAME")}, {WaitOption()}) {}

int RenameVolumeCommand::Execute(Invocation& run) {
    QByteArray name;
    if (!NameArgument(QStringLiteral("NAME"), run.args.at(2), CMdosDisk::kVolumeNameSize, &name)) {
        return kExitUsage;
    }
    return ChangeDisk(run, [&](ImageEditor& editor, int index) {
        editor.Disk(index).SetVolumeName(name.constData());
        return kExitDone;
    });
}

D80ReplaceCommand::D80ReplaceCommand()
    : Command(QStringLiteral("d80-replace"),
              QStringLiteral("Replaces the sectors of a disk with a D80 raw image."),
              {kImage, kDisk, QStringLiteral("D80FILE")}, {WaitOption()}) {}

int D80ReplaceCommand::Execute(Invocation& run) {
    if (CheckReadable(run.args.at(2)) != kExitDone) {
        return kExitFailed;
    }
    return ChangeDisk(run, [&](ImageEditor& editor, int index) {
        editor.Disk(index).LoadRawImage(QFile::encodeName(run.args.at(2)).constData());
        return kExitDone;
    });
}

}  // namespace cli
