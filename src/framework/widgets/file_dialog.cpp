#include "framework/widgets/file_dialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QScreen>
#include <utility>

#include "framework/widgets/dialog.h"

namespace framework {

namespace {
FileDialogHandler& CurrentFileDialogHandler() {
    static FileDialogHandler handler;
    return handler;
}
}  // namespace

FileDialogHandler SetFileDialogHandler(FileDialogHandler handler) {
    return std::exchange(CurrentFileDialogHandler(), std::move(handler));
}

namespace {

// Wide enough for the name, size, type and date columns of the detail view, within the screen.
QSize DialogSize(const QWidget& dialog) {
    constexpr int kWidth = 860;
    constexpr int kHeight = 540;
    QSize size(kWidth, kHeight);
    if (const QScreen* screen = dialog.screen()) {
        size = size.boundedTo(screen->availableGeometry().size() * 0.9);
    }
    return size.expandedTo(dialog.minimumSizeHint());
}

}  // namespace

CFileDialog::CFileDialog(bool openFileDialog, const QString& defaultExt, const QString& fileName,
                         int flags, const QString& filter, QWidget* parent)
    : m_open(openFileDialog),
      m_defaultExt(defaultExt),
      m_fileName(fileName),
      m_flags(flags),
      m_filter(filter),
      m_parent(parent) {}

QStringList CFileDialog::NameFilters() const {
    QStringList result;
    const QStringList parts = m_filter.split('|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty()) {
            break;
        }
        // Descriptions usually name their patterns already ("Tape files (*.tap)"); the dialog
        // shows them once, with the patterns as it matches them ("*" for every file).
        QString description = parts[i];
        const QString named = QStringLiteral(" (%1)").arg(parts[i + 1]);
        if (description.endsWith(named)) {
            description.chop(named.size());
        }
        QString pattern = parts[i + 1];
        pattern.replace(QStringLiteral("*.*"), QStringLiteral("*"));
        pattern.replace(';', ' ');
        result << QStringLiteral("%1 (%2)").arg(description, pattern);
    }
    return result;
}

QString CFileDialog::GetFileTitle() const {
    return QFileInfo(m_path).completeBaseName();
}

int CFileDialog::DoModal() {
    std::optional<QString> chosen;
    if (const FileDialogHandler& handler = CurrentFileDialogHandler()) {
        chosen = handler(*this);
    } else {
        QFileDialog dialog(m_parent);
        dialog.setAcceptMode(m_open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
        dialog.setFileMode(m_open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
        if (!(m_flags & OFN_OVERWRITEPROMPT)) {
            dialog.setOption(QFileDialog::DontConfirmOverwrite);
        }
        QString suffix = m_defaultExt;
        if (suffix.startsWith('.')) {
            suffix.remove(0, 1);
        }
        if (!suffix.isEmpty() && !suffix.contains('*')) {
            dialog.setDefaultSuffix(suffix);
        }
        const QStringList filters = NameFilters();
        if (!filters.isEmpty()) {
            dialog.setNameFilters(filters);
        }
        if (!m_fileName.isEmpty()) {
            dialog.selectFile(m_fileName);
        }
        dialog.resize(DialogSize(dialog));
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
            chosen = dialog.selectedFiles().constFirst();
        }
    }
    if (!chosen || chosen->isEmpty()) {
        return IDCANCEL;
    }
    m_path = *chosen;
    return IDOK;
}

}  // namespace framework
