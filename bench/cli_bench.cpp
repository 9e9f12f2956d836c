// brindle-cli as a user runs it (a new process each time) on the last disk of a 256-disk image
// against the same command on a 1-disk image, and a changing command on the 256-disk image
// against a plain copy of the file with fsync. The promise: ls and get within 1.2x of the
// 1-disk image, a change within 1.5x of the copy. The summary prints the ratios of the medians.
//
//   brindle_cli_bench [--benchmark_repetitions=N]   (the images live in a temporary folder)
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kDisks = 256;

bool RunCli(const QStringList& arguments) {
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(QStringLiteral(BRINDLE_CLI_PATH), arguments);
    return process.waitForFinished(-1) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

struct Workspace {
    QTemporaryDir dir;
    QString big;    // 256 disks, a file on the last one
    QString small;  // 1 disk with the same file
    QString out;

    Workspace() {
        big = dir.filePath(QStringLiteral("big.trw"));
        small = dir.filePath(QStringLiteral("small.trw"));
        out = dir.filePath(QStringLiteral("out"));
        const QString data = dir.filePath(QStringLiteral("data.bin"));
        QFile file(data);
        if (!file.open(QIODevice::WriteOnly) || file.write(QByteArray(200000, 'x')) != 200000) {
            std::fprintf(stderr, "cannot create %s\n", qPrintable(data));
            std::exit(1);
        }
        file.close();
        if (!RunCli({"create", big, "--disks", QString::number(kDisks)}) ||
            !RunCli({"put", big, QString::number(kDisks - 1), data}) ||
            !RunCli({"create", small, "--disks", "1"}) || !RunCli({"put", small, "0", data})) {
            std::fprintf(stderr, "cannot make the images\n");
            std::exit(1);
        }
        QFile::remove(data);
    }
};

Workspace& Work() {
    static Workspace work;
    return work;
}

void Cli(benchmark::State& state, const QStringList& arguments) {
    for (auto _ : state) {
        if (!RunCli(arguments)) {
            state.SkipWithError("brindle-cli failed");
            break;
        }
    }
}

void BM_LsLastOf256(benchmark::State& state) {
    Cli(state, {"ls", Work().big, QString::number(kDisks - 1)});
}
void BM_LsOnlyOf1(benchmark::State& state) {
    Cli(state, {"ls", Work().small, "0"});
}
void BM_GetLastOf256(benchmark::State& state) {
    Cli(state, {"get", Work().big, QString::number(kDisks - 1), "data", "-o", Work().dir.path()});
}
void BM_GetOnlyOf1(benchmark::State& state) {
    Cli(state, {"get", Work().small, "0", "data", "-o", Work().dir.path()});
}
void BM_RenameDiskOf256(benchmark::State& state) {
    Cli(state, {"rename-disk", Work().big, "0", "renamed"});
}

// The least a change of a whole file can cost: read it, write a copy, and make it durable.
void BM_PlainCopyWithFsync(benchmark::State& state) {
    Workspace& work = Work();
    std::vector<char> buffer(1 << 20);
    for (auto _ : state) {
        const int in = ::open(QFile::encodeName(work.big).constData(), O_RDONLY);
        const int out =
            ::open(QFile::encodeName(work.out).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        bool ok = in >= 0 && out >= 0;
        for (ssize_t n; ok && (n = ::read(in, buffer.data(), buffer.size())) > 0;) {
            ok = ::write(out, buffer.data(), static_cast<size_t>(n)) == n;
        }
        ok = ok && ::fsync(out) == 0;
        if (in >= 0) {
            ::close(in);
        }
        if (out >= 0) {
            ::close(out);
        }
        if (!ok) {
            state.SkipWithError("copy failed");
            break;
        }
    }
}

BENCHMARK(BM_LsLastOf256)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LsOnlyOf1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GetLastOf256)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GetOnlyOf1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RenameDiskOf256)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PlainCopyWithFsync)->Unit(benchmark::kMillisecond)->UseRealTime();

// Keeps the real time per iteration of each benchmark (the median when repeated).
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type == Run::RT_Iteration || median) {
                const std::string name = run.run_name.function_name;
                if (median || times.find(name) == times.end() || !medians[name]) {
                    times[name] = run.GetAdjustedRealTime();
                    medians[name] = median;
                }
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
    std::printf("\nls, last of 256 / only of 1  = %.2fx (goal <= 1.2x)\n",
                ratio("BM_LsLastOf256", "BM_LsOnlyOf1"));
    std::printf("get, last of 256 / only of 1 = %.2fx (goal <= 1.2x)\n",
                ratio("BM_GetLastOf256", "BM_GetOnlyOf1"));
    std::printf("rename-disk of 256 / copy    = %.2fx (goal <= 1.5x)\n",
                ratio("BM_RenameDiskOf256", "BM_PlainCopyWithFsync"));
    return 0;
}
