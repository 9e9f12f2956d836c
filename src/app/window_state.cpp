#include "app/window_state.h"

#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QStyle>
#include <algorithm>

#include "app/main_frame.h"
#include "framework/settings.h"
#include "list/brindle_view.h"

namespace {

// Room for the frame's borders, the splitter handle and the list's scroll bar around the
// columns themselves.
constexpr int kChrome = 48;
constexpr int kFirstHeight = 560;
// A window never opens wider or taller than this share of the screen's available area.
constexpr double kScreenShare = 0.9;

const QString kGeometry = QStringLiteral("MainWindow/Geometry");
const QString kSplitter = QStringLiteral("MainWindow/Splitter");
const QString kListStyle = QStringLiteral("MainWindow/ListStyle");

QSettings StateFile() {
    QDir().mkpath(framework::StateFolder());
    return QSettings(framework::StateFolder() + QStringLiteral("/window.ini"),
                     QSettings::IniFormat);
}

}  // namespace

QSize FirstWindowSize(const CMainFrame& frame) {
    const int scrollBar = frame.style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    QSize wanted(CMainFrame::kTreeWidth + CBrindleView::FilesColumnsWidth() + scrollBar + kChrome,
                 kFirstHeight);
    if (const QScreen* screen =
            frame.screen() ? frame.screen() : QGuiApplication::primaryScreen()) {
        const QSize room = screen->availableGeometry().size() * kScreenShare;
        wanted = wanted.boundedTo(room);
    }
    return wanted;
}

bool RestoreWindowPlace(CMainFrame& frame) {
    const QByteArray geometry = StateFile().value(kGeometry).toByteArray();
    // restoreGeometry keeps the window on a screen that is still there.
    return !geometry.isEmpty() && frame.restoreGeometry(geometry);
}

bool RestoreWindowPanes(CMainFrame& frame) {
    QSettings state = StateFile();
    bool ok = false;
    const int style = state.value(kListStyle).toInt(&ok);
    if (ok && style >= static_cast<int>(CBrindleView::ListStyle::LargeIcon) &&
        style <= static_cast<int>(CBrindleView::ListStyle::Details) && frame.GetListView()) {
        frame.GetListView()->SetListStyle(static_cast<CBrindleView::ListStyle>(style));
    }
    const QByteArray splitter = state.value(kSplitter).toByteArray();
    return !splitter.isEmpty() && frame.GetSplitter()->restoreState(splitter);
}

void SaveWindowState(const CMainFrame& frame) {
    QSettings state = StateFile();
    state.setValue(kGeometry, frame.saveGeometry());
    state.setValue(kSplitter, frame.GetSplitter()->saveState());
    if (frame.GetListView()) {
        state.setValue(kListStyle, static_cast<int>(frame.GetListView()->GetListStyle()));
    }
}
