// brindle-cli's JSON output for any record: info, ls, header, dump and check (with and without
// repairs) each write one valid JSON document, and every file ls lists can be named back by what it
// printed. Input: a record as fuzzsupport::InputDisk reads it (bits 2-7 of the option byte
// unused); the image is that one record.
#include <QByteArray>
#include <QCommandLineParser>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>
#include <algorithm>

#include "cli/byte_text.h"
#include "cli/command.h"
#include "cli/command_table.h"
#include "cli/image_access.h"
#include "cli/message_log.h"
#include "fuzz_support.h"

namespace {

// Runs one command as `brindle-cli NAME ARGUMENTS... --json [options]` and parses what it wrote.
// Every command succeeds, but check, which fails when it finds something.
QJsonObject RunJson(const char* name, const QStringList& arguments,
                    const QStringList& options = {}) {
    cli::Command* command = cli::FindCommand(QString::fromLatin1(name));
    FUZZ_EXPECT(command != nullptr);
    QCommandLineParser parser;
    parser.addOptions(command->Options());
    FUZZ_EXPECT(parser.parse(QStringList{QStringLiteral("brindle-cli"), QStringLiteral("--json")} +
                             options));
    QByteArray written;
    QTextStream out(&written);
    cli::MessageLog messages;
    cli::Invocation run{arguments, parser, out, messages};
    const int code = command->Execute(run);
    FUZZ_EXPECT(code == cli::kExitDone || (code == cli::kExitFailed && command->Name() == "check"));
    out.flush();
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(written, &error);
    FUZZ_EXPECT(error.error == QJsonParseError::NoError && document.isObject());
    return document.object();
}

QByteArray FromJson(const QJsonValue& value) {
    QByteArray bytes;
    FUZZ_EXPECT(value.isString() && cli::BytesFromArgument(value.toString(), &bytes));
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static fuzzsupport::InputDisk disks;
    CMdosDisk& disk = disks.Read(data, size);
    const std::string path = fuzzsupport::Scratch().Path("one.trw");
    fuzzsupport::WriteHostFile(path, disk.Record(), CMdosDisk::kRecordSize);
    const QString image = QFile::decodeName(path.c_str());
    const QString first = QStringLiteral("0");

    RunJson("info", {image});
    RunJson("header", {image, first});
    RunJson("dump", {image, first, QStringLiteral("6")});
    RunJson("dump", {image, first, QStringLiteral("0")}, {QStringLiteral("--hex")});

    const QJsonArray listed =
        RunJson("ls", {image, first}).value(QStringLiteral("files")).toArray();
    const std::vector<cli::DiskFile> files = cli::ListFiles(disk);
    FUZZ_EXPECT(static_cast<std::size_t>(listed.size()) == files.size());
    for (qsizetype i = 0; i < listed.size(); ++i) {
        const QJsonObject file = listed.at(i).toObject();
        FUZZ_EXPECT(FromJson(file.value(QStringLiteral("name"))) == files[i].name);
        const QByteArray label = FromJson(file.value(QStringLiteral("file")));
        FUZZ_EXPECT(label == files[i].label);
        // Every file can be named by its slot, unless a name reads like that slot.
        FUZZ_EXPECT(file.value(QStringLiteral("slot")).toInt() == files[i].slot);
        const QByteArray slot = "#" + QByteArray::number(files[i].slot);
        const auto readsLikeSlot = [&](const cli::DiskFile& f) {
            return f.name == slot || f.label == slot ||
                   f.name + '.' + static_cast<char>(f.entry[0]) == slot;
        };
        if (std::none_of(files.begin(), files.end(), readsLikeSlot)) {
            std::vector<unsigned char*> bySlot;
            FUZZ_EXPECT(cli::FindFiles(disk, {QString::fromLatin1(slot)}, &bySlot) ==
                            cli::kExitDone &&
                        bySlot.size() == 1 && bySlot[0] == files[i].entry);
        }
        // Two files alike in name and type can't be told apart by name; the checker reports
        // them.
        const auto sameLabel = [&](const cli::DiskFile& f) { return f.label == label; };
        if (std::count_if(files.begin(), files.end(), sameLabel) > 1) {
            continue;
        }
        std::vector<unsigned char*> named;
        FUZZ_EXPECT(cli::FindFiles(disk, {file.value(QStringLiteral("file")).toString()}, &named) ==
                    cli::kExitDone);
        FUZZ_EXPECT(named.size() == 1 && named[0] == files[i].entry);
    }

    RunJson("check", {image});
    RunJson("check", {image}, {QStringLiteral("--repair")});
    return 0;
}
