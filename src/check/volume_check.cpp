#include "check/volume_check.h"

#include <cstdio>
#include <map>
#include <string>
#include <utility>

#include "check/chain_analysis.h"
#include "disk/mdos_disk.h"
#include "disk/mdos_format.h"

namespace check {

namespace {

constexpr char kKnownTypes[] = "PNCBQHS";

template <typename... Args>
std::string Sentence(const char* format, Args... args) {
    char text[512];
    std::snprintf(text, sizeof text, format, args...);
    return text;
}

std::string Quoted(const std::string& name) {
    return "\"" + disk::EscapeName(name) + "\"";
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

class FindingList {
public:
    explicit FindingList(int diskIndex) : m_disk(diskIndex) {}

    void AddVolume(const char* code, std::vector<int> sectors, std::string message) {
        m_findings.push_back(
            {code, m_disk, -1, {}, -1, {}, std::move(sectors), std::move(message)});
    }
    void AddFile(const char* code, const FileChain& file, std::vector<int> sectors,
                 std::string message) {
        m_findings.push_back(
            {code, m_disk, file.slot, file.name, -1, {}, std::move(sectors), std::move(message)});
    }
    void AddPair(const char* code, const FileChain& file, const FileChain& other,
                 std::vector<int> sectors, std::string message) {
        m_findings.push_back({code, m_disk, file.slot, file.name, other.slot, other.name,
                              std::move(sectors), std::move(message)});
    }
    std::vector<Finding> Take() { return std::move(m_findings); }

private:
    int m_disk;
    std::vector<Finding> m_findings;
};

void CheckGeometry(const VolumeAnalysis& volume, FindingList& out) {
    if (!volume.GeometryValid()) {
        out.AddVolume(
            "geometry-invalid", {},
            Sentence("The boot sector declares %d tracks of %d sectors; a volume has %d to "
                     "%d tracks of %d to %d sectors.",
                     volume.tracks, volume.sectorsPerTrack, disk::kMinTracks, disk::kMaxTracks,
                     disk::kMinSectorsPerTrack, disk::kMaxSectorsPerTrack));
    }
    if (volume.declaredSectors > CMdosDisk::kSectorCount) {
        out.AddVolume("geometry-too-large", {},
                      Sentence("The boot sector declares %d sectors, more than the %d the disk "
                               "record holds.",
                               volume.declaredSectors, CMdosDisk::kSectorCount));
    }
}

// System sectors and sectors the volume doesn't have must never be handed out.
void CheckReservations(const VolumeAnalysis& volume, FindingList& out) {
    std::vector<int> system;
    std::vector<int> beyond;
    for (int i = 0; i < CMdosDisk::kFatEntryCount; ++i) {
        if (volume.fat[static_cast<std::size_t>(i)] == CMdosDisk::kFatReserved) {
            continue;
        }
        if (i < CMdosDisk::kFirstDataSector) {
            system.push_back(i);
        } else if (i >= volume.dataEnd) {
            beyond.push_back(i);
        }
    }
    if (!system.empty()) {
        const std::string list = DescribeSectors(system);
        out.AddVolume("system-unreserved", std::move(system),
                      "The FAT entries of system sectors " + list + " are not reserved (0xDDD).");
    }
    if (!beyond.empty()) {
        const std::string list = DescribeSectors(beyond);
        out.AddVolume("beyond-unreserved", std::move(beyond),
                      "The FAT entries of sectors " + list +
                          ", which the volume does not have, are not reserved (0xDDD).");
    }
}

void CheckChain(const VolumeAnalysis& volume, const FileChain& file, FindingList& out) {
    const std::string name = Quoted(file.name);
    const int lastData = volume.dataEnd - 1;
    if (!file.startsInside) {
        out.AddFile("start-outside", file, {file.first},
                    Sentence("File %s starts at sector %d, outside the data sectors 14-%d.",
                             name.c_str(), file.first, lastData));
        return;
    }
    const ChainTail& tail = file.tail;
    const int value = volume.fat[static_cast<std::size_t>(tail.at)];
    switch (tail.end) {
        case ChainEnd::Outside:
            out.AddFile("link-outside", file, {tail.at},
                        Sentence("The chain of file %s leads from sector %d to sector %d, outside "
                                 "the data sectors 14-%d.",
                                 name.c_str(), tail.at, value, lastData));
            return;
        case ChainEnd::Loop:
            out.AddFile("chain-loop", file, {tail.at},
                        Sentence("The chain of file %s comes back to sector %d and never ends.",
                                 name.c_str(), tail.at));
            return;
        case ChainEnd::Free:
            out.AddFile("chain-free", file, {tail.at},
                        Sentence("The chain of file %s runs into sector %d, which is free.",
                                 name.c_str(), tail.at));
            return;
        case ChainEnd::Marker:
            break;
    }
    const int needed = volume.NeededSectors(file);
    if (tail.count < needed) {
        out.AddFile("chain-short", file, {tail.at},
                    Sentence("The chain of file %s ends at sector %d after %d sectors, but its "
                             "length of %d bytes needs %d.",
                             name.c_str(), tail.at, tail.count, file.length, needed));
    } else if (tail.count > needed) {
        out.AddFile("chain-long", file, {tail.at},
                    Sentence("The chain of file %s runs on to sector %d over %d sectors, but its "
                             "length of %d bytes needs only %d.",
                             name.c_str(), tail.at, tail.count, file.length, needed));
    } else if (value != volume.ExpectedMarker(file)) {
        out.AddFile(
            "marker-mismatch", file, {tail.at},
            Sentence("The last sector %d of file %s ends its chain with 0x%03X instead of "
                     "0x%03X for its length of %d bytes.",
                     tail.at, name.c_str(), value, volume.ExpectedMarker(file), file.length));
    }
}

void CheckCrossLink(const VolumeAnalysis& volume, const FileChain& file, FindingList& out) {
    if (file.joinedFile < 0) {
        return;
    }
    const FileChain& other = volume.files[static_cast<std::size_t>(file.joinedFile)];
    out.AddPair("cross-link", file, other, {file.joinSector},
                Sentence("Files %s and %s both claim sector %d and the rest of the chain after it.",
                         Quoted(other.name).c_str(), Quoted(file.name).c_str(), file.joinSector));
}

void CheckEntries(const VolumeAnalysis& volume, FindingList& out) {
    std::map<std::string, const FileChain*> seen;
    for (const FileChain& file : volume.files) {
        const unsigned char type = file.entry[CMdosDisk::kEntryType];
        const std::string typeText = disk::EscapeName(std::string(1, static_cast<char>(type)));
        if (std::string(kKnownTypes).find(static_cast<char>(type)) == std::string::npos) {
            out.AddFile("type-unknown", file, {},
                        Sentence("File %s has the unknown type '%s'.", Quoted(file.name).c_str(),
                                 typeText.c_str()));
        }
        // Same type byte and same ten name bytes, padding included: MDOS can't tell them apart.
        const std::string key(reinterpret_cast<const char*>(file.entry),
                              CMdosDisk::kEntryName + CMdosDisk::kEntryNameSize);
        const auto [found, inserted] = seen.emplace(key, &file);
        if (!inserted) {
            out.AddPair("name-duplicate", file, *found->second, {},
                        Sentence("Files in slots %d and %d are both named %s with type '%s'.",
                                 found->second->slot, file.slot, Quoted(file.name).c_str(),
                                 typeText.c_str()));
        }
    }
}

[[nodiscard]] std::vector<int> LostSectors(const VolumeAnalysis& volume) {
    std::vector<int> lost;
    for (int n = CMdosDisk::kFirstDataSector; n < volume.dataEnd; ++n) {
        const auto i = static_cast<std::size_t>(n);
        if (volume.fat[i] != CMdosDisk::kFatFree && volume.owner[i] < 0) {
            lost.push_back(n);
        }
    }
    return lost;
}

// Lost sectors may be the rest of a file whose chain broke; they are freed only when the
// geometry is sound and every chain ends properly, alone, with no sector missing.
[[nodiscard]] bool MayFreeLostSectors(const VolumeAnalysis& volume) {
    if (!volume.GeometryValid()) {
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
    for (const FileChain& file : volume.files) {
        CheckChain(volume, file, out);
        CheckCrossLink(volume, file, out);
    }
    CheckEntries(volume, out);
    std::vector<int> lost = LostSectors(volume);
    if (!lost.empty()) {
        const std::string text =
            (lost.size() == 1
                 ? std::string("1 sector is marked used but belongs to no file: ")
                 : Sentence("%zu sectors are marked used but belong to no file: ", lost.size())) +
            DescribeSectors(lost) + ".";
        out.AddVolume("lost-sector", std::move(lost), text);
    }
    return out.Take();
}

std::vector<Finding> RepairDisk(CMdosDisk& disk, int diskIndex) {
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
        out.AddFile("marker-mismatch", file, {at},
                    Sentence("Set the entry of sector %d, the last of file %s, from 0x%03X to "
                             "0x%03X.",
                             at, Quoted(file.name).c_str(),
                             volume.fat[static_cast<std::size_t>(at)], expected));
    }
    std::vector<int> lost = LostSectors(volume);
    if (!lost.empty() && MayFreeLostSectors(volume)) {
        for (int n : lost) {
            disk.SetFatEntry(fat, n, CMdosDisk::kFatFree);
        }
        const std::string text =
            Sentence("Freed %zu lost sector%s: ", lost.size(), lost.size() == 1 ? "" : "s") +
            DescribeSectors(lost) + ".";
        out.AddVolume("lost-sector", std::move(lost), text);
    }
    return out.Take();
}

}  // namespace check
