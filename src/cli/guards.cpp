#include "cli/guards.h"

#include <QFile>
#include <algorithm>
#include <string>

#include "check/volume_check.h"
#include "cli/command.h"
#include "cli/image_access.h"
#include "cli/options.h"
#include "disk/mdos_disk.h"
#include "platform/file_lock.h"

namespace cli {

namespace {

bool IsBrokenChain(const std::string& code, ChainUse use) {
    // The first four stop a walk along the chain; the rest only make its bytes wrong.
    static const char* const kCodes[] = {"start-outside", "link-outside", "chain-loop",
                                         "chain-free",    "chain-short",  "chain-long",
                                         "cross-link"};
    const auto end = use == ChainUse::Free ? std::begin(kCodes) + 4 : std::end(kCodes);
    return std::any_of(std::begin(kCodes), end,
                       [&code](const char* known) { return code == known; });
}

}  // namespace

int CheckOutput(const Invocation& run, const QByteArray& path) {
    const QString shown = QFile::decodeName(path);
    platform::FileIdentity output;
    switch (platform::InspectFile(path.constData(), &output)) {
        case platform::FileKind::Missing:
            return kExitDone;
        case platform::FileKind::Other:
            return Fail(kExitFailed, QStringLiteral("%1 is not a regular file").arg(shown));
        case platform::FileKind::Regular:
            break;
    }
    platform::FileIdentity image;
    if (platform::InspectFile(QFile::encodeName(run.args.at(0)).constData(), &image) ==
            platform::FileKind::Regular &&
        image.SameFile(output)) {
        return Fail(kExitFailed,
                    QStringLiteral("%1 is the image itself; write to another file").arg(shown));
    }
    if (!run.options.isSet(ForceOption())) {
        return Fail(kExitFailed, QStringLiteral("%1 exists; --force replaces it").arg(shown));
    }
    return kExitDone;
}

std::vector<QString> BrokenChains(CMdosDisk& disk, const std::vector<unsigned char*>& entries,
                                  ChainUse use) {
    std::vector<int> wanted;
    for (const DiskFile& file : ListFiles(disk)) {
        if (std::find(entries.begin(), entries.end(), file.entry) != entries.end()) {
            wanted.push_back(file.slot);
        }
    }
    const auto named = [&wanted](int slot) {
        return std::find(wanted.begin(), wanted.end(), slot) != wanted.end();
    };
    std::vector<QString> sentences;
    for (const check::Finding& finding : check::CheckDisk(disk, 0)) {
        if (IsBrokenChain(finding.code, use) && (named(finding.slot) || named(finding.otherSlot))) {
            sentences.push_back(QString::fromStdString(finding.message));
        }
    }
    return sentences;
}

int RefuseBroken(const Invocation& run, CMdosDisk& disk, const std::vector<unsigned char*>& entries,
                 ChainUse use) {
    if (run.options.isSet(ForceOption())) {
        return kExitDone;
    }
    const std::vector<QString> sentences = BrokenChains(disk, entries, use);
    if (sentences.empty()) {
        return kExitDone;
    }
    for (const QString& sentence : sentences) {
        Fail(kExitFailed, sentence);
    }
    return Fail(kExitFailed, use == ChainUse::Read
                                 ? QStringLiteral("nothing was written; --force takes damaged "
                                                  "files as far as their chains lead")
                                 : QStringLiteral("nothing was changed; --force removes damaged "
                                                  "files and frees only the sectors they alone "
                                                  "own"));
}

}  // namespace cli
