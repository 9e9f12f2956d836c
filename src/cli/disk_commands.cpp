#include "cli/disk_commands.h"

#include <QFile>
#include <QFileInfo>
#include <functional>
#include <memory>
#include <vector>

#include "cli/change.h"
#include "cli/image_access.h"
#include "cli/options.h"
#include "cli/tape_commands.h"
#include "disk/mdos_disk.h"
#include "disk/mdos_format.h"

namespace cli {

namespace {

// More disks than this in one command is a typing slip, not a collection.
constexpr int kMaxDisks = 65535;
constexpr int kDefaultCreatedDisks = 16;
constexpr char kCreatedVolumeName[] = "emptydisk";
constexpr char kFormattedVolumeName[] = "noname";

const QCommandLineOption& TracksOption() {
    static const QCommandLineOption option =
        ValueOption(QStringLiteral("tracks"), QStringLiteral("T"),
                    QStringLiteral("Tracks per side, %1 to %2 (default %3).")
                        .arg(disk::kMinTracks)
                        .arg(disk::kMaxTracks)
                        .arg(disk::kStandardTracks));
    return option;
}

const QCommandLineOption& SectorsOption() {
    static const QCommandLineOption option =
        ValueOption(QStringLiteral("sectors"), QStringLiteral("S"),
                    QStringLiteral("Sectors per track, %1 to %2 (default %3).")
                        .arg(disk::kMinSectorsPerTrack)
                        .arg(disk::kMaxSectorsPerTrack)
                        .arg(disk::kStandardSectorsPerTrack));
    return option;
}

const QCommandLineOption& VolumeNameOption() {
    static const QCommandLineOption option = ValueOption(
        QStringLiteral("name"), QStringLiteral("VOL"),
        QStringLiteral("Volume name, at most %1 bytes.").arg(CMdosDisk::kVolumeNameSize));
    return option;
}

const QCommandLineOption& DisksOption() {
    static const QCommandLineOption option =
        ValueOption(QStringLiteral("disks"), QStringLiteral("N"),
                    QStringLiteral("Number of disks (default %1).").arg(kDefaultCreatedDisks));
    return option;
}

const QCommandLineOption& EmptyOption() {
    static const QCommandLineOption option(QStringLiteral("empty"),
                                           QStringLiteral("Makes one zero-filled disk instead."));
    return option;
}

QList<QCommandLineOption> GeometryOptions(const char* defaultName) {
    return {
        TracksOption(), SectorsOption(),
        Described(VolumeNameOption(), QStringLiteral("Volume name, at most %1 bytes (default %2).")
                                          .arg(CMdosDisk::kVolumeNameSize)
                                          .arg(QString::fromLatin1(defaultName)))};
}

struct Geometry {
    int tracks = disk::kStandardTracks;
    int sectors = disk::kStandardSectorsPerTrack;
    QByteArray name;
};

bool ParseGeometry(Invocation& run, Geometry* geometry) {
    const QCommandLineParser& options = run.options;
    if (options.isSet(TracksOption()) &&
        !ParseNumber(QStringLiteral("--tracks"), options.value(TracksOption()), disk::kMinTracks,
                     disk::kMaxTracks, &geometry->tracks)) {
        return false;
    }
    if (options.isSet(SectorsOption()) &&
        !ParseNumber(QStringLiteral("--sectors"), options.value(SectorsOption()),
                     disk::kMinSectorsPerTrack, disk::kMaxSectorsPerTrack, &geometry->sectors)) {
        return false;
    }
    if (!disk::GeometryFitsRecord(geometry->tracks, geometry->sectors)) {
        Fail(kExitUsage,
             QStringLiteral("%1 tracks of %2 sectors are %3 sectors, more than the %4 "
                            "a disk holds; with %2 sectors a track, at most %5 tracks")
                 .arg(geometry->tracks)
                 .arg(geometry->sectors)
                 .arg(disk::GeometrySectors(geometry->tracks, geometry->sectors))
                 .arg(CMdosDisk::kSectorCount)
                 .arg(CMdosDisk::kSectorCount / disk::GeometrySectors(1, geometry->sectors)));
        return false;
    }
    return !options.isSet(VolumeNameOption()) ||
           NameArgument(QStringLiteral("--name"), options.value(VolumeNameOption()),
                        CMdosDisk::kVolumeNameSize, &geometry->name);
}

}  // namespace

CreateCommand::CreateCommand()
    : Command(QStringLiteral("create"),
              QStringLiteral("Makes a new image of formatted disks, or of one zero-filled disk."),
              {kImage},
              GeometryOptions(kCreatedVolumeName)
                  << DisksOption() << EmptyOption()
                  << Described(ForceOption(), QStringLiteral("Replaces an existing file."))) {}

int CreateCommand::Execute(Invocation& run) {
    const QString path = run.args.at(0);
    const bool empty = run.options.isSet(EmptyOption());
    for (const QCommandLineOption* option :
         {&DisksOption(), &TracksOption(), &SectorsOption(), &VolumeNameOption()}) {
        if (empty && run.options.isSet(*option)) {
            return Fail(kExitUsage, QStringLiteral("--empty makes one unformatted disk; --%1 "
                                                   "does not go with it")
                                        .arg(option->names().constFirst()));
        }
    }
    Geometry geometry;
    geometry.name = kCreatedVolumeName;
    int disks = kDefaultCreatedDisks;
    if (!ParseGeometry(run, &geometry) ||
        (run.options.isSet(DisksOption()) &&
         !ParseNumber(QStringLiteral("--disks"), run.options.value(DisksOption()), 1, kMaxDisks,
                      &disks))) {
        return kExitUsage;
    }
    if (QFileInfo::exists(path) && !run.options.isSet(ForceOption())) {
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
    // False after reporting a source that can't be read; the document is then unchanged.
    std::function<bool(CBrindleDoc& doc, int count, const QString& path)> add;
};

// A document operation that reads its host file as it goes, for DiskSource::add.
template <void (CBrindleDoc::*add)(int, const QString&)>
bool AddFrom(CBrindleDoc& doc, int count, const QString& path) {
    (doc.*add)(count, path);
    return true;
}

const std::vector<DiskSource>& DiskSources() {
    static const std::vector<DiskSource> sources{
        {ValueOption(QStringLiteral("from"), QStringLiteral("DISKFILE"),
                     QStringLiteral("Copies each disk from a single-disk file.")),
         AddFrom<&CBrindleDoc::AddDisksFromFile>},
        {ValueOption(QStringLiteral("tap"), QStringLiteral("FILE"),
                     QStringLiteral("Formats each disk as %1 and imports the TAP file.")
                         .arg(QString::fromLatin1(disk::kTapeVolumeName))),
         AddFrom<static_cast<void (CBrindleDoc::*)(int, const QString&)>(
             &CBrindleDoc::AddTapeDisks)>},
        {ValueOption(QStringLiteral("tape"), QStringLiteral("FILE"),
                     QStringLiteral("Formats each disk as %1 and imports a tape of any format "
                                    "(TAP, TZX, PZX, CSW, WAV, zipped or not).")
                         .arg(QString::fromLatin1(disk::kTapeVolumeName))),
         AddTapeDisks},
        {ValueOption(QStringLiteral("d80"), QStringLiteral("FILE"),
                     QStringLiteral("Fills each disk's sectors from the D80 file.")),
         AddFrom<&CBrindleDoc::AddD80Disks>},
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
    return options;
}

}  // namespace

AddCommand::AddCommand()
    : Command(QStringLiteral("add"),
              QStringLiteral("Appends disks: formatted, copied from a single-disk file, or made "
                             "from a tape or a D80 file."),
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
        if (!chosen->add(editor.Doc(), count, sourceFile)) {
            return kExitFailed;
        }
    } else {
        editor.Doc().AddStandardDisks(count);
    }
    return editor.Save(run);
}

RemoveCommand::RemoveCommand()
    : Command(QStringLiteral("remove"), QStringLiteral("Removes a disk from an image."),
              {kImage, kDisk}) {}

int RemoveCommand::Execute(Invocation& run) {
    return ChangeDisk(run, [](ImageEditor& editor, int index) {
        editor.Doc().RemoveDisk(index);
        return kExitDone;
    });
}

FormatCommand::FormatCommand()
    : Command(QStringLiteral("format"), QStringLiteral("Writes an empty volume onto a disk."),
              {kImage, kDisk}, GeometryOptions(kFormattedVolumeName)) {}

int FormatCommand::Execute(Invocation& run) {
    Geometry geometry;
    geometry.name = kFormattedVolumeName;
    if (!ParseGeometry(run, &geometry)) {
        return kExitUsage;
    }
    return ChangeDisk(run, [&](ImageEditor& editor, int index) {
        editor.Disk(index).Format(geometry.tracks, geometry.sectors, geometry.name.constData());
        return kExitDone;
    });
}

RenameCommand::RenameCommand(const QString& name, const QString& description, int maxBytes,
                             void (CMdosDisk::*setter)(const char*))
    : Command(name, description, {kImage, kDisk, QStringLiteral("NAME")}),
      m_maxBytes(maxBytes),
      m_setter(setter) {}

std::unique_ptr<Command> RenameCommand::Disk() {
    return std::make_unique<RenameCommand>(
        QStringLiteral("rename-disk"),
        QStringLiteral("Renames a disk (the 32-byte name in its record header)."),
        CMdosDisk::kDiskNameSize, &CMdosDisk::SetDiskName);
}

std::unique_ptr<Command> RenameCommand::Volume() {
    return std::make_unique<RenameCommand>(
        QStringLiteral("rename-volume"),
        QStringLiteral("Renames the MDOS volume of a disk (10 bytes in its boot sector)."),
        CMdosDisk::kVolumeNameSize, &CMdosDisk::SetVolumeName);
}

int RenameCommand::Execute(Invocation& run) {
    QByteArray name;
    if (!NameArgument(QStringLiteral("NAME"), run.args.at(2), m_maxBytes, &name)) {
        return kExitUsage;
    }
    return ChangeDisk(run, [&](ImageEditor& editor, int index) {
        (editor.Disk(index).*m_setter)(name.constData());
        return kExitDone;
    });
}

}  // namespace cli
