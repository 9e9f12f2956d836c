#include <gtest/gtest.h>

#include <vector>

#include "framework/progress.h"
#include "support/recording_progress.h"

namespace {

std::vector<unsigned> Steps(unsigned n) {
    std::vector<unsigned> steps;
    for (unsigned k = 0; k < n; ++k) {
        steps.push_back(framework::ProgressStep(k, n));
    }
    return steps;
}

// The step table: trunc((k + 1) / n * 10) in double.
TEST(ProgressStep, MatchesTheStepTable) {
    EXPECT_EQ(Steps(1), (std::vector<unsigned>{10}));
    EXPECT_EQ(Steps(3), (std::vector<unsigned>{3, 6, 10}));
    EXPECT_EQ(Steps(4), (std::vector<unsigned>{2, 5, 7, 10}));
    EXPECT_EQ(Steps(16), (std::vector<unsigned>{0, 1, 1, 2, 3, 3, 4, 5, 5, 6, 6, 7, 8, 8, 9, 10}));
}

TEST(ProgressStep, LastStepIsAlwaysTen) {
    for (unsigned n = 1; n <= 1000; ++n) {
        EXPECT_EQ(framework::ProgressStep(n - 1, n), 10u) << n;
    }
}

TEST(Progress, CallsGoToTheInstalledSinkOnly) {
    framework::BeginProgress(QStringLiteral("nobody listens"));  // no sink: nothing happens
    {
        testsupport::RecordingProgress progress;
        framework::BeginProgress(QStringLiteral("Saving image ..."));
        framework::SetProgress(4);
        framework::EndProgress();
        EXPECT_EQ(progress.events, testsupport::RecordingProgress::Run("Saving image ...", {4}));
    }
    EXPECT_EQ(framework::SetProgressSink(nullptr), nullptr);
}

}  // namespace
