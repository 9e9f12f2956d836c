// Tells when another program changes one file. Programs usually save by writing a new file and
// renaming it over the old one, which ends a watch on the file itself: so its folder is watched
// too, and the file is watched again whenever it is back. A burst of changes (a write, a rename,
// the folder's own change) makes one Changed, once the file has been left alone for a moment.
#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

#include "platform/file_lock.h"

class CFileWatch : public QObject {
    Q_OBJECT
public:
    explicit CFileWatch(QObject* parent = nullptr);

    // Watches path from now on instead of what was watched before; empty watches nothing. A
    // change of the old file not yet reported is dropped.
    void Watch(const QString& path);
    // Changed once more after the quiet time, for a listener that could not act on it yet.
    void RetryLater();

signals:
    void Changed();

private:
    void OnChange();
    // Watches the file itself when it is there and not watched yet.
    void WatchFileAgain();

    QFileSystemWatcher m_watcher;
    QTimer m_settle;
    QString m_path;
    platform::FileIdentity m_watched;  // the file the watch on m_path follows
};
