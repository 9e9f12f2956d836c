// A rollback journal from outside (a crash left it, or anything that took its name) applied to
// the image beside it. The input is the journal without its checksum, which the harness adds,
// so that the places and lengths behind it are explored rather than stopped at the checksum.
// A journal is applied whole or not at all: rolled back, the file has the old length the
// journal gives and the old bytes of every place; anything else leaves the file untouched.
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "platform/in_place_change.h"

namespace {

constexpr std::size_t kImageSize = 8192;
constexpr std::uint64_t kLongestOldLength = 1 << 20;  // rollbacks past this only make sparse files

std::uint64_t Le64(const uint8_t* p) {
    std::uint64_t value = 0;
    for (int i = 7; i >= 0; --i) {
        value = value << 8 | p[i];
    }
    return value;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size >= 16 && Le64(data + 8) > kLongestOldLength) {
        return 0;
    }
    const std::string image = fuzzsupport::Scratch().Path("img.trw");
    std::vector<unsigned char> bytes(kImageSize);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<unsigned char>(i * 13 + 5);
    }
    fuzzsupport::WriteHostFile(image, bytes.data(), bytes.size());
    std::vector<unsigned char> journal(data, data + size);
    const std::uint64_t sum = platform::JournalChecksum(data, static_cast<std::int64_t>(size));
    for (int i = 0; i < 8; ++i) {
        journal.push_back(static_cast<unsigned char>(sum >> (8 * i)));
    }
    const std::string journalPath = platform::JournalPath(image);
    fuzzsupport::WriteHostFile(journalPath, journal.data(), journal.size());

    std::string error;
    const platform::Recovery recovery = platform::RecoverFile(image, &error);
    const std::string after = ReadFile(image);
    if (recovery == platform::Recovery::RolledBack) {
        if (after.size() != Le64(data + 8)) {
            std::fprintf(stderr, "rolled back to %zu bytes, not the journal's old length\n",
                         after.size());
            std::abort();
        }
    } else if (after.size() != kImageSize ||
               std::memcmp(after.data(), bytes.data(), kImageSize) != 0) {
        std::fprintf(stderr, "a journal that was not applied changed the file\n");
        std::abort();
    }
    std::remove(journalPath.c_str());
    return 0;
}
