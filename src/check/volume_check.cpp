#include "check/volume_check.h"

#include <cstdio>
#include <set>
#include <string>
#include <utility>

#include "check/chain_analysis.h"
#include "disk/mdos_disk.h"
#include "disk/mdos_format.h"

namespace check {

namespace {

constexpr char kKnownTypes[] = "PNCBQHS";

using Values = std::vector<std::pair<std::string, int>>;

template <typename... Args>
std::string Sentence(const char* format, Args... args) {
    char text[512];
    std::snprintf(text, sizeof text, format, args...);
    return text;
}

// "slot 12 "GAME"": the slot tells apart files that share a name.
std::string Named(const FileChain& file) {
    return "slot " + std::to_string(file.slot) + " \"" + disk::EscapeName(file.name) + "\"";
}

std::string Count(std::size_t n, const char* noun) {
    return std::to_string(n) + " " + noun + (n == 1 ? "" : "s");
}

// Sector numbers as a short list of ranges: "14-20, 33, 40-41".
std::string DescribeSectors(const std::vector<int>& sectors) {
    std::string text;
    for (std::size_t i = 0; i < sectors.size();) {
        std::size_t j = i;
        while (j + 1 < sectors.size() && sectors[j + 1] == sectors[j] + 1) {
            ++j;
        }
        text += text.empty() ? "" : ", ";
        text += std::to_string(sectors[i]);
        if (j > i) {
            text += "-" + std::to_string(sectors[j]);
        }
        i = j + 1;
    }
    return text;
}

std::string DataSectors(const VolumeAnalysis& volume) {
    return volume.dataEnd > CMdosDisk::kFirstDataSector
               ? Sentence("the data sectors 14-%d", volume.dataEnd - 1)
               : std::string("the data sectors, of which the volume has none");
}

// Name bytes as the directory holds them, less their padding, after the type: two entries with
// the same key can't be told apart by MDOS, nor by brindle-cli, which trims names alike.
std::string NameKey(unsigned char type, const FileChain& file) {
    return static_cast<char>(type) + file.name;
}

class FindingList {
public:
    explicit FindingList(int diskIndex) : m_disk(diskIndex) {}

