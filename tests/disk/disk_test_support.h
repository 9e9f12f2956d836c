// Shared fixtures of the disk engine tests: a per-test folder for host files with scripted
// messages, and byte helpers for the files the tests make themselves (the builders shared with
// the other tests come from support/test_bytes.h).
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "disk/mdos_disk.h"
#include "disk/mdos_format.h"
#include "platform/crt_random.h"
#include "support/scripted_messages.h"
#include "support/test_bytes.h"
#include "support/used_entries.h"

namespace disktest {

using testbytes::Append;
using testbytes::Bytes;
using testbytes::Pattern;
using testbytes::TapBlock;
using testbytes::TapHeader;

// Every test gets a fresh folder of its own (the process id keeps parallel runs apart), a
// recorder, and a known random sequence.
class DiskTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_dir = std::filesystem::temp_directory_path() /
                (std::string("brindle_disk_") + std::to_string(::getpid()) + "_" +
                 info->test_suite_name() + "_" + info->name());
        std::filesystem::remove_all(m_dir);
        std::filesystem::create_directories(m_dir);
        platform::SeedRand(1);
    }
    void TearDown() override {
        std::filesystem::remove_all(m_dir);
        platform::SeedRand(1);
    }

    [[nodiscard]] std::string Path(const std::string& name) const {
        return (m_dir / name).string();
    }

    static std::unique_ptr<CMdosDisk> Formatted(int tracks = 94, int sectors = 9) {
        auto disk = std::make_unique<CMdosDisk>();
        disk->Format(tracks, sectors, "noname");
        return disk;
    }

    testsupport::ScriptedMessages recorder;

private:
    std::filesystem::path m_dir;
};

inline void WriteFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

inline Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A binary-looking template entry of the given length.
inline Bytes Entry(CMdosDisk& disk, const char* name, int length, char type = 'B') {
    Bytes e(CMdosDisk::kDirEntrySize, CMdosDisk::kFreeEntry);
    e[0] = static_cast<unsigned char>(type);
    disk.SetEntryName(e.data(), name);
    disk::SetEntryLength(e.data(), length);
    disk.SetEntryAttributes(e.data(), "RWD");
    return e;
}

inline unsigned char* AddPattern(CMdosDisk& disk, const char* name, int length, int seed = 0) {
    unsigned char* out = nullptr;
    const Bytes data = Pattern(length, seed);
    EXPECT_EQ(disk.AddFile(&out, Entry(disk, name, length).data(), data.data(), length), 0);
    return out;
}

inline Bytes FileData(CMdosDisk& disk, unsigned char* entry, int length) {
    Bytes data(static_cast<std::size_t>(length));
    disk.ReadFileData(entry, data.data(), length);
    return data;
}

inline std::string Name(CMdosDisk& disk, unsigned char* entry) {
    char buf[11];
    return disk.GetEntryName(entry, buf, sizeof buf);
}

inline int Fat(CMdosDisk& disk, int index) {
    return disk.GetFatEntry(disk.GetSector(CMdosDisk::kFirstFatSector), index);
}

inline Bytes SectorData(CMdosDisk& disk) {
    return Bytes(disk.GetSector(0), disk.GetSector(0) + CMdosDisk::kSectorDataSize);
}

using testing_disks::UsedEntries;

}  // namespace disktest
