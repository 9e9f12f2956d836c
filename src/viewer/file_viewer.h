// A window that shows what one file holds, in the view its type and bytes suggest or one the
// user picks: the BASIC listing in a fixed font, the SCREEN$ picture with sharp pixels (and
// "Save as PNG ..."), an array as a table, or hex. It keeps its own copy of the file, so it
// never reads or changes the image again, and stays valid whatever happens to the disk.
#pragma once

#include <QImage>
#include <QString>
#include <QWidget>
#include <memory>

#include "content/file_content.h"

class CArrayModel;
class CScreenView;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;
class QTableView;

class CFileViewer : public QWidget {
    Q_OBJECT
public:
    // name: the file's name as the list shows it, for the title and the default PNG name.
    CFileViewer(content::FileContent file, const QString& name, QWidget* parent = nullptr);
    ~CFileViewer() override;

    void ShowView(content::View view);
    [[nodiscard]] content::View CurrentView() const { return m_view; }

    // Asks for a file through the file-dialog seam and writes the picture there as PNG, at the
    // machine's 256 x 192; a failed write shows a message.
    void SavePicture();

    [[nodiscard]] QComboBox* ViewChoice() const { return m_choice; }
    [[nodiscard]] QPlainTextEdit* TextView() const { return m_text; }
    [[nodiscard]] CScreenView* ScreenView() const { return m_screen; }
    [[nodiscard]] QPushButton* SaveButton() const { return m_save; }
    [[nodiscard]] QTableView* ArrayView() const { return m_table; }
    [[nodiscard]] QLabel* ArrayNote() const { return m_arrayNote; }

private:
    QWidget* MakeTextPage();
    QWidget* MakePicturePage();
    QWidget* MakeArrayPage();

    content::FileContent m_file;
    QString m_name;
    content::View m_view = content::View::Hex;
    QComboBox* m_choice = nullptr;
    QStackedWidget* m_pages = nullptr;
    QPlainTextEdit* m_text = nullptr;
    QWidget* m_textPage = nullptr;
    CScreenView* m_screen = nullptr;
    QPushButton* m_save = nullptr;
    QWidget* m_picturePage = nullptr;
    QTableView* m_table = nullptr;
    QLabel* m_arrayNote = nullptr;
    QWidget* m_arrayPage = nullptr;
    std::unique_ptr<CArrayModel> m_arrayModel;
};
