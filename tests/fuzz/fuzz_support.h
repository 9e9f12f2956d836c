// What every harness needs: a failed expectation that stops the run (libFuzzer keeps the input,
// the replay test fails), a scratch folder for host files, and message boxes that answer
// without a window.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "check/volume_check.h"
#include "disk/mdos_disk.h"
#include "disk/mdos_format.h"
#include "platform/message_box.h"
#include "record_input.h"
#include "support/used_entries.h"

#define FUZZ_EXPECT(condition)                                                            \
    do {                                                                                  \
        if (!(condition)) {                                                               \
            std::fprintf(stderr, "%s:%d: expected %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                 \
        }                                                                                 \
    } while (false)

namespace fuzzsupport {

using Bytes = std::vector<unsigned char>;

// One folder per process under the temporary folder (TMPDIR), emptied when the process ends.
class ScratchFolder {
public:
    ScratchFolder()
        : m_dir(std::filesystem::temp_directory_path() /
                ("brindle_fuzz_" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(m_dir);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    [[nodiscard]] std::string Path(const char* name) const { return (m_dir / name).string(); }

private:
    std::filesystem::path m_dir;
};

inline const ScratchFolder& Scratch() {
    static const ScratchFolder folder;
    return folder;
}

inline void WriteHostFile(const std::string& path, const unsigned char* data, std::size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

inline Bytes ReadHostFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A disk kept for the whole run and reset for every input from a copy made once: allocating and
// formatting 866,816 bytes anew for every input would cost more than the harness itself.
// tracks 0 keeps the copy zero-filled, as a new disk is.
class ReusedDisk {
public:
    explicit ReusedDisk(int tracks, const char* name = "") {
        if (tracks != 0) {
            m_template->Format(tracks, 9, name);
        }
    }
    CMdosDisk& Fresh() {
        std::memcpy(m_disk->Record(), m_template->Record(), CMdosDisk::kRecordSize);
        return *m_disk;
    }

private:
    std::unique_ptr<CMdosDisk> m_template = std::make_unique<CMdosDisk>();
    std::unique_ptr<CMdosDisk> m_disk = std::make_unique<CMdosDisk>();
};

// A disk kept for the whole run whose record each input describes (see record_input.h), behind
// one option byte: its bits 0-1 pick the record to start from, bits 2-7 are the harness's.
class InputDisk {
public:
    CMdosDisk& Read(const uint8_t* data, std::size_t size) {
        unsigned char* record = m_disk->Record();
        std::memcpy(record, fuzzrecord::BaseRecord(size > 0 ? data[0] : 0), CMdosDisk::kRecordSize);
        if (size > 0) {
            fuzzrecord::ApplyPatches(data + 1, size - 1, &record, 1);
        }
        return *m_disk;
    }

private:
    std::unique_ptr<CMdosDisk> m_disk = std::make_unique<CMdosDisk>();
};

// Counts the boxes shown and answers the one question ("cut the file?") as told.
class QuietMessages {
public:
    explicit QuietMessages(bool answerYes = false)
        : m_previous(platform::SetMessageHandler(
              [this, answerYes](platform::MessageKind kind, const std::string& text) {
                  m_texts.push_back(text);
                  if (!platform::IsQuestion(kind)) {
                      return platform::Answer::Ok;
                  }
                  return answerYes ? platform::Answer::Yes : platform::Answer::No;
              })) {}
    ~QuietMessages() { platform::SetMessageHandler(std::move(m_previous)); }
    QuietMessages(const QuietMessages&) = delete;
    QuietMessages& operator=(const QuietMessages&) = delete;

    [[nodiscard]] bool Showed(const std::string& text) const {
        for (const std::string& shown : m_texts) {
            if (shown == text) {
                return true;
            }
        }
        return false;
    }

private:
    platform::MessageHandler m_previous;
    std::vector<std::string> m_texts;
};

using testing_disks::UsedEntries;

inline Bytes FileData(CMdosDisk& disk, unsigned char* entry) {
    Bytes data(static_cast<std::size_t>(disk::EntryLength(entry)));
    disk.ReadFileData(entry, data.data(), static_cast<int>(data.size()));
    return data;
}

// Two files are the same when their entries agree in everything but where the chain starts,
// and their bytes agree.
inline bool SameFile(CMdosDisk& a, unsigned char* ea, CMdosDisk& b, unsigned char* eb) {
    for (int i = 0; i < CMdosDisk::kDirEntrySize; ++i) {
        const bool firstSector =
            i == CMdosDisk::kEntryFirstSector || i == CMdosDisk::kEntryFirstSector + 1;
        if (!firstSector && ea[i] != eb[i]) {
            return false;
        }
    }
    return FileData(a, ea) == FileData(b, eb);
}

// The checker's findings about the volume's structure (geometry, FAT, chains, lost sectors).
// Files keep the names and type letters they arrived with, so a copy or a rename may rightly
// leave two alike or an unknown letter; those findings are about the entries, not the volume.
inline std::vector<check::Finding> StructuralFindings(CMdosDisk& disk) {
    std::vector<check::Finding> findings = check::CheckDisk(disk, 0);
    std::erase_if(findings, [](const check::Finding& f) {
        return f.code == "name-duplicate" || f.code == "type-unknown";
    });
    return findings;
}

}  // namespace fuzzsupport
