#include "cli/tape_commands.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <vector>

#include "cli/byte_text.h"
#include "cli/change.h"
#include "cli/image_access.h"
#include "cli/message_log.h"
#include "cli/options.h"
#include "cli/output.h"
#include "disk/le_bytes.h"
#include "disk/tap_blocks.h"
#include "platform/message_box.h"
#include "tape/tape_import.h"

namespace cli {

namespace {

using tape::BlockPlan;

const QString kTape = QStringLiteral("TAPE");

// Reads a tape named on the command line; reports and returns false when it can't be read.
bool ReadTapeArgument(const QString& path, tape::Tape* tape) {
    std::string error;
    if (!tape::ReadTape(QFile::encodeName(path).toStdString(), tape, &error)) {
        Fail(kExitFailed, QString::fromLocal8Bit(error));
        return false;
    }
    return true;
}

QString HexByte(unsigned value) {
    return QStringLiteral("0x%1").arg(value, 2, 16, QLatin1Char('0'));
}

// Where a block's bytes come from: stored as bytes, read out of pulses, or none at all.
QString Source(const tape::Block& block) {
    if (block.bytes.empty()) {
        return QStringLiteral("none");
    }
    return block.fromPulses ? QStringLiteral("pulses") : QStringLiteral("bytes");
}

QString Checksum(const tape::Block& block) {
    return block.checksumSound ? QStringLiteral("good") : QStringLiteral("bad");
}

QString UseName(BlockPlan::Use use) {
    switch (use) {
        case BlockPlan::Use::File:
            return QStringLiteral("file");
        case BlockPlan::Use::Header:
            return QStringLiteral("header");
        case BlockPlan::Use::Headless:
            return QStringLiteral("headless");
        case BlockPlan::Use::Skipped:
            break;
    }
    return QStringLiteral("skipped");
}

QString TapeTypeName(unsigned type) {
    static const char* const kNames[] = {"program", "number array", "character array", "bytes"};
    return type < std::size(kNames) ? QString::fromLatin1(kNames[type])
                                    : QStringLiteral("type %1").arg(type);
}

struct HeaderFields {
    unsigned type;
    QByteArray name;
    unsigned length;
    unsigned parameter1;
    unsigned parameter2;
};

HeaderFields ReadHeader(const std::vector<unsigned char>& bytes) {
    const unsigned char* block = bytes.data();
    return {block[disk::kTapHeaderType],
            TrimPadding(block + disk::kTapHeaderName, disk::kTapHeaderNameSize),
            disk::ReadLe16(block + disk::kTapHeaderLength),
            disk::ReadLe16(block + disk::kTapHeaderParam1),
            disk::ReadLe16(block + disk::kTapHeaderParam2)};
}

QJsonObject BlockJson(std::size_t index, const tape::Block& block, const BlockPlan& plan) {
    QJsonObject object{{QStringLiteral("index"), static_cast<int>(index + 1)},
                       {QStringLiteral("kind"), QString::fromStdString(block.kind)},
                       {QStringLiteral("source"), Source(block)},
                       {QStringLiteral("length"), static_cast<int>(block.bytes.size())}};
    if (!block.bytes.empty()) {
        object.insert(QStringLiteral("flag"), block.bytes.front());
        object.insert(QStringLiteral("checksum"), Checksum(block));
    }
    if (disk::IsTapHeader(block.bytes.data(), block.bytes.size())) {
        const HeaderFields header = ReadHeader(block.bytes);
        object.insert(
            QStringLiteral("header"),
            QJsonObject{{QStringLiteral("type"), static_cast<int>(header.type)},
                        {QStringLiteral("type_name"), TapeTypeName(header.type)},
                        {QStringLiteral("name"), BytesToJson(header.name)},
                        {QStringLiteral("length"), static_cast<int>(header.length)},
                        {QStringLiteral("parameter1"), static_cast<int>(header.parameter1)},
                        {QStringLiteral("parameter2"), static_cast<int>(header.parameter2)}});
    }
    QJsonObject import{{QStringLiteral("use"), UseName(plan.use)}};
    if (plan.use == BlockPlan::Use::File || plan.use == BlockPlan::Use::Headless) {
        import.insert(QStringLiteral("name"), BytesToJson(EntryName(plan.entry)));
        import.insert(QStringLiteral("type"),
                      QString(QLatin1Char(static_cast<char>(plan.entry[CMdosDisk::kEntryType]))));
        import.insert(QStringLiteral("length"),
                      static_cast<int>(block.bytes.size()) - disk::kTapBlockOverhead);
    }
    if (plan.use == BlockPlan::Use::Skipped) {
        import.insert(QStringLiteral("reason"), QString::fromStdString(plan.reason));
    }
    object.insert(QStringLiteral("import"), import);
    return object;
}

// index  kind  source  length  flag  checksum  header  import
QString BlockLine(std::size_t index, const tape::Block& block, const BlockPlan& plan) {
    QStringList fields{QString::number(index + 1), QString::fromStdString(block.kind),
                       Source(block), QString::number(block.bytes.size())};
    fields << (block.bytes.empty() ? QStringLiteral("-") : HexByte(block.bytes.front()))
           << (block.bytes.empty() ? QStringLiteral("-") : Checksum(block));
    if (disk::IsTapHeader(block.bytes.data(), block.bytes.size())) {
        const HeaderFields header = ReadHeader(block.bytes);
        fields << QStringLiteral("%1 \"%2\" %3 %4 %5")
                      .arg(TapeTypeName(header.type), BytesToText(header.name))
                      .arg(header.length)
                      .arg(header.parameter1)
                      .arg(header.parameter2);
    } else {
        fields << QStringLiteral("-");
    }
    QString import = UseName(plan.use);
    if (plan.use == BlockPlan::Use::File || plan.use == BlockPlan::Use::Headless) {
        import += QLatin1Char(' ') + BytesToText(EntryName(plan.entry)) + QLatin1Char('.') +
                  QLatin1Char(static_cast<char>(plan.entry[CMdosDisk::kEntryType]));
    } else if (plan.use == BlockPlan::Use::Skipped) {
        import += QStringLiteral(": ") + QString::fromStdString(plan.reason);
    }
    return (fields << import).join(QLatin1Char('\t'));
}

void ReportLeftOut(const QString& path, const std::vector<int>& leftOut) {
    if (!leftOut.empty()) {
        platform::ShowMessage(platform::MessageKind::Information,
                              tape::LeftOutText(QFile::encodeName(path).toStdString(), leftOut));
    }
}

}  // namespace

TapeListCommand::TapeListCommand()
    : Command(QStringLiteral("tape-list"),
              QStringLiteral("Lists the blocks of a tape of any format and what an import makes "
                             "of each."),
              {kTape}, {JsonOption()}) {}

int TapeListCommand::Execute(Invocation& run) {
    tape::Tape tape;
    if (!ReadTapeArgument(run.args.at(0), &tape)) {
        return kExitFailed;
    }
    const std::vector<BlockPlan> plans = tape::PlanImport(tape);
    if (run.options.isSet(JsonOption())) {
        QJsonArray blocks;
        for (std::size_t i = 0; i < tape.blocks.size(); ++i) {
            blocks.append(BlockJson(i, tape.blocks[i], plans[i]));
        }
        WriteJson(run.out, {{QStringLiteral("tape"), run.args.at(0)},
                            {QStringLiteral("format"), QString::fromStdString(tape.format)},
                            {QStringLiteral("blocks"), blocks}});
        return kExitDone;
    }
    for (std::size_t i = 0; i < tape.blocks.size(); ++i) {
        run.out << BlockLine(i, tape.blocks[i], plans[i]) << '\n';
    }
    return kExitDone;
}

TapeImportCommand::TapeImportCommand()
    : Command(QStringLiteral("tape-import"),
              QStringLiteral("Adds the files of tapes of any format (TAP, TZX, PZX, CSW, WAV, "
                             "zipped or not) to a disk."),
              {kImage, kDisk, QStringLiteral("TAPE...")}) {}

int TapeImportCommand::Execute(Invocation& run) {
    // Every tape is read before the image is touched: one that can't be read changes nothing.
    const QStringList paths = run.args.mid(2);
    std::vector<tape::Tape> tapes(static_cast<std::size_t>(paths.size()));
    for (qsizetype i = 0; i < paths.size(); ++i) {
        if (!ReadTapeArgument(paths[i], &tapes[static_cast<std::size_t>(i)])) {
            return kExitFailed;
        }
    }
    return ChangeDisk(run, [&](ImageEditor& editor, int index) {
        for (qsizetype i = 0; i < paths.size() && !run.messages.Failed(); ++i) {
            ReportLeftOut(paths[i],
                          tape::ImportTape(editor.Disk(index), tapes[static_cast<std::size_t>(i)]));
        }
        return kExitDone;
    });
}

bool AddTapeDisks(CBrindleDoc& doc, int count, const QString& path) {
    tape::Tape tape;
    if (!ReadTapeArgument(path, &tape)) {
        return false;
    }
    std::vector<int> leftOut;
    doc.AddTapeDisks(count, [&](CMdosDisk& disk) { leftOut = tape::ImportTape(disk, tape); });
    ReportLeftOut(path, leftOut);
    return true;
}

}  // namespace cli
