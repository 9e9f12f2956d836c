#include "cli/check_command.h"

#include <QJsonArray>
#include <QJsonObject>
#include <memory>
#include <vector>

#include "check/volume_check.h"
#include "cli/byte_text.h"
#include "cli/change.h"
#include "cli/image_access.h"
#include "cli/options.h"
#include "cli/output.h"
#include "disk/mdos_disk.h"
#include "disk/mdos_format.h"

namespace cli {

namespace {

// A check with findings left exits 1; a repair whose save failed exits 4, so that a script can
// tell "look at it" from "nothing you asked for happened".
constexpr int kExitNotSaved = 4;

const QCommandLineOption& RepairOption() {
    static const QCommandLineOption option(
        QStringLiteral("repair"), QStringLiteral("Frees lost sectors and sets last-sector markers "
                                                 "from the files' lengths; leaves the rest."));
    return option;
}

const QCommandLineOption& UndeleteOption() {
    static const QCommandLineOption option(
        QStringLiteral("undelete"),
        QStringLiteral("With --repair: gives entries that lost only their type byte the type "
                       "B (Q past 65535 bytes) again."));
    return option;
}

struct DiskReport {
    std::int64_t index = 0;
    QByteArray label;
    std::size_t found = 0;                // findings before any repair
    std::vector<check::Finding> repairs;  // what was mended
    std::vector<check::Finding> left;     // what the user has to decide
};

struct Totals {
    std::size_t found = 0;
    std::size_t disksWithFindings = 0;
    std::size_t repaired = 0;
    std::size_t left = 0;
};

Totals Sum(const std::vector<DiskReport>& reports) {
    Totals totals;
    for (const DiskReport& report : reports) {
        totals.found += report.found;
        totals.disksWithFindings += report.found > 0 ? 1 : 0;
        totals.repaired += report.repairs.size();
        totals.left += report.left.size();
    }
    return totals;
}

DiskReport CheckOne(std::int64_t index, CMdosDisk& disk) {
    DiskReport report;
    report.index = index;
    report.label = DiskLabel(disk.Record());
    report.left = check::CheckDisk(disk, static_cast<int>(index));
    report.found = report.left.size();
    return report;
}

// Without --repair nothing is loaded whole: the check reads only the volume areas of each
// record it needs.
int CheckImage(Invocation& run, std::vector<DiskReport>* reports) {
    ImageReader reader;
    int code = reader.Open(run);
    if (code != kExitDone) {
        return code;
    }
    auto disk = std::make_unique<CMdosDisk>();
    if (run.args.size() > 1) {
        std::int64_t index = 0;
        code = reader.Load(run.args.at(1), *disk, &index, disk::kVolumeHeadSize);
        if (code == kExitDone) {
            reports->push_back(CheckOne(index, *disk));
        }
        return code;
    }
    for (std::int64_t i = 0; i < reader.Count(); ++i) {
        code = reader.Read(i, *disk, disk::kVolumeHeadSize);
        if (code != kExitDone) {
            return code;
        }
        reports->push_back(CheckOne(i, *disk));
    }
    return kExitDone;
}

// Repairs in memory, then saves the image once, atomically; when the save fails, the image is
// as it was, the report shows the findings unrepaired and the status is kExitNotSaved.
int RepairImage(Invocation& run, std::vector<DiskReport>* reports) {
    const check::RepairOptions options{run.options.isSet(UndeleteOption())};
    int waitMs = 0;
    if (!LockWait(run, &waitMs)) {
        return kExitUsage;
    }
    ImageEditor editor;
    int code = editor.Open(run.args.at(0), waitMs);
    if (code != kExitDone) {
        return code;
    }
    const int count = static_cast<int>(editor.Doc().m_disks.size());
    int first = 0;
    int end = count;
    if (run.args.size() > 1) {
        first = editor.FindDisk(run.args.at(1));
        if (first < 0) {
            return kExitUsage;
        }
        end = first + 1;
    }
    std::vector<DiskReport> unrepaired;
    for (int i = first; i < end; ++i) {
        CMdosDisk& disk = editor.Disk(i);
        DiskReport report = CheckOne(i, disk);
        unrepaired.push_back(report);
        report.repairs = check::RepairDisk(disk, i, options);
        report.left = check::CheckDisk(disk, i);
        reports->push_back(std::move(report));
    }
    if (Sum(*reports).repaired > 0 && editor.Save(run) != kExitDone) {
        Fail(kExitFailed,
             QStringLiteral("%1 was not changed: no repair was saved").arg(run.args.at(0)));
        *reports = std::move(unrepaired);
        return kExitNotSaved;
    }
    return kExitDone;
}

const char* MendWord(check::Mend mend) {
    switch (mend) {
        case check::Mend::Repair:
            return "repair";
        case check::Mend::Undelete:
            return "undelete";
        case check::Mend::None:
            break;
    }
    return "none";
}

QJsonObject FindingJson(const check::Finding& finding) {
    QJsonObject item{{QStringLiteral("code"), QString::fromStdString(finding.code)},
                     {QStringLiteral("mend"), QString::fromLatin1(MendWord(finding.mend))}};
    for (const auto& [key, value] : finding.values) {
        item.insert(QString::fromStdString(key), value);
    }
    if (finding.slot >= 0) {
        item.insert(QStringLiteral("slot"), finding.slot);
        item.insert(QStringLiteral("name"), BytesToJson(QByteArray::fromStdString(finding.name)));
    }
    if (finding.otherSlot >= 0) {
        item.insert(QStringLiteral("other_slot"), finding.otherSlot);
        item.insert(QStringLiteral("other_name"),
                    BytesToJson(QByteArray::fromStdString(finding.otherName)));
    }
    QJsonArray sectors;
    for (int sector : finding.sectors) {
        sectors.append(sector);
    }
    item.insert(QStringLiteral("sectors"), sectors);
    item.insert(QStringLiteral("message"), QString::fromStdString(finding.message));
    return item;
}

QJsonArray FindingsJson(const std::vector<check::Finding>& findings) {
    QJsonArray list;
    for (const check::Finding& finding : findings) {
        list.append(FindingJson(finding));
    }
    return list;
}

void WriteReportJson(Invocation& run, const std::vector<DiskReport>& reports, bool repair) {
    QJsonArray disks;
    for (const DiskReport& report : reports) {
        QJsonObject item{{QStringLiteral("index"), static_cast<qint64>(report.index)},
                         {QStringLiteral("name"), BytesToJson(report.label)},
                         {QStringLiteral("findings"), FindingsJson(report.left)}};
        if (repair) {
            item.insert(QStringLiteral("repairs"), FindingsJson(report.repairs));
        }
        disks.append(item);
    }
    const Totals totals = Sum(reports);
    QJsonObject summary{
        {QStringLiteral("disks"), static_cast<qint64>(reports.size())},
        {QStringLiteral("found"), static_cast<qint64>(totals.found)},
        {QStringLiteral("disks_with_findings"), static_cast<qint64>(totals.disksWithFindings)}};
    if (repair) {
        summary.insert(QStringLiteral("repaired"), static_cast<qint64>(totals.repaired));
        summary.insert(QStringLiteral("left"), static_cast<qint64>(totals.left));
    }
    WriteJson(run.out, {{QStringLiteral("image"), run.args.at(0)},
                        {QStringLiteral("disks"), disks},
                        {QStringLiteral("summary"), summary}});
}

// Disks with something to say, each followed by its repairs and what is left, then one line.
void WriteReportText(Invocation& run, const std::vector<DiskReport>& reports, bool repair) {
    for (const DiskReport& report : reports) {
        if (report.repairs.empty() && report.left.empty()) {
            continue;
        }
        run.out << "disk " << report.index << " \"" << BytesToText(report.label) << "\":\n";
        for (const check::Finding& finding : report.repairs) {
            run.out << "  repaired " << QString::fromStdString(finding.code) << ": "
                    << QString::fromStdString(finding.message) << '\n';
        }
        for (const check::Finding& finding : report.left) {
            run.out << "  " << QString::fromStdString(finding.code);
            if (finding.mend != check::Mend::None) {
                run.out << (finding.mend == check::Mend::Repair ? " (repairable)"
                                                                : " (undeletable)");
            }
            run.out << ": " << QString::fromStdString(finding.message) << '\n';
        }
    }
    const Totals totals = Sum(reports);
    run.out << reports.size() << (reports.size() == 1 ? " disk" : " disks") << " checked: ";
    if (totals.found == 0) {
        run.out << "no findings.\n";
        return;
    }
    run.out << totals.found << (totals.found == 1 ? " finding" : " findings") << " on "
            << totals.disksWithFindings << (totals.disksWithFindings == 1 ? " disk" : " disks");
    if (repair) {
        run.out << "; " << totals.repaired << " repaired, " << totals.left << " left";
    }
    run.out << ".\n";
}

}  // namespace

CheckCommand::CheckCommand()
    : Command(QStringLiteral("check"),
              QStringLiteral("Checks the volumes of an image, or of DISK, for damage."),
              {QStringLiteral("IMAGE"), QStringLiteral("[DISK]")},
              {JsonOption(), RepairOption(), UndeleteOption()}) {}

int CheckCommand::Execute(Invocation& run) {
    const bool repair = run.options.isSet(RepairOption());
    if (run.options.isSet(UndeleteOption()) && !repair) {
        return Fail(kExitUsage, QStringLiteral("--undelete goes with --repair"));
    }
    std::vector<DiskReport> reports;
    const int code = repair ? RepairImage(run, &reports) : CheckImage(run, &reports);
    if (code != kExitDone && code != kExitNotSaved) {
        return code;
    }
    if (run.options.isSet(JsonOption())) {
        WriteReportJson(run, reports, repair);
    } else {
        WriteReportText(run, reports, repair);
    }
    if (code == kExitNotSaved) {
        return code;
    }
    return Sum(reports).left == 0 ? kExitDone : kExitFailed;
}

}  // namespace cli
