#include "tape/tape_import.h"

#include <algorithm>

#include "disk/mdos_format.h"
#include "disk/tap_blocks.h"
#include "platform/message_box.h"

namespace tape {

namespace {

using Role = disk::TapPairing::Role;
using Use = BlockPlan::Use;

void ApplyTapeFile(CMdosDisk& disk, const char* path, bool format) {
    std::string error;
    Tape tape;
    const bool read = ReadTape(path, &tape, &error);
    if (tape.plainTap) {
        if (format) {
            disk::FormatAsTapeDisk(disk);
        }
        disk.ImportTap(path);
        return;
    }
    if (!read) {
        platform::ShowMessage(platform::MessageKind::Stop, error);
        return;
    }
    if (format) {
        disk::FormatAsTapeDisk(disk);
    }
    const std::vector<int> leftOut = ImportTape(disk, tape);
    if (!leftOut.empty()) {
        platform::ShowMessage(platform::MessageKind::Information, LeftOutText(path, leftOut));
    }
}

}  // namespace

std::vector<BlockPlan> PlanImport(const Tape& tape) {
    std::vector<BlockPlan> plans(tape.blocks.size());
    disk::TapPairing pairing;
    BlockPlan* waitingHeader = nullptr;
    for (std::size_t i = 0; i < tape.blocks.size(); ++i) {
        const Block& block = tape.blocks[i];
        BlockPlan& plan = plans[i];
        if (block.bytes.empty()) {
            plan.reason = "no data";
            continue;
        }
        if (!IsImported(block)) {
            plan.reason = "checksum fails";
            if (waitingHeader != nullptr) {
                waitingHeader->use = Use::Skipped;
                waitingHeader->reason = "its data block fails its checksum";
                waitingHeader = nullptr;
                pairing.Forget();
            }
            continue;
        }
        const Role role = pairing.Take(block.bytes.data(), block.bytes.size(), plan.entry);
        switch (role) {
            case Role::Header:
                if (waitingHeader != nullptr) {
                    waitingHeader->use = Use::Skipped;
                    waitingHeader->reason = "another header follows";
                }
                plan.use = Use::Header;
                waitingHeader = &plan;
                break;
            case Role::File:
                plan.use = Use::File;
                waitingHeader = nullptr;
                break;
            case Role::Headless:
                plan.use = Use::Headless;
                break;
            case Role::TooShort:
                plan.reason = "too short for a flag and a checksum";
                break;
        }
    }
    if (waitingHeader != nullptr) {
        waitingHeader->use = Use::Skipped;
        waitingHeader->reason = "no data block follows";
    }
    return plans;
}

// The engine pairs what it is given; it is given only the blocks the plan uses, so a header
// whose data was lost never names the block after it.
std::vector<int> ImportTape(CMdosDisk& disk, const Tape& tape) {
    const std::vector<BlockPlan> plans = PlanImport(tape);
    std::vector<int> leftOut;
    for (std::size_t i = 0; i < tape.blocks.size(); ++i) {
        if (!tape.blocks[i].bytes.empty() && !IsImported(tape.blocks[i])) {
            leftOut.push_back(static_cast<int>(i) + 1);
        }
    }
    std::size_t next = 0;
    disk.ImportTapBlocks([&](std::vector<unsigned char>* bytes) {
        for (; next < tape.blocks.size(); ++next) {
            if (plans[next].use != Use::Skipped) {
                *bytes = tape.blocks[next++].bytes;
                return true;
            }
        }
        return false;
    });
    return leftOut;
}

std::string LeftOutText(const std::string& name, const std::vector<int>& blocks) {
    std::string text = std::to_string(blocks.size()) + (blocks.size() == 1 ? " block" : " blocks") +
                       " of " + name + (blocks.size() == 1 ? " fails its" : " fail their") +
                       " checksum and " + (blocks.size() == 1 ? "was" : "were") + " left out:";
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        text += (i == 0 ? " " : ", ") + std::to_string(blocks[i]);
    }
    return text + ".";
}

void ImportTapeFile(CMdosDisk& disk, const char* path) {
    ApplyTapeFile(disk, path, false);
}

void ReplaceWithTapeFile(CMdosDisk& disk, const char* path) {
    ApplyTapeFile(disk, path, true);
}

}  // namespace tape
