// What a file holds, decoded as the viewer and brindle-cli view do. The promise: listing a
// 40 KB program and rendering a screen each take under 5 ms.
//
//   brindle_content_bench [--benchmark_repetitions=N]
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "content/basic_listing.h"
#include "content/screen_picture.h"
#include "summary.h"

namespace {

using Bytes = std::vector<unsigned char>;

constexpr std::size_t kProgramSize = 40 * 1024;
constexpr double kGoalMicroseconds = 5000;

void AppendNumber(Bytes& line, int value) {
    for (const char c : std::to_string(value)) {
        line.push_back(static_cast<unsigned char>(c));
    }
    line.insert(line.end(), {0x0E, 0x00, 0x00, static_cast<unsigned char>(value),
                             static_cast<unsigned char>(value >> 8), 0x00});
}

// Lines a game's loader and main loop are made of: PRINT AT with colours and a string, a FOR
// loop with numbers, IF ... THEN GO TO, a REM; 40 KB of them.
Bytes Program() {
    Bytes program;
    for (int number = 10; program.size() < kProgramSize; number += 10) {
        Bytes body;
        switch (number % 40) {
            case 10:
                body = {0xF5, 0xAC};  // PRINT AT
                AppendNumber(body, number % 22);
                body.push_back(',');
                AppendNumber(body, number % 32);
                body.insert(body.end(), {';', 0xD9});  // INK
                AppendNumber(body, number % 8);
                body.insert(body.end(), {';', '"', 0x10, 0x02, 'S', 'c', 'o', 'r', 'e', ' ', 0x90,
                                         0x8F, '"', ';', 's'});
                break;
            case 20:
                body = {0xEB, 'i', '='};  // FOR i=1 TO 100: NEXT i
                AppendNumber(body, 1);
                body.push_back(0xCC);
                AppendNumber(body, 100);
                body.insert(body.end(), {':', 0xF3, 'i'});
                break;
            case 30:
                body = {0xFA, 'x', 0xC9, 'y', 0xC6, 's', '>'};  // IF x<>y AND s>... THEN GO TO
                AppendNumber(body, 1000);
                body.insert(body.end(), {0xCB, 0xEC});
                AppendNumber(body, number);
                break;
            default:
                body = {0xEA};  // REM
                for (const char c : std::string("the main loop: keys, moves and the score")) {
                    body.push_back(static_cast<unsigned char>(c));
                }
        }
        body.push_back(0x0D);
        program.insert(program.end(),
                       {static_cast<unsigned char>(number >> 8), static_cast<unsigned char>(number),
                        static_cast<unsigned char>(body.size()),
                        static_cast<unsigned char>(body.size() >> 8)});
        program.insert(program.end(), body.begin(), body.end());
    }
    return program;
}

void BM_ListProgram40K(benchmark::State& state) {
    const Bytes program = Program();
    for (auto _ : state) {
        const std::string text = content::ListingText(content::DecodeBasic(program, {}));
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * program.size()));
}

void BM_RenderScreen(benchmark::State& state) {
    Bytes screen(content::kScreenBytes);
    for (std::size_t i = 0; i < screen.size(); ++i) {
        screen[i] = static_cast<unsigned char>(i * 37 + (i >> 5));
    }
    for (auto _ : state) {
        const content::ScreenPicture picture = content::DecodeScreen(screen);
        benchmark::DoNotOptimize(picture.pixels.data());
    }
}

BENCHMARK(BM_ListProgram40K)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_RenderScreen)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    return bench::RunAndSummarize(
        argc, argv, [] {},
        [](const bench::SummaryReporter& r) {
            std::printf("listing a 40 KB program = %8.1f us (goal < %.0f us)\n",
                        r.Time("BM_ListProgram40K"), kGoalMicroseconds);
            std::printf("rendering a screen      = %8.1f us (goal < %.0f us)\n",
                        r.Time("BM_RenderScreen"), kGoalMicroseconds);
        });
}
