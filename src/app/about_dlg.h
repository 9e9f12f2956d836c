// The about box: the application icon, the version line and an OK button.
#pragma once

#include "framework/widgets/dialog.h"

class CAboutDlg : public framework::CDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};
