#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/crt_random.h"
#include "platform/host_file.h"
#include "platform/message_box.h"

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
    auto previous = platform::SetMessageHandler(
        [&](platform::MessageKind, const std::string& text) {
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

TEST(HostFile, MissingFileDoesNotOpenAndWritingTruncates) {
    const auto dir = std::filesystem::temp_directory_path() / "brindle_platform_test";
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "f.bin").string();
    std::filesystem::remove(path);

    platform::HostFile in;
    EXPECT_FALSE(in.OpenForReading(path.c_str()));
    EXPECT_EQ(in.Read(nullptr, 0), 0u);

    {
        platform::HostFile out;
        ASSERT_TRUE(out.CreateForWriting(path.c_str()));
        ASSERT_TRUE(out.Write("abcdef", 6));
    }
    {
        platform::HostFile out;
        ASSERT_TRUE(out.CreateForWriting(path.c_str()));
        ASSERT_TRUE(out.Write("xy", 2));
    }
    ASSERT_TRUE(in.OpenForReading(path.c_str()));
    char buf[8] = {};
    EXPECT_EQ(in.Read(buf, sizeof buf), 2u);
    EXPECT_EQ(std::string(buf, 2), "xy");
    in.Close();
    std::filesystem::remove_all(dir);
}

}  // namespace
