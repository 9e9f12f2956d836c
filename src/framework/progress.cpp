#include "framework/progress.h"

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

}  // namespace framework