    Finding& AddVolume(const char* code, std::vector<int> sectors, std::string message,
                       Values values = {}) {
        Finding finding;
        finding.code = code;
        finding.disk = m_disk;
        finding.sectors = std::move(sectors);
        finding.values = std::move(values);
        finding.message = std::move(message);
        m_findings.push_back(std::move(finding));
        return m_findings.back();
    }
    Finding& AddFile(const char* code, const FileChain& file, std::vector<int> sectors,
                     std::string message, Values values = {}) {
        Finding& finding =
            AddVolume(code, std::move(sectors), std::move(message), std::move(values));
        finding.slot = file.slot;
        finding.name = file.name;
        return finding;
    }
    Finding& AddPair(const char* code, const FileChain& file, const FileChain& other,
                     std::vector<int> sectors, std::string message) {
        Finding& finding = AddFile(code, file, std::move(sectors), std::move(message));
        finding.otherSlot = other.slot;
        finding.otherName = other.name;
        return finding;
    }
    std::vector<Finding> Take() { return std::move(m_findings); }

private:
    int m_disk;
    std::vector<Finding> m_findings;
};

void CheckGeometry(const VolumeAnalysis& volume, FindingList& out) {
    const Values declared = {{"tracks", volume.tracks},
                             {"sectors_per_track", volume.sectorsPerTrack},
                             {"last_data_sector", volume.dataEnd - 1}};
    const std::string judged = " The volume is checked with " + DataSectors(volume) + ".";
    switch (volume.geometry) {
        case GeometryState::Sound:
            return;
        case GeometryState::Invalid:
            out.AddVolume(
                "geometry-invalid", {},
                Sentence("The boot sector declares %d tracks of %d sectors; a volume "
                         "has %d to %d tracks of %d to %d sectors.",
                         volume.tracks, volume.sectorsPerTrack, disk::kMinTracks, disk::kMaxTracks,
                         disk::kMinSectorsPerTrack, disk::kMaxSectorsPerTrack) +
                    judged,
                declared);
            return;
        case GeometryState::TooLarge: {
            const int sectors = disk::GeometrySectors(volume.tracks, volume.sectorsPerTrack);
            Values values = declared;
            values.emplace_back("declared_sectors", sectors);
            out.AddVolume(
                "geometry-too-large", {},
                Sentence("The boot sector declares %d tracks of %d sectors, %d sectors, "
                         "more than the %d the disk record holds.",
                         volume.tracks, volume.sectorsPerTrack, sectors, CMdosDisk::kSectorCount) +
                    judged,
                values);
            return;
        }
        case GeometryState::Mismatch: {
            Values values = declared;
            values.emplace_back("copy_tracks", volume.copyTracks);
            values.emplace_back("copy_sectors_per_track", volume.copySectorsPerTrack);
            values.emplace_back("reserved_from", volume.reservedFrom);
            out.AddVolume("geometry-mismatch", {},
                          Sentence("The boot sector declares %d tracks of %d sectors, but its copy "
                                   "and the FAT, reserved from sector %d on, give %d tracks of %d "
                                   "sectors.",
                                   volume.tracks, volume.sectorsPerTrack, volume.reservedFrom,
                                   volume.copyTracks, volume.copySectorsPerTrack) +
                              judged,
                          values);
            return;
        }
    }
}

// System sectors and sectors the volume doesn't have must never be handed out; a reserved
// sector inside the data area is no file's, but freeing it is not ours to decide either.
void CheckReservations(const VolumeAnalysis& volume, FindingList& out) {
    std::vector<int> system;
    std::vector<int> beyond;
    std::vector<int> inside;
    for (int i = 0; i < CMdosDisk::kFatEntryCount; ++i) {
        const bool reserved = volume.fat[static_cast<std::size_t>(i)] == CMdosDisk::kFatReserved;
        if (i < CMdosDisk::kFirstDataSector) {
            if (!reserved) {
                system.push_back(i);
            }
        } else if (i >= volume.dataEnd) {
            if (!reserved) {
                beyond.push_back(i);
            }
        } else if (reserved && volume.owner[static_cast<std::size_t>(i)] < 0) {
            inside.push_back(i);
        }
    }
    if (!system.empty()) {
        const std::string list = DescribeSectors(system);
        const auto count = static_cast<int>(system.size());
        out.AddVolume("system-unreserved", std::move(system),
                      "The FAT entries of system sectors " + list + " are not reserved (0xDDD).",
                      {{"count", count}});
    }
    if (!beyond.empty()) {
        const std::string list = DescribeSectors(beyond);
        const auto count = static_cast<int>(beyond.size());
        out.AddVolume("beyond-unreserved", std::move(beyond),
                      "The FAT entries of sectors " + list +
                          ", which the volume does not have, are not reserved (0xDDD).",
                      {{"count", count}});
    }
    if (!inside.empty()) {
        const std::string text = Count(inside.size(), "data sector") + " that no file owns " +
                                 (inside.size() == 1 ? "is" : "are") +
                                 " reserved (0xDDD): " + DescribeSectors(inside) + ".";
        const auto count = static_cast<int>(inside.size());
        out.AddVolume("data-reserved", std::move(inside), text, {{"count", count}});
    }
}

void CheckStart(const VolumeAnalysis& volume, const FileChain& file, FindingList& out) {
    const int needed = volume.NeededSectors(file);
    if (file.first >= CMdosDisk::kFatChainEnd) {
        out.AddFile("start-outside", file, {file.first},
                    Sentence("File %s has no chain (its first sector is 0x%X), but its length "
                             "of %d bytes needs %s.",
                             Named(file).c_str(), file.first, file.length,
                             Count(static_cast<std::size_t>(needed), "sector").c_str()),
                    {{"first_sector", file.first}, {"length", file.length}, {"needed", needed}});
        return;
    }
    out.AddFile("start-outside", file, {file.first},
                Sentence("File %s starts at sector %d, outside %s.", Named(file).c_str(),
                         file.first, DataSectors(volume).c_str()),
                {{"first_sector", file.first}, {"last_data_sector", volume.dataEnd - 1}});
}

void CheckChain(const VolumeAnalysis& volume, const FileChain& file, FindingList& out) {
    if (!file.startsInside) {
        CheckStart(volume, file, out);
        return;
    }
    const std::string name = Named(file);
    const ChainTail& tail = file.tail;
    const int value = volume.fat[static_cast<std::size_t>(tail.at)];
    switch (tail.end) {
        case ChainEnd::Outside:
            out.AddFile(
                "link-outside", file, {tail.at},
                Sentence("The chain of %s leads from sector %d to sector %d, outside %s.",
                         name.c_str(), tail.at, value, DataSectors(volume).c_str()),
                {{"from", tail.at}, {"to", value}, {"last_data_sector", volume.dataEnd - 1}});
            return;
        case ChainEnd::Loop:
            out.AddFile("chain-loop", file, {tail.at},
                        Sentence("The chain of %s comes back to sector %d and never ends.",
                                 name.c_str(), tail.at),
                        {{"sector", tail.at}});
            return;
        case ChainEnd::Free:
            out.AddFile("chain-free", file, {tail.at},
                        Sentence("The chain of %s runs into sector %d, which is free.",
                                 name.c_str(), tail.at),
                        {{"sector", tail.at}});
            return;
        case ChainEnd::Marker:
            break;
    }
    const int needed = volume.NeededSectors(file);
    const Values counted = {
        {"last", tail.at}, {"count", tail.count}, {"length", file.length}, {"needed", needed}};
    const std::string sectors = Count(static_cast<std::size_t>(tail.count), "sector");
    if (tail.count < needed) {
        out.AddFile("chain-short", file, {tail.at},
                    Sentence("The chain of %s ends at sector %d after %s, but its length of %d "
                             "bytes needs %d.",
                             name.c_str(), tail.at, sectors.c_str(), file.length, needed),
                    counted);
    } else if (tail.count > needed) {
        out.AddFile("chain-long", file, {tail.at},
                    Sentence("The chain of %s runs on to sector %d over %s, but its length of %d "
                             "bytes needs only %d.",
                             name.c_str(), tail.at, sectors.c_str(), file.length, needed),
                    counted);
    }
    const int expected = volume.ExpectedMarker(file);
    if (value != expected) {
        Finding& finding = out.AddFile(
            "marker-mismatch", file, {tail.at},
            Sentence("The last sector %d of %s ends its chain with 0x%03X instead of 0x%03X for "
                     "its length of %d bytes.",
                     tail.at, name.c_str(), value, expected, file.length),
            {{"sector", tail.at},
             {"found", value},
             {"expected", expected},
             {"length", file.length}});
        finding.mend = tail.count == needed && !file.shared ? Mend::Repair : Mend::None;
    }
}

void CheckCrossLink(const VolumeAnalysis& volume, const CrossLink& link, FindingList& out) {
    const FileChain& earlier = volume.files[static_cast<std::size_t>(link.first)];
    const FileChain& later = volume.files[static_cast<std::size_t>(link.second)];
    out.AddPair("cross-link", later, earlier, {link.sector},
                Sentence("Files %s and %s both claim sector %d and the rest of the chain after it.",
                         Named(earlier).c_str(), Named(later).c_str(), link.sector))
        .values = {{"sector", link.sector}};
}

void CheckEntries(const VolumeAnalysis& volume, FindingList& out) {
    std::vector<std::pair<std::string, const FileChain*>> seen;
    for (const FileChain& file : volume.files) {
        const unsigned char type = file.entry[CMdosDisk::kEntryType];
        const std::string typeText = disk::EscapeName(std::string(1, static_cast<char>(type)));
        if (std::string(kKnownTypes).find(static_cast<char>(type)) == std::string::npos) {
            out.AddFile("type-unknown", file, {},
                        Sentence("File %s has the unknown type '%s'.", Named(file).c_str(),
                                 typeText.c_str()),
                        {{"type", type}});
        }
        const std::string key = NameKey(type, file);
        for (const auto& [earlierKey, earlier] : seen) {
            if (earlierKey == key) {
                out.AddPair(
                    "name-duplicate", file, *earlier, {},
                    Sentence("Files %s and %s have the same name and type '%s'.",
                             Named(*earlier).c_str(), Named(file).c_str(), typeText.c_str()));
                break;
            }
        }
        seen.emplace_back(key, &file);
    }
}

// Which recoverable entries an undelete gives back, in directory order: not one whose chain
// meets an earlier one's (two files would share sectors), nor one whose name and new type a
// file already has (two files alike).
[[nodiscard]] std::vector<bool> Restorable(const VolumeAnalysis& volume) {
    std::set<std::string> taken;
    for (const FileChain& file : volume.files) {
        taken.insert(NameKey(file.entry[CMdosDisk::kEntryType], file));
    }
    std::vector<bool> restorable;
    for (const FileChain& entry : volume.recoverable) {
        const std::string key = NameKey(CMdosDisk::BinaryTypeFor(entry.length), entry);
        restorable.push_back(!entry.shared && taken.insert(key).second);
    }
    return restorable;
}

[[nodiscard]] std::vector<int> ChainSectors(const VolumeAnalysis& volume, const FileChain& file) {
    std::vector<int> sectors;
    for (int n = file.first, left = file.tail.count; left > 0; --left) {
        sectors.push_back(n);
        n = volume.fat[static_cast<std::size_t>(n)];
    }
    return sectors;
}

void CheckRecoverable(const VolumeAnalysis& volume, FindingList& out) {
    const std::vector<bool> restorable = Restorable(volume);
    for (std::size_t i = 0; i < volume.recoverable.size(); ++i) {
        const FileChain& entry = volume.recoverable[i];
        std::vector<int> sectors = ChainSectors(volume, entry);
        const std::string text =
            Sentence("The free entry in %s still describes a file of %d bytes in %s: ",
                     Named(entry).c_str(), entry.length, Count(sectors.size(), "sector").c_str()) +
            DescribeSectors(sectors) + (restorable[i] ? "." : "; another entry claims it too.");
        const auto count = static_cast<int>(sectors.size());
        out.AddFile("entry-recoverable", entry, std::move(sectors), text,
                    {{"first_sector", entry.first}, {"length", entry.length}, {"count", count}})
            .mend = restorable[i] ? Mend::Undelete : Mend::None;
    }
}

// Sectors marked used that no file, and no entry that may still become one, owns. Reserved
// sectors are no file's either, but they are a reservation, never lost data (data-reserved).
[[nodiscard]] std::vector<int> LostSectors(const VolumeAnalysis& volume) {
    std::vector<int> lost;
    for (int n = CMdosDisk::kFirstDataSector; n < volume.dataEnd; ++n) {
        const auto i = static_cast<std::size_t>(n);
        if (volume.fat[i] != CMdosDisk::kFatFree && volume.fat[i] != CMdosDisk::kFatReserved &&
            volume.owner[i] < 0 && volume.keeper[i] < 0) {
            lost.push_back(n);
        }
    }
    return lost;
}

// Lost sectors may be the rest of a file whose chain broke; they are freed only when the
// geometry is sound and every chain ends properly, alone, with no sector missing.
[[nodiscard]] bool MayFreeLostSectors(const VolumeAnalysis& volume) {
    if (volume.geometry != GeometryState::Sound) {
        return false;
    }
    for (const FileChain& file : volume.files) {
        const bool intact = file.startsInside && file.tail.end == ChainEnd::Marker &&
                            file.tail.count >= volume.NeededSectors(file) && !file.shared;
        if (!intact) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::vector<Finding> CheckDisk(CMdosDisk& disk, int diskIndex) {
    const VolumeAnalysis volume = AnalyseVolume(disk);
    FindingList out(diskIndex);
    CheckGeometry(volume, out);
    CheckReservations(volume, out);
    auto link = volume.crossLinks.begin();
    for (std::size_t i = 0; i < volume.files.size(); ++i) {
        CheckChain(volume, volume.files[i], out);
        for (; link != volume.crossLinks.end() && link->second == static_cast<int>(i); ++link) {
            CheckCrossLink(volume, *link, out);
        }
    }
    CheckEntries(volume, out);
    CheckRecoverable(volume, out);
    std::vector<int> lost = LostSectors(volume);
    if (!lost.empty()) {
        const std::string text = Count(lost.size(), "sector") + " " +
                                 (lost.size() == 1 ? "is" : "are") + " marked used but belong" +
                                 (lost.size() == 1 ? "s" : "") +
                                 " to no file: " + DescribeSectors(lost) + ".";
        const auto count = static_cast<int>(lost.size());
        out.AddVolume("lost-sector", std::move(lost), text, {{"count", count}}).mend =
            MayFreeLostSectors(volume) ? Mend::Repair : Mend::None;
    }
    return out.Take();
}

std::vector<Finding> RepairDisk(CMdosDisk& disk, int diskIndex, RepairOptions options) {
    const VolumeAnalysis volume = AnalyseVolume(disk);
    unsigned char* fat = disk.GetSector(CMdosDisk::kFirstFatSector);
    FindingList out(diskIndex);
    for (const FileChain& file : volume.files) {
        const int at = file.tail.at;
        const int expected = volume.ExpectedMarker(file);
        if (!volume.HasRightLength(file) || file.shared ||
            volume.fat[static_cast<std::size_t>(at)] == expected) {
            continue;
        }
        disk.SetFatEntry(fat, at, expected);
        out.AddFile(
               "marker-mismatch", file, {at},
               Sentence("Set the entry of sector %d, the last of %s, from 0x%03X to 0x%03X.", at,
                        Named(file).c_str(), volume.fat[static_cast<std::size_t>(at)], expected),
               {{"sector", at},
                {"found", volume.fat[static_cast<std::size_t>(at)]},
                {"expected", expected}})
            .mend = Mend::Repair;
    }
    if (options.undelete) {
        const std::vector<bool> restorable = Restorable(volume);
        for (std::size_t i = 0; i < volume.recoverable.size(); ++i) {
            if (!restorable[i]) {
                continue;
            }
            const FileChain& entry = volume.recoverable[i];
            const unsigned char type = CMdosDisk::BinaryTypeFor(entry.length);
            entry.entry[CMdosDisk::kEntryType] = type;
            out.AddFile("entry-recoverable", entry, ChainSectors(volume, entry),
                        Sentence("Gave the entry in %s the type '%c' again: a file of %d bytes.",
                                 Named(entry).c_str(), type, entry.length),
                        {{"type", type}, {"length", entry.length}})
                .mend = Mend::Undelete;
        }
    }
    std::vector<int> lost = LostSectors(volume);
    if (!lost.empty() && MayFreeLostSectors(volume)) {
        for (int n : lost) {
            disk.SetFatEntry(fat, n, CMdosDisk::kFatFree);
        }
        const std::string text =
            "Freed " + Count(lost.size(), "lost sector") + ": " + DescribeSectors(lost) + ".";
        const auto count = static_cast<int>(lost.size());
        out.AddVolume("lost-sector", std::move(lost), text, {{"count", count}}).mend = Mend::Repair;
    }
    return out.Take();
}

}  // namespace check
