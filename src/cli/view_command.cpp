#include "cli/view_command.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <memory>
#include <string>
#include <vector>

#include "cli/byte_text.h"
#include "cli/guards.h"
#include "cli/image_access.h"
#include "cli/options.h"
#include "cli/output.h"
#include "cli/png_file.h"
#include "content/file_content.h"
#include "content/hex_dump.h"
#include "content/screen_picture.h"
#include "platform/replacing_file.h"

namespace cli {

namespace {

constexpr int kLargestScale = 16;

const QCommandLineOption& AsOption() {
    static const QCommandLineOption option(
        QStringLiteral("as"),
        QStringLiteral("Shows the file as VIEW: basic, screen, array or hex (default: what the "
                       "file's type and bytes suggest)."),
        QStringLiteral("VIEW"));
    return option;
}

const QCommandLineOption& OutOption() {
    static const QCommandLineOption option(
        {QStringLiteral("o"), QStringLiteral("output")},
        QStringLiteral("Writes to OUT instead of standard output; a screen is written as PNG."),
        QStringLiteral("OUT"));
    return option;
}

const QCommandLineOption& ScaleOption() {
    static const QCommandLineOption option(
        QStringLiteral("scale"),
        QStringLiteral("Draws each pixel of a screen as an N x N square (1 to %1, default 1).")
            .arg(kLargestScale),
        QStringLiteral("N"), QStringLiteral("1"));
    return option;
}

QString Lines(const std::vector<std::string>& lines) {
    QString text;
    for (const std::string& line : lines) {
        text += QString::fromStdString(line) + QLatin1Char('\n');
    }
    return text;
}

QJsonObject BasicJson(const content::BasicListing& listing) {
    QJsonArray lines;
    for (const content::BasicLine& line : listing.lines) {
        lines.append(QJsonObject{{QStringLiteral("number"), line.number},
                                 {QStringLiteral("text"), QString::fromStdString(line.text)}});
    }
    QJsonArray variables;
    for (const std::string& line : listing.variables.lines) {
        variables.append(QString::fromStdString(line));
    }
    QJsonObject json{{QStringLiteral("lines"), lines},
                     {QStringLiteral("variables"), variables},
                     {QStringLiteral("truncated"), listing.truncated},
                     {QStringLiteral("variables_damaged"), listing.variables.damaged}};
    json.insert(QStringLiteral("autostart"),
                listing.autostart ? QJsonValue(*listing.autostart) : QJsonValue());
    return json;
}

QJsonObject ArrayJson(const content::ArrayData& array) {
    QJsonArray dimensions;
    for (const int size : array.dimensions) {
        dimensions.append(size);
    }
    QJsonArray elements;
    for (std::size_t i = 0; i < array.ElementCount(); ++i) {
        if (array.characters) {
            elements.append(BytesToJson(QByteArray(1, static_cast<char>(array.codes[i]))));
        } else {
            elements.append(array.numbers[i]);
        }
    }
    return QJsonObject{{QStringLiteral("name"), QString::fromStdString(array.name)},
                       {QStringLiteral("characters"), array.characters},
                       {QStringLiteral("dimensions"), dimensions},
                       {QStringLiteral("elements"), elements},
                       {QStringLiteral("truncated"), array.truncated}};
}

// The document: where the file is, and what it holds under key.
QByteArray JsonBytes(QJsonObject document, const QString& key, const QJsonObject& content) {
    document.insert(key, content);
    QString text;
    QTextStream stream(&text);
    WriteJson(stream, document);
    stream.flush();
    return text.toUtf8();
}

// What the command prints or writes: text, or a PNG's bytes.
struct Rendered {
    int code = kExitDone;
    QByteArray bytes;
};

Rendered Render(const Invocation& run, const content::FileContent& file, content::View view,
                const QJsonObject& where) {
    const bool json = run.options.isSet(JsonOption());
    switch (view) {
        case content::View::Basic: {
            const content::BasicListing listing = content::DecodeBasicFile(file);
            if (!json) {
                return {kExitDone, QByteArray::fromStdString(content::ListingText(listing))};
            }
            return {kExitDone, JsonBytes(where, QStringLiteral("basic"), BasicJson(listing))};
        }
        case content::View::Array: {
            const std::optional<content::ArrayData> array = content::DecodeArrayFile(file);
            if (!array) {
                return {Fail(kExitFailed, QStringLiteral("the file holds no array: its first "
                                                         "byte counts no dimensions, or the "
                                                         "bytes end inside them")),
                        {}};
            }
            if (!json) {
                return {kExitDone, Lines(content::ArrayLines(*array)).toUtf8()};
            }
            return {kExitDone, JsonBytes(where, QStringLiteral("array"), ArrayJson(*array))};
        }
        case content::View::Screen: {
            if (!run.options.isSet(OutOption())) {
                return {Fail(kExitUsage, QStringLiteral("a screen is a picture: -o OUT writes it "
                                                        "as PNG")),
                        {}};
            }
            int scale = 1;
            if (!ParseNumber(QStringLiteral("--scale"), run.options.value(ScaleOption()), 1,
                             kLargestScale, &scale)) {
                return {kExitUsage, {}};
            }
            const QByteArray png = EncodePng(content::DecodeScreen(file.Bytes()), scale);
            if (png.isEmpty()) {
                return {Fail(kExitFailed, QStringLiteral("the picture could not be encoded")), {}};
            }
            return {kExitDone, png};
        }
        case content::View::Hex:
            return {kExitDone, QByteArray::fromStdString(content::HexDump(file.Bytes()))};
    }
    return {kExitFailed, {}};
}

}  // namespace

ViewCommand::ViewCommand()
    : Command(QStringLiteral("view"),
              QStringLiteral("Shows what a file holds: a BASIC listing, a SCREEN$ picture as PNG, "
                             "an array or hex."),
              {QStringLiteral("IMAGE"), QStringLiteral("DISK"), QStringLiteral("FILE")},
              {AsOption(), OutOption(), ScaleOption(), JsonOption(),
               Described(ForceOption(), QStringLiteral("Replaces an existing OUT."))}) {}

int ViewCommand::Execute(Invocation& run) {
    std::optional<content::View> chosen;
    if (run.options.isSet(AsOption())) {
        chosen = content::ViewFromName(run.options.value(AsOption()).toStdString());
        if (!chosen) {
            return Fail(kExitUsage, QStringLiteral("--as takes basic, screen, array or hex, not %1")
                                        .arg(run.options.value(AsOption())));
        }
    }
    ImageReader reader;
    auto disk = std::make_unique<CMdosDisk>();
    std::int64_t index = 0;
    int code = reader.Open(run);
    if (code == kExitDone) {
        code = reader.Load(run.args.at(1), *disk, &index);
    }
    std::vector<unsigned char*> entries;
    if (code == kExitDone) {
        code = FindFiles(*disk, {run.args.at(2)}, &entries);
    }
    if (code != kExitDone) {
        return code;
    }
    // Showing a damaged file writes nothing back, so it is shown, with what the checker found:
    // the bytes past the break are zeros or another file's.
    for (const QString& sentence : BrokenChains(*disk, entries, ChainUse::Read)) {
        PrintMessage((sentence + QStringLiteral("; the view shows the bytes its chain leads to"))
                         .toStdString());
    }
    const content::FileContent file = content::ReadFile(*disk, entries.front());
    const content::View view = chosen.value_or(content::ChooseView(file));
    if (run.options.isSet(JsonOption()) && view != content::View::Basic &&
        view != content::View::Array) {
        return Fail(kExitUsage, QStringLiteral("--json shows BASIC listings and arrays; this is "
                                               "the %1 view")
                                    .arg(QString::fromLatin1(content::ViewName(view))));
    }
    const QJsonObject where{{QStringLiteral("image"), run.args.at(0)},
                            {QStringLiteral("disk"), DiskJson(index, *disk)},
                            {QStringLiteral("file"), BytesToJson(EntryName(entries.front()))},
                            {QStringLiteral("view"), QString::fromLatin1(content::ViewName(view))}};
    const Rendered rendered = Render(run, file, view, where);
    if (rendered.code != kExitDone) {
        return rendered.code;
    }
    if (!run.options.isSet(OutOption())) {
        run.out << QString::fromUtf8(rendered.bytes);
        return kExitDone;
    }
    const QByteArray path = QFile::encodeName(run.options.value(OutOption()));
    code = CheckOutput(run, path);
    if (code != kExitDone) {
        return code;
    }
    platform::ReplacingFile out;
    if (!out.Open(path.constData())) {
        return kExitFailed;
    }
    out.Write(rendered.bytes.constData(), static_cast<std::size_t>(rendered.bytes.size()));
    return out.Commit() ? kExitDone : kExitFailed;
}

}  // namespace cli
