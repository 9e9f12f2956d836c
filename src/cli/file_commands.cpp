#include "cli/file_commands.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <vector>

#include "cli/byte_text.h"
#include "cli/change.h"
#include "cli/guards.h"
#include "cli/image_access.h"
#include "cli/message_log.h"
#include "cli/options.h"
#include "cli/standard_streams.h"
#include "disk/mdos_disk.h"
#include "disk/mdos_format.h"

namespace cli {

namespace {

const QCommandLineOption& AsOption() {
    static const QCommandLineOption option =
        ValueOption(QStringLiteral("as"), QStringLiteral("NAME"),
                    QStringLiteral("Names the file NAME (one HOSTFILE only)."));
    return option;
}

// --yes is the first name the option had; --cut says what it does.
const QCommandLineOption& CutOption() {
    static const QCommandLineOption option(
        QStringList{QStringLiteral("cut"), QStringLiteral("yes")},
        QStringLiteral("Cuts a file as long as the free space, or longer, to fit."));
    return option;
}

const QCommandLineOption& ToOption() {
    static const QCommandLineOption option =
        ValueOption(QStringLiteral("to"), QStringLiteral("DISK"),
                    QStringLiteral("The disk to copy to (required)."));
    return option;
}

const QCommandLineOption& MoveOption() {
    static const QCommandLineOption option(
        QStringLiteral("move"),
        QStringLiteral("Deletes each file from its disk once it is copied."));
    return option;
}

// The name a file gets on the disk, as ls compares it: cut to the entry's width, without the
// padding.
QByteArray StoredName(const QByteArray& name) {
    const QByteArray cut = name.left(CMdosDisk::kEntryNameSize);
    return TrimPadding(reinterpret_cast<const unsigned char*>(cut.constData()),
                       static_cast<int>(cut.size()));
}

// A file name that is all blanks (or nothing) can't be told from a free name: refused.
bool RefuseBlankName(const QString& what, const QByteArray& name) {
    if (StoredName(name).isEmpty()) {
        Fail(kExitUsage,
             QStringLiteral("%1 must name the file with something besides blanks").arg(what));
        return true;
    }
    return false;
}

// The name put gives a host file: its name without folder and last extension, where a name
// that starts with its only dot (".hidden") is kept whole. At most 10 bytes are kept, and a
// UTF-8 character is never cut in two.
QByteArray DefaultName(const QString& hostFile) {
    const QString fileName = QFileInfo(hostFile).fileName();
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    const QByteArray bytes = QFile::encodeName(dot > 0 ? fileName.left(dot) : fileName);
    qsizetype size = std::min<qsizetype>(bytes.size(), CMdosDisk::kEntryNameSize);
    if (size < bytes.size() && QString::fromUtf8(bytes).toUtf8() == bytes) {
        while (size > 0 && (static_cast<unsigned char>(bytes[size]) & 0xC0) == 0x80) {
            --size;
        }
    }
    return bytes.left(size);
}

// Makes room for a file of this name and type on the disk: other files that have both are
// removed with --replace, else refused (no command could tell them apart afterwards).
// kExitDone or the reported failure's code.
int ClearName(Invocation& run, CMdosDisk& disk, int diskIndex, const QByteArray& name,
              unsigned char type, const unsigned char* except = nullptr) {
    const std::vector<unsigned char*> taken = FilesNamed(disk, StoredName(name), type, except);
    if (taken.empty()) {
        return kExitDone;
    }
    if (!run.options.isSet(ReplaceOption())) {
        return Fail(kExitFailed, QStringLiteral("%1.%2 already exists on disk %3; --replace "
                                                "replaces it")
                                     .arg(BytesToText(StoredName(name)))
                                     .arg(QLatin1Char(static_cast<char>(type)))
                                     .arg(diskIndex));
    }
    for (unsigned char* entry : taken) {
        disk.RemoveFile(entry);
    }
    return kExitDone;
}

}  // namespace

PutCommand::PutCommand()
    : Command(QStringLiteral("put"),
              QStringLiteral("Imports host files as exact binary copies, named after the host "
                             "file without folder and extension."),
              {kImage, kDisk, QStringLiteral("HOSTFILE...")},
              {AsOption(), CutOption(), ReplaceOption()}) {}

int PutCommand::Execute(Invocation& run) {
    QStringList hostFiles = run.args.mid(2);
    // "-" is standard input, kept in a temporary file for the disk to read; it has no name of
    // its own to give the file.
    StandardStreamFile stream;
    const qsizetype fromInput = hostFiles.indexOf(QStringLiteral("-"));
    if (fromInput >= 0) {
        if (!run.options.isSet(AsOption())) {
            return Fail(kExitUsage, QStringLiteral("put - needs --as NAME"));
        }
        if (!stream.FillFromStandardInput(CMdosDisk::kSectorDataSize + 1)) {
            return kExitFailed;
        }
        hostFiles[fromInput] = QFile::decodeName(stream.Path());
    }
    std::vector<QByteArray> names;
    if (run.options.isSet(AsOption())) {
        if (hostFiles.size() != 1) {
            return Fail(kExitUsage, QStringLiteral("--as names one HOSTFILE only"));
        }
        QByteArray name;
        if (!NameArgument(QStringLiteral("--as"), run.options.value(AsOption()),
                          CMdosDisk::kEntryNameSize, &name) ||
            RefuseBlankName(QStringLiteral("--as"), name)) {
            return kExitUsage;
        }
        names.push_back(name);
    } else {
        for (const QString& hostFile : hostFiles) {
            names.push_back(DefaultName(hostFile));
            if (RefuseBlankName(hostFile + QStringLiteral(" (its name without extension)"),
                                names.back())) {
                return kExitUsage;
            }
        }
    }
    for (const QString& hostFile : hostFiles) {
        if (CheckReadable(hostFile) != kExitDone) {
            return kExitFailed;
        }
    }
    run.messages.SetAnswerYes(run.options.isSet(CutOption()));
    return ChangeDisk(run, [&](ImageEditor& editor, int index) {
        CMdosDisk& disk = editor.Disk(index);
        for (qsizetype i = 0; i < hostFiles.size() && !run.messages.Failed(); ++i) {
            // The type follows the length; the old file goes first, so that its room counts.
            const qint64 hostLength = QFileInfo(hostFiles[i]).size();
            const unsigned char type = CMdosDisk::BinaryTypeFor(hostLength);
            int code = ClearName(run, disk, index, names[i], type);
            if (code != kExitDone) {
                return code;
            }
            unsigned char* added = nullptr;
            disk.ImportBinary(&added, names[i].constData(),
                              QFile::encodeName(hostFiles[i]).constData());
            if (added != nullptr && disk::EntryLength(added) < hostLength) {
                PrintMessage(QStringLiteral("%1: %2 bytes cut to %3 to fit")
                                 .arg(BytesToText(StoredName(names[i])))
                                 .arg(hostLength)
                                 .arg(disk::EntryLength(added))
                                 .toStdString());
            }
            // A file cut to fit a nearly full disk may have come out as the other type.
            code = added == nullptr
                       ? static_cast<int>(kExitDone)
                       : ClearName(run, disk, index, names[i], added[CMdosDisk::kEntryType], added);
            if (code != kExitDone) {
                return code;
            }
        }
        return static_cast<int>(kExitDone);
    });
}

RmCommand::RmCommand()
    : Command(
          QStringLiteral("rm"), QStringLiteral("Deletes files from a disk."),
          {kImage, kDisk, QStringLiteral("FILE...")},
          {Described(ForceOption(), QStringLiteral("Removes a file whose chain is broken, "
                                                   "freeing only the sectors it alone owns."))}) {}

int RmCommand::Execute(Invocation& run) {
    return ChangeDisk(run, [&](ImageEditor& editor, int index) {
        CMdosDisk& disk = editor.Disk(index);
        std::vector<unsigned char*> entries;
        int code = FindFiles(disk, run.args.mid(2), &entries);
        if (code == kExitDone) {
            code = RefuseBroken(run, disk, entries, ChainUse::Free);
        }
        if (code != kExitDone) {
            return code;
        }
        // The broken chains were accepted: the delete still says where it stopped, but that is
        // what was asked for.
        run.messages.SetStopsExpected(run.options.isSet(ForceOption()));
        for (unsigned char* entry : entries) {
            disk.RemoveFile(entry);
        }
        run.messages.SetStopsExpected(false);
        return code;
    });
}

MvCommand::MvCommand()
    : Command(QStringLiteral("mv"), QStringLiteral("Renames a file on a disk."),
              {kImage, kDisk, QStringLiteral("FILE"), QStringLiteral("NEWNAME")},
              {ReplaceOption()}) {}

int MvCommand::Execute(Invocation& run) {
    QByteArray name;
    if (!NameArgument(QStringLiteral("NEWNAME"), run.args.at(3), CMdosDisk::kEntryNameSize,
                      &name) ||
        RefuseBlankName(QStringLiteral("NEWNAME"), name)) {
        return kExitUsage;
    }
    return ChangeDisk(run, [&](ImageEditor& editor, int index) {
        CMdosDisk& disk = editor.Disk(index);
        std::vector<unsigned char*> entries;
        int code = FindFiles(disk, {run.args.at(2)}, &entries);
        if (code == kExitDone) {
            unsigned char* entry = entries.front();
            code = ClearName(run, disk, index, name, entry[CMdosDisk::kEntryType], entry);
            if (code == kExitDone) {
                disk.SetEntryName(entry, name.constData());
            }
        }
        return code;
    });
}

CpCommand::CpCommand()
    : Command(QStringLiteral("cp"), QStringLiteral("Copies or moves files to another disk."),
              {kImage, kDisk, QStringLiteral("FILE...")},
              {ToOption(), MoveOption(), ReplaceOption(),
               Described(ForceOption(),
                         QStringLiteral("Copies a damaged file as far as its chain leads."))}) {
    Require(ToOption());
}

int CpCommand::Execute(Invocation& run) {
    const int keep = run.options.isSet(MoveOption()) ? 0 : 1;
    return ChangeDisk(run, [&](ImageEditor& editor, int index) {
        const int target = editor.FindDisk(run.options.value(ToOption()));
        if (target < 0) {
            return static_cast<int>(kExitUsage);
        }
        if (target == index) {
            return Fail(kExitUsage, QStringLiteral("the files are on disk %1 already").arg(index));
        }
        CMdosDisk& source = editor.Disk(index);
        std::vector<unsigned char*> entries;
        int code = FindFiles(source, run.args.mid(2), &entries);
        if (code == kExitDone) {
            code = RefuseBroken(run, source, entries, ChainUse::Read);
        }
        for (std::size_t i = 0; code == kExitDone && i < entries.size(); ++i) {
            code = ClearName(run, editor.Disk(target), target, EntryName(entries[i]),
                             entries[i][CMdosDisk::kEntryType]);
            if (code == kExitDone &&
                source.CopyFileTo(&editor.Disk(target), entries[i], keep) != CMdosDisk::kAddDone) {
                // The disk's own message says what was lacking; this one says for which file.
                PrintMessage(QStringLiteral("%1 was not copied to disk %2")
                                 .arg(BytesToText(EntryName(entries[i])))
                                 .arg(target)
                                 .toStdString());
                break;
            }
        }
        return code;
    });
}

DiskFileCommand::DiskFileCommand(const QString& name, const QString& description,
                                 const QString& argument, void (CMdosDisk::*apply)(const char*))
    : Command(name, description, {kImage, kDisk, argument}), m_apply(apply) {}

std::unique_ptr<Command> DiskFileCommand::TapImport() {
    return std::make_unique<DiskFileCommand>(
        QStringLiteral("tap-import"),
        QStringLiteral("Adds the blocks of a TAP file to a disk as files."),
        QStringLiteral("TAPFILE"), &CMdosDisk::ImportTap);
}

std::unique_ptr<Command> DiskFileCommand::D80Import() {
    return std::make_unique<DiskFileCommand>(
        QStringLiteral("d80-import"),
        QStringLiteral("Adds every file of a D80 raw image to a disk."), QStringLiteral("D80FILE"),
        &CMdosDisk::ImportD80);
}

std::unique_ptr<Command> DiskFileCommand::D80Replace() {
    return std::make_unique<DiskFileCommand>(
        QStringLiteral("d80-replace"),
        QStringLiteral("Replaces the sectors of a disk with a D80 raw image."),
        QStringLiteral("D80FILE"), &CMdosDisk::LoadRawImage);
}

int DiskFileCommand::Execute(Invocation& run) {
    if (CheckReadable(run.args.at(2)) != kExitDone) {
        return kExitFailed;
    }
    return ChangeDisk(run, [&](ImageEditor& editor, int index) {
        (editor.Disk(index).*m_apply)(QFile::encodeName(run.args.at(2)).constData());
        return kExitDone;
    });
}

}  // namespace cli
