// The common open and save file dialogs, run through a process-wide seam so that tests choose
// the file instead of a user.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QWidget;

namespace framework {

inline constexpr int OFN_HIDEREADONLY = 0x4;
inline constexpr int OFN_OVERWRITEPROMPT = 0x2;

class CFileDialog {
public:
    // filter: pairs of "description|pattern", ended by "||", e.g.
    // "Tape files (*.tap)|*.tap|All files|*.*||". defaultExt may carry a leading dot.
    CFileDialog(bool openFileDialog, const QString& defaultExt = QString(),
                const QString& fileName = QString(),
                int flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                const QString& filter = QString(), QWidget* parent = nullptr);

    // IDOK when a file was chosen, else IDCANCEL.
    int DoModal();

    [[nodiscard]] QString GetPathName() const { return m_path; }
    // The chosen file's name without folder and extension.
    [[nodiscard]] QString GetFileTitle() const;

    [[nodiscard]] bool IsOpenDialog() const { return m_open; }
    [[nodiscard]] QString GetDefaultExt() const { return m_defaultExt; }
    [[nodiscard]] QString GetDefaultFileName() const { return m_fileName; }
    [[nodiscard]] QString GetFilter() const { return m_filter; }
    [[nodiscard]] int GetFlags() const { return m_flags; }
    // The widget whose window owns the dialog.
    [[nodiscard]] QWidget* GetParent() const { return m_parent; }
    // The filter as Qt name filters ("Tape files (*.tap)", "All files (*)").
    [[nodiscard]] QStringList NameFilters() const;

private:
    bool m_open;
    QString m_defaultExt;
    QString m_fileName;
    int m_flags;
    QString m_filter;
    QWidget* m_parent;
    QString m_path;
};

// The seam: the handler returns the chosen path, or nothing for Cancel.
using FileDialogHandler = std::function<std::optional<QString>(const CFileDialog& dialog)>;
FileDialogHandler SetFileDialogHandler(FileDialogHandler handler);

}  // namespace framework
