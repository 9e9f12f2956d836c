#include "dialogs/ok_cancel.h"

#include <QBoxLayout>
#include <QDialog>
#include <QPushButton>

namespace dialogs {

void AddOkCancelRow(QDialog* dialog, QBoxLayout* layout) {
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    auto* ok = new QPushButton(QStringLiteral("OK"), dialog);
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), dialog);
    QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    row->addWidget(ok);
    row->addWidget(cancel);
    layout->addLayout(row);
}

}  // namespace dialogs
