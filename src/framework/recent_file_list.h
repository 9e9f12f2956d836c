// The recent-file list: the most recently opened or saved files, newest first, kept in one
// section of the settings store as "<prefix>1", "<prefix>2", ...
#pragma once

#include <QString>
#include <QStringList>

namespace framework {

class CRecentFileList {
public:
    CRecentFileList(QString section, QString entryPrefix, int size, int maxDisplayLength);

    // Puts path first; an entry for the same file moves up instead of appearing twice, and the
    // oldest entry falls off a full list.
    void Add(const QString& path);
    void Remove(int index);

    // The capacity.
    [[nodiscard]] int Count() const { return static_cast<int>(m_paths.size()); }
    [[nodiscard]] QString GetPath(int index) const { return m_paths.value(index); }
    // The name shown in the menu: the file name alone for a file in the current folder, else
    // the path shortened to the display length (see AbbreviateName).
    [[nodiscard]] QString GetDisplayName(int index) const;

    void ReadList();
    void WriteList() const;

private:
    QString m_section;
    QString m_entryPrefix;
    int m_size;
    int m_maxDisplayLength;
    QStringList m_paths;
};

// Shortens path to at most maxLength characters by replacing folders after the root with
// "...", keeping as many of the innermost folders as fit. The file name is never cut: when
// even "<root>.../<name>" is too long, the name alone is the result.
[[nodiscard]] QString AbbreviateName(const QString& path, int maxLength);

}  // namespace framework
