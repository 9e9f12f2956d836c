// Message boxes belong to the main window whatever window happens to be active, and to the
// dialog that is up when there is one: never to nothing, which would centre them on the screen.
#include "framework/widgets/message_boxes.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include "platform/message_box.h"

namespace {

// Shows a stop message through the installed boxes and returns the parent the box had.
QWidget* ParentOfNextBox() {
    QPointer<QWidget> parent;
    QTimer::singleShot(0, [&parent] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            parent = box->parentWidget();
            box->done(QMessageBox::Ok);
        }
    });
    platform::ShowMessage(platform::MessageKind::Stop, "No space available.");
    return parent;
}

TEST(MessageBoxes, BelongToTheMainWindowOrToTheDialogThatIsUp) {
    const platform::MessageHandler previous = platform::SetMessageHandler({});
    framework::InstallMessageBoxes();
    QWidget mainWindow;
    framework::SetMessageBoxOwner(&mainWindow);
    QApplication::setActiveWindow(nullptr);
    EXPECT_EQ(ParentOfNextBox(), &mainWindow);

    QDialog dialog(&mainWindow);
    QWidget* inDialog = nullptr;
    QTimer::singleShot(0, [&] {
        inDialog = ParentOfNextBox();
        dialog.reject();
    });
    dialog.exec();
    EXPECT_EQ(inDialog, &dialog);

    framework::SetMessageBoxOwner(nullptr);
    platform::SetMessageHandler(previous);
}

}  // namespace
