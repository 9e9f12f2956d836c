#include "viewer/file_viewer.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QStackedWidget>
#include <QTableView>
#include <QVBoxLayout>

#include "content/hex_dump.h"
#include "content/screen_picture.h"
#include "framework/widgets/dialog.h"
#include "framework/widgets/file_dialog.h"
#include "platform/message_box.h"
#include "viewer/array_model.h"
#include "viewer/screen_view.h"

namespace {

// What the window says about the file above whatever view it shows.
QString Summary(const content::FileContent& file) {
    const unsigned char type = file.Type();
    const QString letter = type >= 0x20 && type < 0x7F
                               ? QString(QLatin1Char(static_cast<char>(type)))
                               : QStringLiteral("0x%1").arg(type, 2, 16, QLatin1Char('0'));
    return QStringLiteral("Type %1, %2 bytes").arg(letter).arg(file.bytes.size());
}

}  // namespace

CFileViewer::CFileViewer(content::FileContent file, const QString& name, QWidget* parent)
    : QWidget(parent, Qt::Window), m_file(std::move(file)), m_name(name) {
    setWindowTitle(QStringLiteral("%1 - Brindle").arg(name));
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(Summary(m_file), this), 1);
    auto* label = new QLabel(QStringLiteral("&View as:"), this);
    m_choice = new QComboBox(this);
    label->setBuddy(m_choice);
    for (const content::View view : content::kAllViews) {
        m_choice->addItem(QString::fromLatin1(content::ViewTitle(view)), static_cast<int>(view));
    }
    top->addWidget(label);
    top->addWidget(m_choice);
    layout->addLayout(top);

    m_pages = new QStackedWidget(this);
    m_pages->addWidget(MakeTextPage());
    m_pages->addWidget(MakePicturePage());
    m_pages->addWidget(MakeArrayPage());
    layout->addWidget(m_pages, 1);

    connect(m_choice, &QComboBox::activated, this, [this](int index) {
        ShowView(static_cast<content::View>(m_choice->itemData(index).toInt()));
    });
    ShowView(content::ChooseView(m_file));
    resize(620, 480);
}

CFileViewer::~CFileViewer() = default;

QWidget* CFileViewer::MakeTextPage() {
    m_textPage = new QWidget(this);
    auto* layout = new QVBoxLayout(m_textPage);
    layout->setContentsMargins(0, 0, 0, 0);
    m_text = new QPlainTextEdit(m_textPage);
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    layout->addWidget(m_text);
    return m_textPage;
}

QWidget* CFileViewer::MakePicturePage() {
    m_picturePage = new QWidget(this);
    auto* layout = new QVBoxLayout(m_picturePage);
    layout->setContentsMargins(0, 0, 0, 0);
    m_screen = new CScreenView(m_picturePage);
    layout->addWidget(m_screen, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_save = new QPushButton(QStringLiteral("&Save as PNG ..."), m_picturePage);
    connect(m_save, &QPushButton::clicked, this, &CFileViewer::SavePicture);
    buttons->addWidget(m_save);
    layout->addLayout(buttons);
    return m_picturePage;
}

QWidget* CFileViewer::MakeArrayPage() {
    m_arrayPage = new QWidget(this);
    auto* layout = new QVBoxLayout(m_arrayPage);
    layout->setContentsMargins(0, 0, 0, 0);
    m_arrayNote = new QLabel(m_arrayPage);
    layout->addWidget(m_arrayNote);
    m_table = new QTableView(m_arrayPage);
    m_table->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    layout->addWidget(m_table, 1);
    return m_arrayPage;
}

void CFileViewer::ShowView(content::View view) {
    m_view = view;
    m_choice->setCurrentIndex(m_choice->findData(static_cast<int>(view)));
    switch (view) {
        case content::View::Basic:
            m_text->setPlainText(
                QString::fromStdString(content::ListingText(content::DecodeBasicFile(m_file))));
            m_pages->setCurrentWidget(m_textPage);
            break;
        case content::View::Hex:
            m_text->setPlainText(QString::fromStdString(content::HexDump(m_file.Bytes())));
            m_pages->setCurrentWidget(m_textPage);
            break;
        case content::View::Screen:
            if (m_screen->Picture().isNull()) {
                m_screen->SetPicture(ScreenImage(content::DecodeScreen(m_file.Bytes())));
            }
            m_pages->setCurrentWidget(m_picturePage);
            break;
        case content::View::Array: {
            m_table->setModel(nullptr);
            m_arrayModel.reset();
            const std::optional<content::ArrayData> array = content::DecodeArrayFile(m_file);
            if (!array) {
                m_arrayNote->setText(QStringLiteral(
                    "This file holds no array: its first byte counts no dimensions, or the "
                    "bytes end inside them."));
            } else {
                m_arrayNote->setText(
                    QString::fromStdString(content::ArrayLines(*array).front()) +
                    (array->truncated ? QStringLiteral(" (the bytes end early)") : QString()));
                m_arrayModel = std::make_unique<CArrayModel>(*array);
                m_table->setModel(m_arrayModel.get());
            }
            m_pages->setCurrentWidget(m_arrayPage);
            break;
        }
    }
}

void CFileViewer::SavePicture() {
    framework::CFileDialog dialog(false, QStringLiteral(".png"), m_name + QStringLiteral(".png"),
                                  framework::OFN_HIDEREADONLY | framework::OFN_OVERWRITEPROMPT,
                                  QStringLiteral("PNG pictures (*.png)|*.png|All files|*.*||"),
                                  this);
    if (dialog.DoModal() != framework::IDOK) {
        return;
    }
    const QString path = dialog.GetPathName();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !m_screen->Picture().save(&file, "PNG") ||
        !file.commit()) {
        platform::ShowMessage(platform::MessageKind::Stop,
                              "Cannot write file " + path.toStdString() + ".");
    }
}
