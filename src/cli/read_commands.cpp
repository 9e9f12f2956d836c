#include "cli/read_commands.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QSet>
#include <memory>
#include <vector>

#include "cli/byte_text.h"
#include "cli/guards.h"
#include "cli/image_access.h"
#include "cli/message_log.h"
#include "cli/options.h"
#include "cli/output.h"
#include "cli/standard_streams.h"
#include "disk/le_bytes.h"
#include "disk/mdos_disk.h"
#include "disk/mdos_format.h"

namespace cli {

namespace {

QString Geometry(CMdosDisk& disk) {
    char text[32];
    return QString::fromLatin1(disk.GetGeometryText(text, sizeof text));
}

QString Attributes(CMdosDisk& disk, unsigned char* entry) {
    char text[16];
    return QString::fromLatin1(disk.GetEntryAttributesText(entry, text, sizeof text));
}

QByteArray Field(const CMdosDisk& disk, int offset, int size) {
    return QByteArray(reinterpret_cast<const char*>(disk.Record()) + offset, size);
}

// The host file a file is exported to by default: its name up to 10 characters, blanks after
// the first character turned into "_". The name comes from the disk, so it is made safe for
// a path: "/" becomes "_", and a name that would be empty or a folder reference gets a "_"
// in front.
QByteArray HostName(CMdosDisk& disk, unsigned char* entry) {
    char buf[CMdosDisk::kEntryNameSize + 1];
    disk.GetEntryName(entry, buf, sizeof buf);
    CMdosDisk::ReplaceChar(buf, sizeof buf, ' ', '_');
    QByteArray name(buf);
    name.replace('/', '_');
    if (name.isEmpty() || name == "." || name == "..") {
        name.prepend('_');
    }
    return name;
}

// Whether an export worked: every way a host file fails to be written shows a message.
int Written(const Invocation& run) {
    return run.messages.Failed() ? kExitFailed : kExitDone;
}

// IMAGE and DISK, the first two arguments of most commands, read: the disk (as much of its
// record as the command needs) and its index, or the reported failure's code.
struct LoadedDisk {
    std::unique_ptr<CMdosDisk> disk = std::make_unique<CMdosDisk>();
    std::int64_t index = 0;
    int code = kExitDone;
};

LoadedDisk LoadDisk(Invocation& run, int size = CMdosDisk::kRecordSize) {
    LoadedDisk loaded;
    ImageReader reader;
    loaded.code = reader.Open(run);
    if (loaded.code == kExitDone) {
        loaded.code = reader.Load(run.args.at(1), *loaded.disk, &loaded.index, size);
    }
    return loaded;
}

// The disk with the files named from argument `first` on; naming none finds none.
LoadedDisk LoadNamedFiles(Invocation& run, qsizetype first, std::vector<unsigned char*>* files) {
    LoadedDisk loaded = LoadDisk(run);
    const QStringList names = run.args.mid(first);
    if (loaded.code == kExitDone && !names.isEmpty()) {
        loaded.code = FindFiles(*loaded.disk, names, files);
    }
    return loaded;
}

QCommandLineOption ExportForceOption() {
    return Described(ForceOption(), QStringLiteral("Replaces an existing host file, and exports a "
                                                   "damaged file as far as its chain leads."));
}

const QCommandLineOption& HexOption() {
    static const QCommandLineOption option(
        QStringLiteral("hex"), QStringLiteral("Shows offsets and bytes in hexadecimal."));
    return option;
}

const QCommandLineOption& OutputFolderOption() {
    static const QCommandLineOption option(
        {QStringLiteral("o"), QStringLiteral("output")},
        QStringLiteral("Writes the files into DIR (default: the current folder)."),
        QStringLiteral("DIR"));
    return option;
}

std::vector<unsigned char*> AllFiles(CMdosDisk& disk) {
    std::vector<unsigned char*> entries;
    for (const DiskFile& file : ListFiles(disk)) {
        entries.push_back(file.entry);
    }
    return entries;
}

// Before an export writes to path: the output may be written and the files hold their bytes.
int CheckExport(Invocation& run, CMdosDisk& disk, const std::vector<unsigned char*>& entries,
                const QByteArray& path) {
    const int code = CheckOutput(run, path);
    return code != kExitDone ? code : RefuseBroken(run, disk, entries, ChainUse::Read);
}

// A D80 export stops at the first file that doesn't fit, after the disk's own message; the
// image it wrote holds the files before it, which tells which one it was.
void NameFileLeftOut(const QByteArray& path, const std::vector<unsigned char*>& files) {
    auto written = std::make_unique<CMdosDisk>();
    written->LoadRawImage(path.constData());
    const std::size_t kept = ListFiles(*written).size();
    if (kept < files.size()) {
        PrintMessage(QStringLiteral("%1 did not fit in the D80 image; the files before it did")
                         .arg(BytesToText(EntryName(files[kept])))
                         .toStdString());
    }
}

// The tape and raw-image exports of all files or of the named ones.
int ExportFiles(Invocation& run, void (CMdosDisk::*exporter)(const char*, unsigned char**)) {
    std::vector<unsigned char*> list;
    const LoadedDisk loaded = LoadNamedFiles(run, 3, &list);
    if (loaded.code != kExitDone) {
        return loaded.code;
    }
    CMdosDisk* disk = loaded.disk.get();
    const bool named = !list.empty();
    const std::vector<unsigned char*> files = named ? list : AllFiles(*disk);
    const bool toStandardOutput = IsStandardStream(run.args.at(2));
    StandardStreamFile stream;
    const QByteArray path = toStandardOutput ? stream.Path() : QFile::encodeName(run.args.at(2));
    const int code = toStandardOutput ? RefuseBroken(run, *disk, files, ChainUse::Read)
                                      : CheckExport(run, *disk, files, path);
    if (code != kExitDone) {
        return code;
    }
    list.push_back(nullptr);
    ((*disk).*exporter)(path.constData(), named ? list.data() : nullptr);
    if (exporter == &CMdosDisk::ExportD80 && run.messages.Failed()) {
        NameFileLeftOut(path, files);
    }
    if (toStandardOutput) {
        stream.SendToStandardOutput();
    }
    return Written(run);
}

// Writes each file's bytes to standard output, one after the other.
int WriteFiles(Invocation& run, CMdosDisk& disk, const std::vector<unsigned char*>& entries) {
    const int code = RefuseBroken(run, disk, entries, ChainUse::Read);
    if (code != kExitDone) {
        return code;
    }
    for (unsigned char* entry : entries) {
        QByteArray data(disk::EntryLength(entry), '\0');
        disk.ReadFileData(entry, reinterpret_cast<unsigned char*>(data.data()),
                          static_cast<int>(data.size()));
        WriteToStandardOutput(data.constData(), data.size());
    }
    return kExitDone;
}

}  // namespace

InfoCommand::InfoCommand()
    : Command(QStringLiteral("info"), QStringLiteral("Lists the disks of an image."), {kImage},
              {JsonOption()}) {}

int InfoCommand::Execute(Invocation& run) {
    ImageReader reader;
    const int code = reader.Open(run);
    if (code != kExitDone) {
        return code;
    }
    const bool json = run.options.isSet(JsonOption());
    QJsonArray disks;
    auto disk = std::make_unique<CMdosDisk>();
    for (std::int64_t i = 0; i < reader.Count(); ++i) {
        const int read = reader.Read(i, *disk, disk::kVolumeHeadSize);
        if (read != kExitDone) {
            return read;
        }
        unsigned char* boot = disk->GetSector(CMdosDisk::kBootSector);
        if (json) {
            QJsonObject item = DiskJson(i, *disk);
            item.insert(QStringLiteral("volume"), BytesToJson(VolumeName(*disk)));
            item.insert(QStringLiteral("tracks"), boot[CMdosDisk::kBootTracks]);
            item.insert(QStringLiteral("sectors_per_track"), boot[CMdosDisk::kBootSectorsPerTrack]);
            item.insert(QStringLiteral("files"), disk->GetFilesCount());
            item.insert(QStringLiteral("free_entries"), disk->GetFreeFiles());
            item.insert(QStringLiteral("free_bytes"), disk->GetFreeSpace());
            disks.append(item);
        } else {
            run.out << i << '\t' << BytesToText(DiskLabel(disk->Record())) << '\t'
                    << BytesToText(VolumeName(*disk)) << '\t' << Geometry(*disk) << '\t'
                    << disk->GetFilesCount() << '\t' << disk->GetFreeFiles() << '\t'
                    << disk->GetFreeSpace() << '\n';
        }
    }
    if (json) {
        WriteJson(run.out,
                  {{QStringLiteral("image"), run.args.at(0)}, {QStringLiteral("disks"), disks}});
    }
    return kExitDone;
}

LsCommand::LsCommand()
    : Command(QStringLiteral("ls"), QStringLiteral("Lists the files of a disk."), {kImage, kDisk},
              {JsonOption()}) {}

int LsCommand::Execute(Invocation& run) {
    const LoadedDisk loaded = LoadDisk(run, disk::kVolumeHeadSize);
    if (loaded.code != kExitDone) {
        return loaded.code;
    }
    CMdosDisk* disk = loaded.disk.get();
    const std::int64_t index = loaded.index;
    const bool json = run.options.isSet(JsonOption());
    QJsonArray files;
    for (const DiskFile& file : ListFiles(*disk)) {
        const unsigned char* entry = file.entry;
        const QByteArray type(1, static_cast<char>(entry[CMdosDisk::kEntryType]));
        const unsigned start = disk::ReadLe16(entry + CMdosDisk::kEntryStart);
        const unsigned basic = disk::ReadLe16(entry + CMdosDisk::kEntryBasic);
        const unsigned first = disk::ReadLe16(entry + CMdosDisk::kEntryFirstSector);
        if (json) {
            files.append(QJsonObject{
                {QStringLiteral("slot"), file.slot},
                {QStringLiteral("file"), BytesToJson(file.label)},
                {QStringLiteral("name"), BytesToJson(file.name)},
                {QStringLiteral("type"), BytesToJson(type)},
                {QStringLiteral("start"), static_cast<int>(start)},
                {QStringLiteral("length"), disk::EntryLength(entry)},
                {QStringLiteral("basic"), static_cast<int>(basic)},
                {QStringLiteral("attributes"), Attributes(*disk, file.entry)},
                {QStringLiteral("first_sector"), static_cast<int>(first)},
            });
        } else {
            run.out << BytesToText(file.label) << '\t' << BytesToText(type) << '\t' << start << '\t'
                    << disk::EntryLength(entry) << '\t' << basic << '\t'
                    << Attributes(*disk, file.entry) << '\t' << first << '\n';
        }
    }
    if (json) {
        WriteJson(run.out, {{QStringLiteral("image"), run.args.at(0)},
                            {QStringLiteral("disk"), DiskJson(index, *disk)},
                            {QStringLiteral("files"), files}});
    }
    return kExitDone;
}

HeaderCommand::HeaderCommand()
    : Command(QStringLiteral("header"), QStringLiteral("Shows the record header of a disk."),
              {kImage, kDisk}, {JsonOption()}) {}

int HeaderCommand::Execute(Invocation& run) {
    const LoadedDisk loaded = LoadDisk(run, CMdosDisk::kHeaderSize);
    if (loaded.code != kExitDone) {
        return loaded.code;
    }
    CMdosDisk* disk = loaded.disk.get();
    const std::int64_t index = loaded.index;
    const QByteArray mark = Field(*disk, CMdosDisk::kSystemMarkOffset, CMdosDisk::kSystemMarkSize);
    const QByteArray name =
        TrimPadding(disk->Record() + CMdosDisk::kDiskNameOffset, CMdosDisk::kDiskNameSize);
    const QByteArray protect =
        Field(*disk, CMdosDisk::kWriteProtectOffset, CMdosDisk::kWriteProtectSize);
    const QByteArray comment =
        TrimPadding(disk->Record() + CMdosDisk::kCommentOffset, CMdosDisk::kCommentSize);
    if (run.options.isSet(JsonOption())) {
        WriteJson(run.out, {{QStringLiteral("image"), run.args.at(0)},
                            {QStringLiteral("disk"), DiskJson(index, *disk)},
                            {QStringLiteral("system_mark"), BytesToJson(mark)},
                            {QStringLiteral("disk_name"), BytesToJson(name)},
                            {QStringLiteral("write_protect"), BytesToJson(protect)},
                            {QStringLiteral("comment"), BytesToJson(comment)}});
        return kExitDone;
    }
    run.out << "System mark\t" << BytesToText(mark) << "\nDisk name\t" << BytesToText(name)
            << "\nWrite protect\t" << BytesToText(protect) << "\nComment\t" << BytesToText(comment)
            << '\n';
    return kExitDone;
}

DumpCommand::DumpCommand()
    : Command(QStringLiteral("dump"),
              QStringLiteral("Shows one sector of a disk, 8 bytes a row, in decimal."),
              {kImage, kDisk, QStringLiteral("SECTOR")}, {JsonOption(), HexOption()}) {}

int DumpCommand::Execute(Invocation& run) {
    int sector = 0;
    if (!ParseNumber(QStringLiteral("SECTOR"), run.args.at(2), 0, CMdosDisk::kSectorCount - 1,
                     &sector)) {
        return kExitUsage;
    }
    const LoadedDisk loaded = LoadDisk(run);
    if (loaded.code != kExitDone) {
        return loaded.code;
    }
    CMdosDisk* disk = loaded.disk.get();
    const std::int64_t index = loaded.index;
    const unsigned char* bytes = disk->GetSector(sector);
    if (run.options.isSet(JsonOption())) {
        QJsonArray values;
        for (int i = 0; i < CMdosDisk::kSectorSize; ++i) {
            values.append(bytes[i]);
        }
        WriteJson(run.out, {{QStringLiteral("image"), run.args.at(0)},
                            {QStringLiteral("disk"), DiskJson(index, *disk)},
                            {QStringLiteral("sector"), sector},
                            {QStringLiteral("bytes"), values}});
        return kExitDone;
    }
    const bool hex = run.options.isSet(HexOption());
    const int base = hex ? 16 : 10;
    for (int row = 0; row < CMdosDisk::kSectorSize; row += 8) {
        run.out << QString::number(row, base).toUpper().rightJustified(3, QLatin1Char('0')) << ' ';
        QString ascii;
        for (int k = 0; k < 8; ++k) {
            const unsigned char byte = bytes[row + k];
            run.out << ' '
                    << QString::number(byte, base)
                           .toUpper()
                           .rightJustified(hex ? 2 : 3, QLatin1Char('0'));
            // Control bytes (DEL too) and bytes above ASCII would upset the terminal.
            ascii += byte >= 0x20 && byte < 0x7F ? QLatin1Char(static_cast<char>(byte))
                                                 : QLatin1Char('.');
        }
        run.out << "  " << ascii << '\n';
    }
    return kExitDone;
}

GetCommand::GetCommand()
    : Command(QStringLiteral("get"),
              QStringLiteral("Exports files as exact binary copies into host files named after "
                             "them."),
              {kImage, kDisk, QStringLiteral("[FILE...]")},
              {OutputFolderOption(), ExportForceOption()}) {}

int GetCommand::Execute(Invocation& run) {
    std::vector<unsigned char*> entries;
    const LoadedDisk loaded = LoadNamedFiles(run, 2, &entries);
    if (loaded.code != kExitDone) {
        return loaded.code;
    }
    CMdosDisk* disk = loaded.disk.get();
    if (run.args.size() == 2) {
        entries = AllFiles(*disk);
    }
    int code = kExitDone;
    const QString dir = run.options.isSet(OutputFolderOption())
                            ? run.options.value(OutputFolderOption())
                            : QStringLiteral(".");
    if (IsStandardStream(dir)) {
        if (entries.size() != 1) {
            return Fail(kExitUsage,
                        QStringLiteral("-o - writes one file; %1 were named").arg(entries.size()));
        }
        return WriteFiles(run, *disk, entries);
    }
    if (!QFileInfo(dir).isDir()) {
        return Fail(kExitFailed, QStringLiteral("%1 is not a folder").arg(dir));
    }
    // Two files with one host name would silently leave only the second.
    std::vector<QByteArray> paths;
    QSet<QByteArray> taken;
    for (unsigned char* entry : entries) {
        const QByteArray path = QFile::encodeName(QDir(dir).path()) + '/' + HostName(*disk, entry);
        if (taken.contains(path)) {
            return Fail(
                kExitFailed,
                QStringLiteral("two files would be written to %1").arg(QFile::decodeName(path)));
        }
        taken.insert(path);
        paths.push_back(path);
        code = CheckOutput(run, path);
        if (code != kExitDone) {
            return code;
        }
    }
    code = RefuseBroken(run, *disk, entries, ChainUse::Read);
    if (code != kExitDone) {
        return code;
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        disk->ExportBinary(entries[i], paths[i].constData());
        if (Written(run) != kExitDone) {
            return kExitFailed;
        }
    }
    return kExitDone;
}

CatCommand::CatCommand()
    : Command(QStringLiteral("cat"),
              QStringLiteral("Writes the bytes of files to standard output, one after the other."),
              {kImage, kDisk, QStringLiteral("FILE...")}, {ExportForceOption()}) {}

int CatCommand::Execute(Invocation& run) {
    std::vector<unsigned char*> entries;
    const LoadedDisk loaded = LoadNamedFiles(run, 2, &entries);
    return loaded.code != kExitDone ? loaded.code : WriteFiles(run, *loaded.disk, entries);
}

ExtractCommand::ExtractCommand()
    : Command(QStringLiteral("extract"),
              QStringLiteral("Writes a disk to a single-disk file, or all its files to a .tap or "
                             ".d80 file by the extension of OUT."),
              {kImage, kDisk, QStringLiteral("OUT")}, {ExportForceOption()}) {}

int ExtractCommand::Execute(Invocation& run) {
    const LoadedDisk loaded = LoadDisk(run);
    if (loaded.code != kExitDone) {
        return loaded.code;
    }
    CMdosDisk* disk = loaded.disk.get();
    const QString out = run.args.at(2);
    if (IsStandardStream(out)) {
        // The disk's whole record, as a single-disk file holds it.
        WriteToStandardOutput(reinterpret_cast<const char*>(disk->Record()),
                              CMdosDisk::kRecordSize);
        return kExitDone;
    }
    const QByteArray path = QFile::encodeName(out);
    const QString suffix = QFileInfo(out).suffix().toLower();
    const bool files = suffix == QLatin1String("tap") || suffix == QLatin1String("d80");
    const int allowed =
        files ? CheckExport(run, *disk, AllFiles(*disk), path) : CheckOutput(run, path);
    if (allowed != kExitDone) {
        return allowed;
    }
    if (suffix == QLatin1String("tap")) {
        disk->ExportTap(path.constData(), nullptr);
        return Written(run);
    }
    if (suffix == QLatin1String("d80")) {
        disk->ExportD80(path.constData(), nullptr);
        return Written(run);
    }
    disk->SaveRecord(path.constData());
    return Written(run);
}

ExportCommand::ExportCommand(const QString& name, const QString& description,
                             const QString& argument,
                             void (CMdosDisk::*exporter)(const char*, unsigned char**))
    : Command(name, description, {kImage, kDisk, argument, QStringLiteral("[FILE...]")},
              {ExportForceOption()}),
      m_exporter(exporter) {}

std::unique_ptr<Command> ExportCommand::Tap() {
    return std::make_unique<ExportCommand>(
        QStringLiteral("tap-export"),
        QStringLiteral("Writes all files of a disk, or the named ones, to a TAP file."),
        QStringLiteral("TAPFILE"), &CMdosDisk::ExportTap);
}

std::unique_ptr<Command> ExportCommand::D80() {
    return std::make_unique<ExportCommand>(
        QStringLiteral("d80-export"),
        QStringLiteral("Writes all files of a disk, or the named ones, to a new 80x9 D80 image."),
        QStringLiteral("D80FILE"), &CMdosDisk::ExportD80);
}

int ExportCommand::Execute(Invocation& run) {
    return ExportFiles(run, m_exporter);
}

}  // namespace cli
