// A changing command on one disk of a 4096-disk image (3.5 GB) against the same command on a
// 1-disk image, and the window opening each image to a painted tree, in time and in the
// process's peak memory, each run as a user runs it. The promise: within 2x of the 1-disk case
// in both, and the window under 150 MB. The images are made in the build folder and deleted
// after the run. The window runs in a process of its own (this program, started again with
// --open-window IMAGE) on the offscreen platform, with its settings in a temporary folder.
//
//   brindle_image_scale_bench [--benchmark_repetitions=N]
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTreeView>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "app/brindle_app.h"
#include "app/main_frame.h"
#include "framework/settings.h"
#include "image/brindle_doc.h"
#include "summary.h"
#include "tree/left_view.h"

extern char** environ;

namespace {

constexpr int kManyDisks = 4096;

std::string g_self;  // this program, for the window's own process

// Runs a program to its end; false when it failed. *peakKiB is the process's peak resident
// memory.
bool RunProgram(const std::string& program, const QStringList& arguments, long* peakKiB) {
    std::vector<std::string> words{program};
    for (const QString& argument : arguments) {
        words.push_back(QFile::encodeName(argument).toStdString());
    }
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int spawned = ::posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        return false;
    }
    int status = 0;
    rusage usage{};
    if (::wait4(child, &status, 0, &usage) != child) {
        return false;
    }
    if (peakKiB != nullptr) {
        *peakKiB = usage.ru_maxrss;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool RunCli(const QStringList& arguments, long* peakKiB = nullptr) {
    return RunProgram(BRINDLE_CLI_PATH, arguments, peakKiB);
}

// The window's process: opens image as `brindle IMAGE` does and ends once the tree holds every
// disk and the window has been painted.
int OpenWindow(int argc, char** argv, const QString& image) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const QApplication application(argc, argv);
    const QTemporaryDir settings;
    framework::SetSettingsFolder(settings.path());
    CBrindleApp app;
    if (!app.InitInstance({QStringLiteral("brindle"), image})) {
        return 1;
    }
    CMainFrame* frame = app.GetMainWnd();
    const QAbstractItemModel* tree = frame->GetTreeView()->model();
    const auto expected = static_cast<int>(app.GetDocument().m_disks.size());
    while (tree->rowCount() != expected) {
        QApplication::processEvents();
    }
    QApplication::processEvents();
    return frame->grab().isNull() || expected == 0 ? 1 : 0;
}

struct Images {
    QString folder = QStringLiteral(BRINDLE_BENCH_FOLDER "/image-scale");
    QString many = folder + QStringLiteral("/many.trw");
    QString one = folder + QStringLiteral("/one.trw");
    QString data = folder + QStringLiteral("/data.bin");

    Images() {
        QDir().mkpath(folder);
        QFile file(data);
        if (!file.open(QIODevice::WriteOnly) || file.write(QByteArray(20000, 'x')) != 20000) {
            std::fprintf(stderr, "cannot create %s\n", qPrintable(data));
            std::exit(1);
        }
        file.close();
        if (!RunCli({"create", many, "--disks", QString::number(kManyDisks), "--force"}) ||
            !RunCli({"create", one, "--disks", "1", "--force"})) {
            std::fprintf(stderr, "cannot make the images in %s\n", qPrintable(folder));
            std::exit(1);
        }
    }
    ~Images() { QDir(folder).removeRecursively(); }
    Images(const Images&) = delete;
    Images& operator=(const Images&) = delete;
};

Images& Work() {
    static Images images;
    return images;
}

// One changing command, as a user runs it, on the last disk of an image: put (over a file of
// the same name), rm (of a file put there first, untimed) and rename-disk.
enum class Command { Put, Rm, RenameDisk };

void Change(benchmark::State& state, Command command, const QString& image, int disk) {
    const QString index = QString::number(disk);
    long peak = 0;
    for (auto _ : state) {
        long used = 0;
        bool done = false;
        switch (command) {
            case Command::Put:
                done =
                    RunCli({"put", image, index, Work().data, "--as", "bench", "--replace"}, &used);
                break;
            case Command::Rm:
                state.PauseTiming();
                done = RunCli({"put", image, index, Work().data, "--as", "bench", "--replace"});
                state.ResumeTiming();
                done = done && RunCli({"rm", image, index, "bench"}, &used);
                break;
            case Command::RenameDisk:
                done = RunCli({"rename-disk", image, index, "bench"}, &used);
                break;
        }
        if (!done) {
            state.SkipWithError("brindle-cli failed");
            return;
        }
        peak = std::max(peak, used);
    }
    state.counters["peak_MiB"] = static_cast<double>(peak) / 1024.0;
}

// Each command on the last of 4096 disks, then on the only disk of a 1-disk image.
void RegisterChanges() {
    const std::pair<const char*, Command> commands[] = {
        {"Put", Command::Put}, {"Rm", Command::Rm}, {"RenameDisk", Command::RenameDisk}};
    for (const auto& [name, command] : commands) {
        const Command which = command;
        benchmark::RegisterBenchmark(
            (std::string("BM_") + name + "4096").c_str(),
            [which](benchmark::State& state) { Change(state, which, Work().many, kManyDisks - 1); })
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Iterations(3);
        benchmark::RegisterBenchmark(
            (std::string("BM_") + name + "1").c_str(),
            [which](benchmark::State& state) { Change(state, which, Work().one, 0); })
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Iterations(3);
    }
}

void Open(benchmark::State& state, const QString& image) {
    long peak = 0;
    for (auto _ : state) {
        long used = 0;
        if (!RunProgram(g_self, {"--open-window", image}, &used)) {
            state.SkipWithError("the window did not open the image");
            return;
        }
        peak = std::max(peak, used);
    }
    state.counters["peak_MiB"] = static_cast<double>(peak) / 1024.0;
}

void BM_WindowOpens4096(benchmark::State& state) {
    Open(state, Work().many);
}
BENCHMARK(BM_WindowOpens4096)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_WindowOpens1(benchmark::State& state) {
    Open(state, Work().one);
}
BENCHMARK(BM_WindowOpens1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--open-window") {
        return OpenWindow(argc, argv, QString::fromLocal8Bit(argv[2]));
    }
    g_self = argv[0];
    RegisterChanges();
    return bench::RunAndSummarize(
        argc, argv, [] { Work(); },
        [](const bench::SummaryReporter& r) {
            for (const char* name : {"Put", "Rm", "RenameDisk", "WindowOpens"}) {
                const std::string many = std::string("BM_") + name + "4096";
                const std::string one = std::string("BM_") + name + "1";
                std::printf(
                    "%-11s 4096 disks / 1 disk: time %.2fx, peak memory %.2fx (goal <= 2x)\n", name,
                    r.Ratio(many.c_str(), one.c_str()),
                    r.CounterRatio(many.c_str(), one.c_str(), "peak_MiB"));
            }
            std::printf("window open, 4096 disks: peak memory %.1f MiB (goal < 150 MB)\n",
                        r.CounterOf("BM_WindowOpens4096", "peak_MiB"));
        });
}
