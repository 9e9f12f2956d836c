#include "app/file_watch.h"

#include <QFile>
#include <QFileInfo>

namespace {

// Long enough for a save's write and rename to end as one change, short enough to seem at once.
constexpr int kSettleMs = 200;

}  // namespace

CFileWatch::CFileWatch(QObject* parent) : QObject(parent) {
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMs);
    connect(&m_settle, &QTimer::timeout, this, &CFileWatch::Changed);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &CFileWatch::OnChange);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &CFileWatch::OnChange);
}

void CFileWatch::Watch(const QString& path) {
    const QStringList watched = m_watcher.files() + m_watcher.directories();
    if (!watched.isEmpty()) {
        m_watcher.removePaths(watched);
    }
    m_settle.stop();
    m_path = path;
    if (path.isEmpty()) {
        return;
    }
    m_watcher.addPath(QFileInfo(path).absolutePath());
    WatchFileAgain();
}

void CFileWatch::RetryLater() {
    m_settle.start();
}

void CFileWatch::OnChange() {
    WatchFileAgain();
    m_settle.start();
}

void CFileWatch::WatchFileAgain() {
    // A file renamed over, or removed and written anew, is a new file that nobody watches yet.
    // The watch of the old one lives on while the old file does (the open image may still
    // read from it), so it is dropped by its identity, not by its disappearance.
    platform::FileIdentity now;
    const bool exists = platform::InspectFile(QFile::encodeName(m_path).constData(), &now) ==
                        platform::FileKind::Regular;
    if (m_watcher.files().contains(m_path) && !(exists && now.SameFile(m_watched))) {
        m_watcher.removePath(m_path);
    }
    if (exists && !m_watcher.files().contains(m_path)) {
        m_watcher.addPath(m_path);
        m_watched = now;
    }
}
