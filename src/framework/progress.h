// The progress seam: long runs of the document report through it; the main window implements
// the sink. While there is no main window (start-up, tests, tools) the calls do nothing.
#pragma once

#include <QString>
#include <cstdint>

namespace framework {

class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    virtual void BeginProgress(const QString& text) = 0;
    virtual void SetProgress(unsigned step) = 0;  // 0..10; above 10 ignored
    virtual void EndProgress() = 0;
};

// Installs the sink (null removes it) and returns the previous one.
ProgressSink* SetProgressSink(ProgressSink* sink);

void BeginProgress(const QString& text);
void SetProgress(unsigned step);
void EndProgress();

// The step reported after element k (0-based) of a run over n elements: trunc((k + 1) / n * 10)
// in double, truncated toward zero (so 16 elements give 0, 1, 1, 2, 3, 3, 4, 5, ...).
[[nodiscard]] unsigned ProgressStep(std::uint64_t k, std::uint64_t n);

}  // namespace framework
