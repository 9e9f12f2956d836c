// Reading a 5-minute cassette recorded at 44.1 kHz (8-bit mono WAV, 13 MB): libspectrum turns
// the samples into edges and the pulse decoder reads the blocks out of them, as tape-import and
// tape-list do. The promise: under a second. The same tape as a TZX, whose blocks are stored
// as bytes, is the figure beside it.
//
//   brindle_tape_bench [--benchmark_repetitions=N]   (the files live in a temporary folder)
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/tape_encoders.h"
#include "tape/tape_file.h"

namespace {

constexpr double kSeconds = 300;

// Screens and code with their headers until the tape plays for five minutes.
std::vector<tapebytes::Bytes> FiveMinutesOfBlocks() {
    std::vector<tapebytes::Bytes> blocks;
    double played = 0;
    for (int i = 0; played < kSeconds * 3'500'000; ++i) {
        blocks.push_back(tapebytes::Unframed(testbytes::TapHeader(3, "screen", 6912, 16384, 0)));
        blocks.push_back(
            tapebytes::Unframed(testbytes::TapBlock(0xFF, testbytes::Pattern(6912, i, 37, 256))));
        played = 0;
        for (const std::uint32_t pulse : tapebytes::RomPulses(blocks)) {
            played += pulse;
        }
    }
    return blocks;
}

class Files {
public:
    Files() {
        std::string pattern = (std::filesystem::temp_directory_path() / "brindle-bench-XXXXXX");
        m_dir = ::mkdtemp(pattern.data());
        const std::vector<tapebytes::Bytes> blocks = FiveMinutesOfBlocks();
        std::vector<tapebytes::Bytes> tzx;
        for (const tapebytes::Bytes& block : blocks) {
            tzx.push_back(tapebytes::TzxStandard(block));
        }
        Write(Wav(), tapebytes::WavFile(blocks));
        Write(Tzx(), tapebytes::TzxFile(tzx));
        m_blocks = blocks.size();
    }
    ~Files() { std::filesystem::remove_all(m_dir); }
    Files(const Files&) = delete;
    Files& operator=(const Files&) = delete;

    [[nodiscard]] std::string Wav() const { return m_dir + "/tape.wav"; }
    [[nodiscard]] std::string Tzx() const { return m_dir + "/tape.tzx"; }
    [[nodiscard]] std::size_t Blocks() const { return m_blocks; }

private:
    static void Write(const std::string& path, const tapebytes::Bytes& bytes) {
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }

    std::string m_dir;
    std::size_t m_blocks = 0;
};

const Files& TheFiles() {
    static const Files files;
    return files;
}

void Read(benchmark::State& state, const std::string& path) {
    for (auto _ : state) {
        tape::Tape tape;
        std::string error;
        if (!tape::ReadTape(path, &tape, &error) || tape.blocks.size() != TheFiles().Blocks()) {
            state.SkipWithError(("the tape did not read back whole: " + error).c_str());
            return;
        }
        benchmark::DoNotOptimize(tape);
    }
}

void BM_FiveMinuteWav(benchmark::State& state) {
    Read(state, TheFiles().Wav());
}
BENCHMARK(BM_FiveMinuteWav)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SameTapeAsTzx(benchmark::State& state) {
    Read(state, TheFiles().Tzx());
}
BENCHMARK(BM_SameTapeAsTzx)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
