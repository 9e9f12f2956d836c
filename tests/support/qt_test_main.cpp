// main() for GUI test programs: a QApplication on the offscreen platform (unless the caller
// chose another) and a settings folder of the run's own, so no test can touch the user's.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

#include "framework/settings.h"

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const QTemporaryDir settings;
    framework::SetSettingsFolder(settings.path());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
