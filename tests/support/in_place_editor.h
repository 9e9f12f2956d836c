// Reaching and driving the line edit that a view opens in place to rename an item.
#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QWidget>

namespace testsupport {

// The editor open under parent, if any. Closed editors linger hidden until deleted later, so
// only a visible one counts.
inline QLineEdit* VisibleEditor(const QWidget& parent) {
    for (QLineEdit* editor : parent.findChildren<QLineEdit*>()) {
        if (editor->isVisible()) {
            return editor;
        }
    }
    return nullptr;
}

// Presses key on widget. The delegate commits a Return from a queued call, so the events run
// before the test looks.
inline void PressKey(QWidget* widget, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QApplication::processEvents();
}

}  // namespace testsupport
