#include "framework/widgets/message_boxes.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPointer>
#include <utility>

#include "platform/message_box.h"

namespace framework {

namespace {
YesNoCancelHandler& CurrentYesNoCancelHandler() {
    static YesNoCancelHandler handler;
    return handler;
}

QPointer<QWidget>& Owner() {
    static QPointer<QWidget> owner;
    return owner;
}

QString Caption() {
    return QGuiApplication::applicationDisplayName();
}

platform::Answer ShowMessageBox(platform::MessageKind kind, const std::string& text) {
    QWidget* parent = MessageBoxParent();
    const QString message = QString::fromStdString(text);
    switch (kind) {
        case platform::MessageKind::Stop:
            QMessageBox::critical(parent, Caption(), message);
            return platform::Answer::Ok;
        case platform::MessageKind::Question:
        case platform::MessageKind::CautiousQuestion: {
            const QMessageBox::StandardButton defaultButton =
                kind == platform::MessageKind::CautiousQuestion ? QMessageBox::No
                                                                : QMessageBox::NoButton;
            return QMessageBox::question(parent, Caption(), message,
                                         QMessageBox::Yes | QMessageBox::No,
                                         defaultButton) == QMessageBox::Yes
                       ? platform::Answer::Yes
                       : platform::Answer::No;
        }
        case platform::MessageKind::Information:
            QMessageBox::information(parent, Caption(), message);
            return platform::Answer::Ok;
    }
    return platform::Answer::Ok;
}
}  // namespace

void SetMessageBoxOwner(QWidget* owner) {
    Owner() = owner;
}

QWidget* MessageBoxParent() {
    if (QWidget* dialog = QApplication::activeModalWidget()) {
        return dialog;
    }
    return Owner() ? Owner().data() : QApplication::activeWindow();
}

void InstallMessageBoxes() {
    platform::SetMessageHandler(ShowMessageBox);
}

YesNoCancelHandler SetYesNoCancelHandler(YesNoCancelHandler handler) {
    return std::exchange(CurrentYesNoCancelHandler(), std::move(handler));
}

YesNoCancel AskYesNoCancel(const QString& text) {
    if (const YesNoCancelHandler& handler = CurrentYesNoCancelHandler()) {
        return handler(text);
    }
    switch (QMessageBox::warning(MessageBoxParent(), Caption(), text,
                                 QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)) {
        case QMessageBox::Yes:
            return YesNoCancel::Yes;
        case QMessageBox::No:
            return YesNoCancel::No;
        default:
            return YesNoCancel::Cancel;
    }
}

}  // namespace framework
