#include "framework/recent_file_list.h"

#include <QDir>
#include <QFileInfo>
#include <utility>

#include "framework/settings.h"

namespace framework {

namespace {
// The same file may be reached by different spellings of its path.
QString Normalized(const QString& path) {
    return QFileInfo(path).absoluteFilePath();
}
}  // namespace

CRecentFileList::CRecentFileList(QString section, QString entryPrefix, int size,
                                 int maxDisplayLength)
    : m_section(std::move(section)),
      m_entryPrefix(std::move(entryPrefix)),
      m_size(size),
      m_maxDisplayLength(maxDisplayLength) {}

void CRecentFileList::Add(const QString& path) {
    const QString normalized = Normalized(path);
    m_paths.removeIf([&](const QString& p) { return Normalized(p) == normalized; });
    m_paths.prepend(normalized);
    while (m_paths.size() > m_size) {
        m_paths.removeLast();
    }
}

void CRecentFileList::Remove(int index) {
    if (index >= 0 && index < Count()) {
        m_paths.removeAt(index);
    }
}

QString CRecentFileList::GetDisplayName(int index) const {
    const QFileInfo info(GetPath(index));
    if (info.absolutePath() == QDir::currentPath()) {
        return info.fileName();
    }
    return AbbreviateName(QDir::toNativeSeparators(info.absoluteFilePath()), m_maxDisplayLength);
}

void CRecentFileList::ReadList() {
    m_paths.clear();
    for (int i = 1; i <= m_size; ++i) {
        const QString path = GetProfileString(m_section, m_entryPrefix + QString::number(i));
        if (!path.isEmpty()) {
            m_paths.append(path);
        }
    }
}

void CRecentFileList::WriteList() const {
    // Entries past the end are written empty so that a shorter list doesn't leave old ones.
    for (int i = 0; i < m_size; ++i) {
        WriteProfileString(m_section, m_entryPrefix + QString::number(i + 1), m_paths.value(i));
    }
}

QString AbbreviateName(const QString& path, int maxLength) {
    if (path.size() <= maxLength) {
        return path;
    }
    const QChar separator = QDir::separator();
    const QString name = path.section(separator, -1);
    static const QString kEllipsis = QStringLiteral("...");

    // The root is everything up to and including the first separator ("/" or "C:\").
    const qsizetype rootEnd = path.indexOf(separator) + 1;
    const QString root = path.left(rootEnd);
    if (root.size() + kEllipsis.size() + 1 + name.size() > maxLength) {
        return name;
    }
    // Add folders from the inside out while the result still fits.
    QString tail = separator + name;
    const QStringList folders = path.mid(rootEnd).section(separator, 0, -2).split(separator);
    for (auto it = folders.crbegin(); it != folders.crend(); ++it) {
        const QString longer = separator + *it + tail;
        if (root.size() + kEllipsis.size() + longer.size() > maxLength) {
            break;
        }
        tail = longer;
    }
    return root + kEllipsis + tail;
}

}  // namespace framework
