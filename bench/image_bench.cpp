// Opening and saving a 256-disk image (222 MB) against a plain QFile read and write of the
// same bytes in the same run. A save is durable and atomic (a temporary file, flushed to the
// disk, renamed over the old one), so its baseline does the same with the same bytes: write,
// fdatasync, rename. The write that never syncs is printed too, but it measures the page
// cache, not the disk. The promise: open within 1.3x of the plain read, save within 1.5x of
// the synced write. The summary at the end prints the ratios of the medians.
//
//   brindle_image_bench [--benchmark_repetitions=N]   (the image lives in a temporary folder)
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "disk/mdos_disk.h"
#include "image/brindle_doc.h"
#include "summary.h"

namespace {

constexpr int kDisks = 256;
constexpr qint64 kRecord = CMdosDisk::kRecordSize;

struct Workspace {
    QTemporaryDir dir;
    QString source;     // the image the open benchmarks read
    QString target;     // the file the save benchmarks write
    QString temporary;  // where the synced baseline writes before its rename
    CBrindleDoc saved;  // 256 disks, for saving

    Workspace() {
        source = dir.filePath(QStringLiteral("source.trw"));
        target = dir.filePath(QStringLiteral("target.trw"));
        temporary = dir.filePath(QStringLiteral("target.trw.tmp"));
        unsigned state = 1;
        for (int i = 0; i < kDisks; ++i) {
            auto disk = std::make_unique<CMdosDisk>();
            unsigned char* record = disk->Record();
            for (qint64 b = 0; b < kRecord; b += 64) {
                state = state * 1103515245u + 12345u;
                std::memset(record + b, static_cast<int>(state >> 24), 64);
            }
            saved.m_disks.push_back(std::move(disk));
        }
        QFile file(source);
        if (!file.open(QIODevice::WriteOnly)) {
            std::fprintf(stderr, "cannot create %s\n", qPrintable(source));
            std::exit(1);
        }
        for (const auto& disk : saved.m_disks) {
            file.write(reinterpret_cast<const char*>(disk->Record()), kRecord);
        }
    }
};

Workspace& Work() {
    static Workspace work;
    return work;
}

// The bytes read into memory the way the document keeps them: 256 disks, newly allocated each
// time from the record pool and zero-filled as every new disk is: the memory is the same as
// BM_Open's, so the ratio measures only what the document does beyond the read.
void BM_PlainRead(benchmark::State& state) {
    Workspace& work = Work();
    for (auto _ : state) {
        std::vector<std::unique_ptr<CMdosDisk>> disks;
        disks.reserve(kDisks);
        QFile file(work.source);
        if (!file.open(QIODevice::ReadOnly)) {
            state.SkipWithError("open failed");
            break;
        }
        for (int i = 0; i < kDisks; ++i) {
            disks.push_back(std::make_unique<CMdosDisk>());
            if (file.read(reinterpret_cast<char*>(disks.back()->Record()), kRecord) != kRecord) {
                state.SkipWithError("short read");
            }
        }
        benchmark::DoNotOptimize(disks.data());
        state.PauseTiming();  // releasing the memory is not part of reading, here or in BM_Open
        disks.clear();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * kDisks * kRecord);
}

// The strictest baseline: the same bytes into one buffer that is already in memory.
void BM_PlainReadIntoWarmBuffer(benchmark::State& state) {
    Workspace& work = Work();
    std::vector<unsigned char> buffer(static_cast<std::size_t>(kDisks * kRecord), 1);
    for (auto _ : state) {
        QFile file(work.source);
        if (!file.open(QIODevice::ReadOnly)) {
            state.SkipWithError("open failed");
            break;
        }
        for (int i = 0; i < kDisks; ++i) {
            file.read(reinterpret_cast<char*>(buffer.data()) + i * kRecord, kRecord);
        }
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(state.iterations() * kDisks * kRecord);
}

void BM_Open(benchmark::State& state) {
    Workspace& work = Work();
    for (auto _ : state) {
        state.PauseTiming();
        auto doc = std::make_unique<CBrindleDoc>();
        state.ResumeTiming();
        if (!doc->OpenDocumentFile(work.source) || doc->m_disks.size() != kDisks) {
            state.SkipWithError("open failed");
        }
        state.PauseTiming();
        doc.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * kDisks * kRecord);
}

// Every record of the document into the open file, as the save writes them.
bool WriteRecords(QFile& file, CBrindleDoc& doc) {
    for (const auto& disk : doc.m_disks) {
        if (file.write(reinterpret_cast<const char*>(disk->Record()), kRecord) != kRecord) {
            return false;
        }
    }
    return true;
}

void BM_PlainWrite(benchmark::State& state) {
    Workspace& work = Work();
    for (auto _ : state) {
        QFile file(work.target);
        if (!file.open(QIODevice::WriteOnly)) {
            state.SkipWithError("create failed");
            break;
        }
        if (!WriteRecords(file, work.saved)) {
            state.SkipWithError("write failed");
        }
        file.close();
    }
    state.SetBytesProcessed(state.iterations() * kDisks * kRecord);
}

// The floor of a durable, atomic save: the same bytes into a temporary file beside the target,
// fdatasync, rename over the target.
void BM_SyncedWriteAndRename(benchmark::State& state) {
    Workspace& work = Work();
    const QByteArray temporary = QFile::encodeName(work.temporary);
    const QByteArray target = QFile::encodeName(work.target);
    for (auto _ : state) {
        QFile file(work.temporary);
        if (!file.open(QIODevice::WriteOnly)) {
            state.SkipWithError("create failed");
            break;
        }
        if (!WriteRecords(file, work.saved)) {
            state.SkipWithError("write failed");
        }
        if (!file.flush() || ::fdatasync(file.handle()) != 0) {
            state.SkipWithError("sync failed");
        }
        file.close();
        if (std::rename(temporary.constData(), target.constData()) != 0) {
            state.SkipWithError("rename failed");
        }
    }
    state.SetBytesProcessed(state.iterations() * kDisks * kRecord);
}

void BM_Save(benchmark::State& state) {
    Workspace& work = Work();
    for (auto _ : state) {
        if (!work.saved.DoSave(work.target)) {
            state.SkipWithError("save failed");
        }
    }
    state.SetBytesProcessed(state.iterations() * kDisks * kRecord);
}

BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PlainReadIntoWarmBuffer)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Open)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PlainWrite)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SyncedWriteAndRename)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    return bench::RunAndSummarize(
        argc, argv, [] { Work(); },
        [](const bench::SummaryReporter& r) {
            std::printf("open / plain read              = %.2fx (goal <= 1.3x)\n",
                        r.Ratio("BM_Open", "BM_PlainRead"));
            std::printf("open / plain read, warm buffer = %.2fx\n",
                        r.Ratio("BM_Open", "BM_PlainReadIntoWarmBuffer"));
            std::printf("save / synced write + rename   = %.2fx (goal <= 1.5x)\n",
                        r.Ratio("BM_Save", "BM_SyncedWriteAndRename"));
            std::printf("save / plain write (no sync)   = %.2fx\n",
                        r.Ratio("BM_Save", "BM_PlainWrite"));
        });
}
