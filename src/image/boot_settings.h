// The boot template settings (section "Boot" of the settings store): which kind of template a
// new image's boot disk comes from, and the template file. OnNewDocument reads them; the boot
// template dialog reads and stores them.
#pragma once

#include <QString>

inline constexpr char kBootSection[] = "Boot";

struct CBootSettings {
    int m_nRadio = 1;   // 1: a single-disk file is the template; 2: a list of binary files
    QString m_strFile;  // the template file

    void LoadSettings();
    void SaveSettings() const;
};
