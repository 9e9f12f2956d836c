// The rollback journal on its own: a journal that was never finished is dropped without touching
// the file, one that was is applied exactly (old bytes and old length), and a file that merely
// carries the journal's name is never taken for one.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/in_place_change.h"

namespace {

using platform::FilePlace;
using platform::Recovery;

class InPlaceChangeTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder = std::filesystem::temp_directory_path() /
                   ("brindle-journal-" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_folder);
        m_file = (m_folder / "img.trw").string();
        m_journal = platform::JournalPath(m_file);
        for (int i = 0; i < 3000; ++i) {
            m_old.push_back(static_cast<char>(i * 7));
        }
        Write(m_file, m_old);
    }
    void TearDown() override { std::filesystem::remove_all(m_folder); }

    static void Write(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    // A program that begins a change (a place inside, one reaching past the end, and a cut to
    // 1200 bytes) and stops after `writes` of its writes, leaving its journal.
    void StopAfter(int writes) {
        const pid_t child = ::fork();
        if (child == 0) {
            struct stat status {};
            ::stat(m_file.c_str(), &status);
            platform::InPlaceChange change;
            std::string error;
            const std::string news(1000, 'N');
            if (!change.Begin(m_file, status.st_dev, status.st_ino,
                              {{100, 1000}, {2500, 1000}, {1200, 1800}}, &error)) {
                ::_exit(1);
            }
            for (const std::int64_t at : {100, 2500, 1500}) {
                if (writes-- == 0) {
                    ::_exit(0);
                }
                change.Write(at, news.data(), at == 1500 ? 500 : 1000, &error);
            }
            ::ftruncate(::open(m_file.c_str(), O_WRONLY), 1200);  // cut too: the old length counts
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_EQ(WEXITSTATUS(status), 0);
    }

    std::filesystem::path m_folder;
    std::string m_file;
    std::string m_journal;
    std::string m_old;
};

TEST_F(InPlaceChangeTest, AStoppedChangeIsUndoneExactly) {
    for (int writes = 0; writes <= 3; ++writes) {
        StopAfter(writes);
        std::string error;
        EXPECT_EQ(platform::RecoverFile(m_file, &error), Recovery::RolledBack) << error;
        EXPECT_TRUE(Read(m_file) == m_old) << writes;
        EXPECT_FALSE(std::filesystem::exists(m_journal));
        EXPECT_EQ(platform::RecoverFile(m_file, &error), Recovery::Nothing);
    }
}

TEST_F(InPlaceChangeTest, AJournalCutShortOrSpoiledIsDroppedAndTheFileLeftAlone) {
    StopAfter(0);
    const std::string journal = Read(m_journal);
    std::vector<std::string> broken;
    for (std::size_t size : {std::size_t{0}, std::size_t{5}, std::size_t{24}, journal.size() / 2,
                             journal.size() - 1}) {
        broken.push_back(journal.substr(0, size));
    }
    std::string flipped = journal;
    flipped[journal.size() / 2] ^= 1;
    broken.push_back(flipped);
    for (const std::string& bytes : broken) {
        Write(m_journal, bytes);
        std::string error;
        EXPECT_EQ(platform::RecoverFile(m_file, &error), Recovery::Discarded) << bytes.size();
        EXPECT_TRUE(Read(m_file) == m_old);
        EXPECT_FALSE(std::filesystem::exists(m_journal));
    }
}

TEST_F(InPlaceChangeTest, AFileThatOnlyHasTheJournalsNameIsLeftAlone) {
    Write(m_journal, "notes about img.trw");
    std::string error;
    EXPECT_EQ(platform::RecoverFile(m_file, &error), Recovery::Failed);
    EXPECT_NE(error.find("not a journal"), std::string::npos) << error;
    EXPECT_EQ(Read(m_journal), "notes about img.trw");

    struct stat status {};
    ::stat(m_file.c_str(), &status);
    platform::InPlaceChange change;
    EXPECT_FALSE(change.Begin(m_file, status.st_dev, status.st_ino, {{0, 10}}, &error));
    EXPECT_TRUE(Read(m_file) == m_old);
    EXPECT_EQ(Read(m_journal), "notes about img.trw");
}

}  // namespace
