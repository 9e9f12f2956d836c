// The child process that reads a tape: whatever the library does to it, the program gets an
// answer or a reason, and the outcome crosses over whole or not at all.
#include "tape/isolated.h"

#include <gtest/gtest.h>

#include <csignal>
#include <thread>

namespace {

TEST(IsolatedTest, ACrashOrAHangInTheChildIsAReasonNotAnEnd) {
    std::string result;
    std::string error;
    EXPECT_TRUE(tape::RunIsolated([] { return std::string("done"); }, 5, &result, &error));
    EXPECT_EQ(result, "done");

    EXPECT_FALSE(tape::RunIsolated(
        [] {
            std::raise(SIGSEGV);
            return std::string();
        },
        5, &result, &error));
    EXPECT_NE(error.find("stopped on it"), std::string::npos) << error;

    EXPECT_FALSE(tape::RunIsolated(
        [] {
            std::this_thread::sleep_for(std::chrono::seconds(30));
            return std::string();
        },
        1, &result, &error));
    EXPECT_NE(error.find("longer than 1 s"), std::string::npos) << error;
}

TEST(IsolatedTest, AnOutcomeCrossesWholeOrNotAtAll) {
    tape::Tape tape;
    tape.format = "TZX in zip";
    tape.plainTap = true;
    tape.blocks.push_back({"Standard Speed Data", false, {0, 3, 'a'}, true});
    tape.blocks.push_back({"Raw Data", true, {0xFF, 1, 2}, false});
    tape.blocks.push_back({"Pause", false, {}, true});
    const std::string wire = tape::EncodeRead(true, "", tape);
    bool read = false;
    std::string error;
    tape::Tape back;
    ASSERT_TRUE(tape::DecodeRead(wire, &read, &error, &back));
    EXPECT_TRUE(read);
    EXPECT_EQ(back.format, tape.format);
    EXPECT_TRUE(back.plainTap);
    ASSERT_EQ(back.blocks.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(back.blocks[i].kind, tape.blocks[i].kind);
        EXPECT_EQ(back.blocks[i].fromPulses, tape.blocks[i].fromPulses);
        EXPECT_EQ(back.blocks[i].checksumSound, tape.blocks[i].checksumSound);
        EXPECT_EQ(back.blocks[i].bytes, tape.blocks[i].bytes);
    }
    // A child that stopped while writing leaves a prefix: never taken for a shorter tape.
    for (std::size_t cut = 0; cut < wire.size(); ++cut) {
        EXPECT_FALSE(tape::DecodeRead(wire.substr(0, cut), &read, &error, &back)) << cut;
    }
    EXPECT_FALSE(tape::DecodeRead(wire + "x", &read, &error, &back));
}

}  // namespace
