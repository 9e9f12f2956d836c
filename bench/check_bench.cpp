// The volume checker over every disk of a 256-disk image (222 MB) against a plain read of the
// same file in the same run. The promise: checking all disks takes less than reading the file.
// A check needs only the boot sector, the FAT and the directory of each record, so the third
// figure reads just those (7.5 KB of each 846 KB record) by seeking, and checks them.
//
//   brindle_check_bench [--benchmark_repetitions=N]   (the image lives in a temporary folder)
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "check/volume_check.h"
#include "disk/mdos_disk.h"

namespace {

constexpr int kDisks = 256;
constexpr std::streamsize kRecord = CMdosDisk::kRecordSize;
// Record header, boot sector, FAT and directory: everything a check reads.
constexpr std::streamsize kVolumeAreas =
    CMdosDisk::kHeaderSize + CMdosDisk::kFirstDataSector * CMdosDisk::kSectorSize;

// Disks as a user leaves them: files of many sizes, some deleted, so chains are fragmented.
std::unique_ptr<CMdosDisk> FilledDisk(std::mt19937& rng) {
    auto disk = std::make_unique<CMdosDisk>();
    disk->Format(94, 9, "bench");
    std::vector<unsigned char> data(40000, 0x5A);
    std::vector<unsigned char*> files;
    for (int i = 0; i < 100; ++i) {
        unsigned char entry[CMdosDisk::kDirEntrySize];
        std::fill_n(entry, sizeof entry, CMdosDisk::kFreeEntry);
        entry[CMdosDisk::kEntryType] = 'B';
        disk->SetEntryName(entry, ("file" + std::to_string(i)).c_str());
        const int length = static_cast<int>(rng() % 12000);
        entry[CMdosDisk::kEntryLengthLow] = static_cast<unsigned char>(length & 0xFF);
        entry[CMdosDisk::kEntryLengthLow + 1] = static_cast<unsigned char>(length >> 8);
        entry[CMdosDisk::kEntryLengthHigh] = 0;
        unsigned char* added = nullptr;
        if (disk->AddFile(&added, entry, data.data(), length) == CMdosDisk::kAddDone &&
            rng() % 3 == 0) {
            disk->RemoveFile(added);
        }
    }
    return disk;
}

struct Workspace {
    std::filesystem::path dir;
    std::string path;
    std::vector<std::unique_ptr<CMdosDisk>> disks;

    Workspace() {
        dir = std::filesystem::temp_directory_path() /
              ("brindle_check_bench_" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        path = (dir / "image.trw").string();
        std::mt19937 rng(256);
        std::ofstream out(path, std::ios::binary);
        for (int i = 0; i < kDisks; ++i) {
            disks.push_back(FilledDisk(rng));
            out.write(reinterpret_cast<const char*>(disks.back()->Record()), kRecord);
        }
        if (!out) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            std::exit(1);
        }
    }
    ~Workspace() { std::filesystem::remove_all(dir); }
};

Workspace& Work() {
    static Workspace work;
    return work;
}

// The bytes of the file into 256 record buffers, newly allocated each time.
void BM_PlainRead(benchmark::State& state) {
    Workspace& work = Work();
    for (auto _ : state) {
        std::vector<std::unique_ptr<char[]>> records;
        std::ifstream in(work.path, std::ios::binary);
        for (int i = 0; i < kDisks; ++i) {
            records.emplace_back(new char[kRecord]);
            if (!in.read(records.back().get(), kRecord)) {
                state.SkipWithError("short read");
            }
        }
        benchmark::DoNotOptimize(records.data());
        state.PauseTiming();
        records.clear();
        state.ResumeTiming();
    }
}

// Every disk of the image, already in memory.
void BM_CheckAllDisks(benchmark::State& state) {
    Workspace& work = Work();
    for (auto _ : state) {
        std::size_t findings = 0;
        for (int i = 0; i < kDisks; ++i) {
            findings += check::CheckDisk(*work.disks[static_cast<std::size_t>(i)], i).size();
        }
        if (findings != 0) {
            state.SkipWithError("the bench disks should be clean");
        }
    }
}

// From the file: each record's volume areas read by seeking, then checked.
void BM_ReadVolumeAreasAndCheck(benchmark::State& state) {
    Workspace& work = Work();
    auto disk = std::make_unique<CMdosDisk>();
    for (auto _ : state) {
        std::ifstream in(work.path, std::ios::binary);
        std::size_t findings = 0;
        for (int i = 0; i < kDisks; ++i) {
            in.seekg(i * kRecord);
            in.read(reinterpret_cast<char*>(disk->Record()), kVolumeAreas);
            findings += check::CheckDisk(*disk, i).size();
        }
        if (!in || findings != 0) {
            state.SkipWithError("read failed or findings");
        }
    }
}

BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CheckAllDisks)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadVolumeAreasAndCheck)->Unit(benchmark::kMillisecond)->UseRealTime();

// Keeps the real time per iteration of each benchmark (the median when repeated).
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            const std::string name = run.run_name.function_name;
            if (median || (run.run_type == Run::RT_Iteration && !medians[name])) {
                times[name] = run.GetAdjustedRealTime();
                medians[name] = median;
            }
        }
    }
    std::map<std::string, double> times;
    std::map<std::string, bool> medians;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    Work();
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    auto& t = reporter.times;
    auto ratio = [&](const char* a, const char* b) {
        return t.count(a) && t.count(b) && t[b] > 0 ? t[a] / t[b] : 0.0;
    };
    std::printf("\ncheck of 256 disks / plain read          = %.3fx (goal < 1x)\n",
                ratio("BM_CheckAllDisks", "BM_PlainRead"));
    std::printf("read volume areas and check / plain read = %.3fx (goal < 1x)\n",
                ratio("BM_ReadVolumeAreasAndCheck", "BM_PlainRead"));
    return 0;
}
