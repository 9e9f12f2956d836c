// What the computed disk tree costs against an eager tree of widget items: building the items
// of 1, 16 and 256 disks (1695 items each), in time and in memory.
//
// Memory is reported twice: heap bytes in use (glibc's count, exact) and the growth of the
// resident set (from /proc/self/statm, after freed memory went back to the system).
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <QApplication>
#include <QIcon>
#include <QTreeWidget>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "icons/icons.h"
#include "image/brindle_doc.h"
#include "image/item_info.h"
#include "tree/left_view.h"

namespace {

CBrindleDoc& DocumentOf(int disks) {
    static std::map<int, std::unique_ptr<CBrindleDoc>> documents;
    std::unique_ptr<CBrindleDoc>& doc = documents[disks];
    if (!doc) {
        doc = std::make_unique<CBrindleDoc>();
        for (int i = 0; i < disks; ++i) {
            auto disk = std::make_unique<CMdosDisk>();
            disk->SetDiskName(("Disk " + std::to_string(i)).c_str());
            doc->m_disks.push_back(std::move(disk));
        }
    }
    return *doc;
}

struct Memory {
    double heapBytes;
    double residentBytes;
};

Memory MemoryNow() {
    malloc_trim(0);
    const struct mallinfo2 info = mallinfo2();
    long pages = 0;
    long resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return {static_cast<double>(info.uordblks + info.hblkhd),
            static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE))};
}

void ReportMemory(benchmark::State& state, const Memory& before, const Memory& after) {
    constexpr double kMiB = 1024.0 * 1024.0;
    state.counters["heap_MiB"] = (after.heapBytes - before.heapBytes) / kMiB;
    state.counters["rss_MiB"] = (after.residentBytes - before.residentBytes) / kMiB;
    state.counters["items"] = static_cast<double>(state.range(0)) * 1695;
}

// The computed model behind the real view.
void BM_ComputedTree(benchmark::State& state) {
    CBrindleDoc& doc = DocumentOf(static_cast<int>(state.range(0)));
    {
        const Memory before = MemoryNow();
        auto view = std::make_unique<CLeftView>();
        view->SetDocument(&doc);
        view->BuildDiskItems(0, true);
        ReportMemory(state, before, MemoryNow());
    }
    CLeftView view;
    view.SetDocument(&doc);
    for (auto _ : state) {
        state.PauseTiming();
        view.ClearTree();
        state.ResumeTiming();
        benchmark::DoNotOptimize(view.BuildDiskItems(0, false));
    }
}

// The same items made one by one as widget items, each with its own record.
void BuildWidgetItems(QTreeWidget& tree, CBrindleDoc& doc, const std::vector<QIcon>& icons) {
    for (int i = 0; i < static_cast<int>(doc.m_disks.size()); ++i) {
        CMdosDisk* disk = doc.m_disks[static_cast<size_t>(i)].get();
        char name[512];
        auto* diskItem = new QTreeWidgetItem(tree.invisibleRootItem());
        diskItem->setText(0, QString::fromLatin1(disk->GetDiskName(name, sizeof name)));
        diskItem->setIcon(0, icons[i == 0 ? 0 : 1]);
        diskItem->setData(0, Qt::UserRole, QVariant::fromValue(ItemInfo{i, KindFiles, disk}));
        auto* tags = new QTreeWidgetItem(diskItem, {QStringLiteral("Tarrow tags")});
        tags->setIcon(0, icons[2]);
        tags->setData(0, Qt::UserRole, QVariant::fromValue(ItemInfo{i, KindRecordHeader, disk}));
        auto* volume = new QTreeWidgetItem(diskItem, {QStringLiteral("MDOS disk")});
        volume->setIcon(0, icons[2]);
        volume->setData(0, Qt::UserRole, QVariant::fromValue(ItemInfo{i, KindProperties, disk}));
        for (int s = 0; s < CMdosDisk::kSectorCount; ++s) {
            auto* sector = new QTreeWidgetItem(volume);
            sector->setText(0, s == 0   ? QStringLiteral("Sector 0 (BOOT)")
                               : s < 6  ? QString::asprintf("Sector %d (FAT)", s)
                               : s < 14 ? QString::asprintf("Sector %d (DIR)", s)
                                        : QString::asprintf("Sector %d", s));
            sector->setIcon(0, icons[s == 0 ? 0 : s < 6 ? 3 : s < 14 ? 4 : 2]);
            sector->setData(0, Qt::UserRole,
                            QVariant::fromValue(ItemInfo{i, KindSector, disk, nullptr, s, 0}));
        }
    }
}

void BM_WidgetItemTree(benchmark::State& state) {
    CBrindleDoc& doc = DocumentOf(static_cast<int>(state.range(0)));
    std::vector<QIcon> icons;
    for (int i = 0; i < icons::kTreeIconCount; ++i) {
        icons.emplace_back(icons::PaintTreeIcon(i));
    }
    {
        const Memory before = MemoryNow();
        auto tree = std::make_unique<QTreeWidget>();
        BuildWidgetItems(*tree, doc, icons);
        ReportMemory(state, before, MemoryNow());
    }
    QTreeWidget tree;
    for (auto _ : state) {
        state.PauseTiming();
        tree.clear();
        state.ResumeTiming();
        BuildWidgetItems(tree, doc, icons);
    }
}

BENCHMARK(BM_ComputedTree)->Arg(1)->Arg(16)->Arg(256)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WidgetItemTree)->Arg(1)->Arg(16)->Arg(256)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
