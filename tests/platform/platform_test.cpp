#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "platform/crt_random.h"
#include "platform/host_file.h"
#include "platform/message_box.h"
#include "platform/replacing_file.h"
#include "support/scripted_messages.h"

namespace {

TEST(CrtRandom, FollowsTheRuntimeSequenceFromSeedOne) {
    platform::SeedRand(1);
    const std::vector<int> expected{41, 18467, 6334, 26500, 19169};
    for (int value : expected) {
        EXPECT_EQ(platform::Rand(), value);
    }
    platform::SeedRand(1);
}

TEST(MessageBox, HandlerReceivesTextsAndPreviousHandlerIsReturned) {
    std::vector<std::string> seen;
    auto previous =
        platform::SetMessageHandler([&](platform::MessageKind, const std::string& text) {
            seen.push_back(text);
            return platform::Answer::Yes;
        });
    EXPECT_EQ(platform::ShowMessage(platform::MessageKind::Question, "q?"), platform::Answer::Yes);
    platform::SetMessageHandler(previous);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], "q?");
}

TEST(MessageBox, WithoutHandlerQuestionsAreAnsweredNo) {
    auto previous = platform::SetMessageHandler(nullptr);
    EXPECT_EQ(platform::ShowMessage(platform::MessageKind::Question, "q?"), platform::Answer::No);
    EXPECT_EQ(platform::ShowMessage(platform::MessageKind::Stop, "s"), platform::Answer::Ok);
    platform::SetMessageHandler(previous);
}

std::filesystem::path TestFolder() {
    return std::filesystem::temp_directory_path() /
           ("brindle_platform_test_" + std::to_string(::getpid()));
}

std::string Contents(const std::string& path) {
    platform::HostFile in;
    std::string text;
    if (in.OpenForReading(path.c_str())) {
        char buf[64];
        for (std::size_t n; (n = in.Read(buf, sizeof buf)) > 0;) {
            text.append(buf, n);
        }
    }
    return text;
}

bool Replace(const std::string& path, const std::string& text) {
    platform::ReplacingFile out;
    if (!out.Open(path.c_str())) {
        return false;
    }
    out.Write(text.data(), text.size());
    return out.Commit();
}

TEST(HostFile, MissingFileDoesNotOpenAndReplacingWritesTheWholeFile) {
    const auto dir = TestFolder();
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "f.bin").string();
    std::filesystem::remove(path);

    platform::HostFile in;
    EXPECT_FALSE(in.OpenForReading(path.c_str()));
    EXPECT_EQ(in.Read(nullptr, 0), 0u);

    ASSERT_TRUE(Replace(path, "abcdef"));
    ::chmod(path.c_str(), 0640);
    ASSERT_TRUE(Replace(path, "xy"));
    EXPECT_EQ(Contents(path), "xy");
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir),
                            std::filesystem::directory_iterator()),
              1);
    std::filesystem::remove_all(dir);
}

std::vector<std::string> Entries(const std::filesystem::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The bytes stay out of sight until Commit: a program killed midway, or a file dropped without
// Commit, leaves the folder exactly as it was.
TEST(ReplacingFile, NothingAppearsBeforeCommitAndNothingStaysWithoutIt) {
    const auto dir = TestFolder();
    std::filesystem::create_directories(dir);
    const std::string old = (dir / "old.bin").string();
    ASSERT_TRUE(Replace(old, "old"));
    const std::vector<std::string> before = Entries(dir);
    {
        platform::ReplacingFile fresh;
        platform::ReplacingFile replacing;
        ASSERT_TRUE(fresh.Open((dir / "new.bin").string().c_str()));
        ASSERT_TRUE(replacing.Open(old.c_str()));
        fresh.Write("abc", 3);
        replacing.Write("abc", 3);
        EXPECT_EQ(Entries(dir), before);
    }
    EXPECT_EQ(Entries(dir), before);
    EXPECT_EQ(Contents(old), "old");
    std::filesystem::remove_all(dir);
}

// A replaced file keeps its mode and its group.
TEST(ReplacingFile, ReplacedFileKeepsModeAndGroup) {
    const auto dir = TestFolder();
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "kept.bin").string();
    ASSERT_TRUE(Replace(path, "first"));

    // Root may give the file any group and replace a read-only file; another user may give it
    // only its own group.
    const bool root = ::geteuid() == 0;
    const gid_t other = root ? ::getegid() + 1 : ::getegid();
    ASSERT_EQ(::chown(path.c_str(), static_cast<uid_t>(-1), other), 0);
    const mode_t mode = root ? 0444 : 0640;
    ASSERT_EQ(::chmod(path.c_str(), mode), 0);

    ASSERT_TRUE(Replace(path, "second"));
    EXPECT_EQ(Contents(path), "second");
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, mode);
    EXPECT_EQ(st.st_gid, other);
    EXPECT_EQ(Entries(dir), std::vector<std::string>{"kept.bin"});
    std::filesystem::remove_all(dir);
}

// Opening a pipe would block until a writer appears, /dev/zero never ends and a directory reads
// nothing: none of them is a host file, so each returns at once unopened.
TEST(HostFile, OnlyRegularFilesOpen) {
    const auto dir = TestFolder();
    std::filesystem::create_directories(dir);
    const std::string fifo = (dir / "pipe").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);

    testsupport::ScriptedMessages recorder;
    platform::HostFile file;
    EXPECT_FALSE(file.OpenForReading(fifo.c_str()));
    EXPECT_FALSE(Replace(fifo, "x"));
    EXPECT_FALSE(file.OpenForReading(dir.string().c_str()));
    EXPECT_FALSE(Replace(dir.string(), "x"));
    EXPECT_FALSE(file.OpenForReading("/dev/zero"));
    EXPECT_FALSE(file.OpenForReading(nullptr));
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
    std::filesystem::remove_all(dir);
}

}  // namespace
