#include "framework/progress.h"

#include <cmath>
#include <utility>

namespace framework {

namespace {
ProgressSink* g_sink = nullptr;
}

ProgressSink* SetProgressSink(ProgressSink* sink) {
    return std::exchange(g_sink, sink);
}

void BeginProgress(const QString& text) {
    if (g_sink != nullptr) {
        g_sink->BeginProgress(text);
    }
}

void SetProgress(unsigned step) {
    if (g_sink != nullptr) {
        g_sink->SetProgress(step);
    }
}

void EndProgress() {
    if (g_sink != nullptr) {
        g_sink->EndProgress();
    }
}

unsigned ProgressStep(std::uint64_t k, std::uint64_t n) {
    return static_cast<unsigned>(
        std::trunc(static_cast<double>(k + 1) / static_cast<double>(n) * 10.0));
}

}  // namespace framework
