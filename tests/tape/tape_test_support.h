// A scratch folder for tape files and the disk a tape import fills, for the tape tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "disk/mdos_disk.h"
#include "disk/mdos_format.h"
#include "platform/crt_random.h"
#include "support/tape_encoders.h"
#include "tape/tape_import.h"

namespace tapetest {

using tapebytes::Bytes;

class TapeFolder {
public:
    TapeFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "brindle-tape-XXXXXX");
        m_path = ::mkdtemp(pattern.data());
    }
    ~TapeFolder() { std::filesystem::remove_all(m_path); }
    TapeFolder(const TapeFolder&) = delete;
    TapeFolder& operator=(const TapeFolder&) = delete;

    [[nodiscard]] std::string Path(const std::string& name) const { return m_path + "/" + name; }

    std::string Write(const std::string& name, const Bytes& bytes) const {
        const std::string path = Path(name);
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return path;
    }

    [[nodiscard]] Bytes Read(const std::string& name) const {
        std::ifstream in(Path(name), std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }

private:
    std::string m_path;
};

// A tape disk formatted as every test's, so two imports that add the same files give the same
// record, byte for byte.
inline std::unique_ptr<CMdosDisk> TapeDisk() {
    auto disk = std::make_unique<CMdosDisk>();
    platform::SeedRand(1);
    disk::FormatAsTapeDisk(*disk);
    return disk;
}

inline Bytes RecordOf(const CMdosDisk& disk) {
    return Bytes(disk.Record(), disk.Record() + CMdosDisk::kRecordSize);
}

// The disk the tape at path makes, or an empty vector (with a test failure) when it can't be read.
inline Bytes ImportedRecord(const std::string& path) {
    tape::Tape tape;
    std::string error;
    if (!tape::ReadTape(path, &tape, &error)) {
        ADD_FAILURE() << error;
        return {};
    }
    auto disk = TapeDisk();
    EXPECT_TRUE(tape::ImportTape(*disk, tape).empty()) << path;
    return RecordOf(*disk);
}

}  // namespace tapetest
