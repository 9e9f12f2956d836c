// One tape made and converted by the independent tools of the field: a BASIC program from
// zmakebas and code from pasmo as TAP, that TAP as TZX and CSW by tapeconv, as WAV by tape2wav,
// gzipped, and as PZX by our own writer. Every one gives the disk the TAP gives, and so does the
// WAV after it has been worn: played 3 % fast, quieter, with hiss.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "tape_test_support.h"

namespace {

using tapebytes::Bytes;
using tapetest::ImportedRecord;
using tapetest::TapeFolder;

const char kProgram[] =
    "10 REM interop\n"
    "20 DEF FN s(x)=x*x\n"
    "30 PRINT FN s(3); 1.5e10\n"
    "40 LET a$=\"\\a\\b\"\n";
const char kCode[] = "org 32768\nld a,7\nld (23624),a\nret\n";

int RunTool(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str());
}

std::vector<Bytes> SplitTap(const Bytes& tap) {
    std::vector<Bytes> blocks;
    for (std::size_t at = 0; at + 2 <= tap.size();) {
        const std::size_t length = tap[at] | tap[at + 1] << 8;
        blocks.emplace_back(tap.begin() + static_cast<long>(at) + 2,
                            tap.begin() + static_cast<long>(at + 2 + length));
        at += 2 + length;
    }
    return blocks;
}

// The samples of an 8-bit mono WAV, resampled faster, scaled down and with hiss added.
Bytes Wear(const Bytes& wav, double speed, double gain, double noise) {
    const std::size_t data = 44;
    std::mt19937 random(11);
    std::normal_distribution<double> hiss(0.0, noise * 127.0);
    Bytes samples;
    for (double at = 0; data + static_cast<std::size_t>(at) < wav.size(); at += speed) {
        const double level =
            (wav[data + static_cast<std::size_t>(at)] - 128.0) * gain + hiss(random);
        samples.push_back(
            static_cast<unsigned char>(std::lround(std::fmax(0, std::fmin(255, 128 + level)))));
    }
    Bytes out(wav.begin(), wav.begin() + data);
    const auto size = static_cast<std::uint32_t>(samples.size());
    std::copy_n(tapebytes::Le32(size + 36).begin(), 4, out.begin() + 4);
    std::copy_n(tapebytes::Le32(size).begin(), 4, out.begin() + 40);
    return tapebytes::Joined(out, samples);
}

TEST(InteropTest, ToolsOfTheFieldAndOurPzxGiveTheFilesOfTheirTap) {
    TapeFolder folder;
    folder.Write("prog.bas", Bytes(std::begin(kProgram), std::end(kProgram) - 1));
    folder.Write("code.asm", Bytes(std::begin(kCode), std::end(kCode) - 1));
    const std::string dir = folder.Path("");
    ASSERT_EQ(RunTool(std::string(BRINDLE_ZMAKEBAS) + " -n interop -a 10 -o " + dir + "prog.tap " +
                      dir + "prog.bas"),
              0);
    ASSERT_EQ(
        RunTool(std::string(BRINDLE_PASMO) + " --tap " + dir + "code.asm " + dir + "code.tap"), 0);
    Bytes tap = folder.Read("prog.tap");
    testbytes::Append(tap, folder.Read("code.tap"));
    const std::string tapPath = folder.Write("both.tap", tap);
    ASSERT_EQ(RunTool(std::string(BRINDLE_TAPECONV) + " " + tapPath + " " + dir + "both.tzx"), 0);
    ASSERT_EQ(RunTool(std::string(BRINDLE_TAPECONV) + " " + tapPath + " " + dir + "both.csw"), 0);
    ASSERT_EQ(RunTool(std::string(BRINDLE_TAPE2WAV) + " " + tapPath + " " + dir + "both.wav"), 0);
    ASSERT_EQ(RunTool(std::string(BRINDLE_GZIP) + " -k " + dir + "both.tzx"), 0);
    folder.Write("both.pzx", tapebytes::PzxFile(SplitTap(tap)));
    folder.Write("worn.wav", Wear(folder.Read("both.wav"), 1.03, 0.4, 0.05));

    const Bytes expected = ImportedRecord(tapPath);
    auto disk = tapetest::TapeDisk();
    disk->ImportTap(tapPath.c_str());
    ASSERT_EQ(tapetest::RecordOf(*disk), expected);
    EXPECT_EQ(disk->GetFilesCount(), 2);
    for (const char* name :
         {"both.tzx", "both.tzx.gz", "both.csw", "both.wav", "worn.wav", "both.pzx"}) {
        EXPECT_EQ(ImportedRecord(folder.Path(name)), expected) << name;
    }
}

// An archive is unpacked only when it is whole and no larger than a tape could be: a small
// file that unpacks to gigabytes, or one cut short, is refused before libspectrum sees it.
TEST(InteropTest, ArchivesThatUnpackTooFarOrEndTooSoonAreRefused) {
    TapeFolder folder;
    folder.Write("zeros.tzx", Bytes(3 << 20, 0));
    ASSERT_EQ(RunTool(std::string(BRINDLE_GZIP) + " -k " + folder.Path("zeros.tzx")), 0);
    const Bytes packed = folder.Read("zeros.tzx.gz");
    folder.Write("cut.tzx.gz", Bytes(packed.begin(), packed.begin() + packed.size() / 2));
    tape::ReadLimits limits;
    limits.maxUnpackedSize = 2 << 20;
    for (const auto& [name, reason] : {std::pair{"zeros.tzx.gz", "unpacks to more than any tape"},
                                       {"cut.tzx.gz", "cut short"}}) {
        tape::Tape tape;
        std::string error;
        EXPECT_FALSE(tape::ReadTape(folder.Path(name), &tape, &error, limits)) << name;
        EXPECT_NE(error.find(reason), std::string::npos) << error;
    }
}

}  // namespace
