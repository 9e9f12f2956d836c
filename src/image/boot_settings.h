// The boot template choice, kept in the settings section "Boot". The boot template dialog
// edits it and every new image reads it to make its boot disk.
#pragma once

#include <QString>

struct CBootSettings {
    int m_nRadio = 1;
    QString m_strFile;
    void LoadSettings();
    void SaveSettings() const;
};
