#include "cli/file_commands.h"

#include <QFile>
#include <QFileInfo>
#include <vector>

#include "cli/change.h"
#include "cli/image_access.h"
#include "cli/message_log.h"
#include "disk/mdos_disk.h"

namespace cli {

namespace {

const QString kImage = QStringLiteral("IMAGE");
const QString kDisk = QStringLiteral("DISK");

}  // namespace

PutCommand::PutCommand()
    : Command(QStringLiteral("put"),
              QStringLiteral("Imports host files as exact binary copies, named after the host "
                             "file without folder and extension."),
              {kImage, kDisk, QStringLiteral("HOSTFILE...")},
              {QCommandLineOption(QStringLiteral("as"),
                                  QStringLiteral("Names the file NAME (one HOSTFILE only)."),
                                  QStringLiteral("NAME")),
               QCommandLineOption(QStringLiteral("yes"),
                                  QStringLiteral("Answers yes when a file is as long as the free "
                                                 "space: it is cut to fit."))}) {}

int PutCommand::Execute(Invocation& run) {
    const QStringList hostFiles = run.args.mid(2);
    std::vector<QByteArray> names;
    if (run.options.isSet(QStringLiteral("as"))) {
        if (hostFiles.size() != 1) {
            return Fail(kExitUsage, QStringLiteral("--as names one HOSTFILE only"));
        }
        QByteArray name;
        if (!NameArgument(QStringLiteral("--as"), run.options.value(QStringLiteral("as")),
                          CMdosDisk::kEntryNameSize, &name)) {
            return kExitUsage;
        }
        names.push_back(name);
    } else {
        for (const QString& hostFile : hostFiles) {
            names.push_back(QFile::encodeName(QFileInfo(hostFile).completeBaseName()));
        }
    }
    for (const QString& hostFile : hostFiles) {
        if (CheckReadable(hostFile) != kExitDone) {
            return kExitFailed;
        }
    }
    run.messages.SetAnswerYes(run.options.isSet(QStringLiteral("yes")));
    return ChangeDisk(run, [&](ImageEditor& editor, int index) {
        for (qsizetype i = 0; i < hostFiles.size() && !run.messages.Failed(); ++i) {
            editor.Disk(index).ImportBinary(nullptr, names[i].constData(),
                                            QFile::encodeName(hostFiles[i]).constData());
        }
        return kExitDone;
    });
}

RmCommand::RmCommand()
    : Command(QStringLiteral("rm"), QStringLiteral("Deletes files from a disk."),
              {kImage, kDisk, QStringLiteral("FILE...")}) {}

int RmCommand::Execute(Invocation& run) {
    return ChangeDisk(run, [&](ImageEditor& editor, int index) {
        std::vector<unsigned char*> entries;
        const int code = FindFiles(editor.Disk(index), run.args.mid(2), &entries);
        for (std::size_t i = 0; code == kExitDone && i < entries.size(); ++i) {
            editor.Disk(index).RemoveFile(entries[i]);
        }
        return code;
    });
}

MvCommand::MvCommand()
    : Command(QStringLiteral("mv"), QStringLiteral("Renames a file on a disk."),
              {kImage, kDisk, QStringLiteral("FILE"), QStringLiteral("NEWNAME")}) {}

int MvCommand::Execute(Invocation& run) {
    QByteArray name;
    if (!NameArgument(QStringLiteral("NEWNAME"), run.args.at(3), CMdosDisk::kEntryNameSize,
                      &name)) {
        return kExitUsage;
    }
    return ChangeDisk(run, [&](ImageEditor& editor, int index) {
        std::vector<unsigned char*> entries;
        const int code = FindFiles(editor.Disk(index), {run.args.at(2)}, &entries);
        if (code == kExitDone) {
            editor.Disk(index).SetEntryName(entries.front(), name.constData());
        }
        return code;
    });
}

CpCommand::CpCommand()
    : Command(QStringLiteral("cp"), QStringLiteral("Copies or moves files to another disk."),
              {kImage, kDisk, QStringLiteral("FILE...")},
              {QCommandLineOption(QStringLiteral("to"),
                                  QStringLiteral("The disk to copy to (required)."),
                                  QStringLiteral("DISK")),
               QCommandLineOption(QStringLiteral("move"),
                                  QStringLiteral("Deletes each file from its disk once it is "
                                                 "copied."))}) {}

int CpCommand::Execute(Invocation& run) {
    if (!run.options.isSet(QStringLiteral("to"))) {
        return Fail(kExitUsage, QStringLiteral("cp needs --to DISK"));
    }
    const int keep = run.options.isSet(QStringLiteral("move")) ? 0 : 1;
    return ChangeDisk(run, [&](ImageEditor& editor, int index) {
        const int target = editor.FindDisk(run.options.value(QStringLiteral("to")));
        if (target < 0) {
            return static_cast<int>(kExitUsage);
        }
        std::vector<unsigned char*> entries;
        const int code = FindFiles(editor.Disk(index), run.args.mid(2), &entries);
        for (std::size_t i = 0; code == kExitDone && i < entries.size(); ++i) {
            if (editor.Disk(index).CopyFileTo(&editor.Disk(target), entries[i], keep) !=
                CMdosDisk::kAddDone) {
                break;
            }
        }
        return code;
    });
}

TapImportCommand::TapImportCommand()
    : Command(QStringLiteral("tap-import"),
              QStringLiteral("Adds the blocks of a TAP file to a disk as files."),
              {kImage, kDisk, QStringLiteral("TAPFILE")}) {}

int TapImportCommand::Execute(Invocation& run) {
    if (CheckReadable(run.args.at(2)) != kExitDone) {
        return kExitFailed;
    }
    return ChangeDisk(run, [&](ImageEditor& editor, int index) {
        editor.Disk(index).ImportTap(QFile::encodeName(run.args.at(2)).constData());
        return kExitDone;
    });
}

D80ImportCommand::D80ImportCommand()
    : Command(QStringLiteral("d80-import"),
              QStringLiteral("Adds every file of a D80 raw image to a disk."),
              {kImage, kDisk, QStringLiteral("D80FILE")}) {}

int D80ImportCommand::Execute(Invocation& run) {
    if (CheckReadable(run.args.at(2)) != kExitDone) {
        return kExitFailed;
    }
    return ChangeDisk(run, [&](ImageEditor& editor, int index) {
        editor.Disk(index).ImportD80(QFile::encodeName(run.args.at(2)).constData());
        return kExitDone;
    });
}

}  // namespace cli
