#include "image/boot_settings.h"

#include "framework/settings.h"

void CBootSettings::LoadSettings() {
    m_nRadio = framework::GetProfileInt(QString::fromLatin1(kBootSection), QStringLiteral("Radio"), 1);
    m_strFile = framework::GetProfileString(QString::fromLatin1(kBootSection), QStringLiteral("File"));
}

void CBootSettings::SaveSettings() const {
    framework::WriteProfileInt(QString::fromLatin1(kBootSection), QStringLiteral("Radio"), m_nRadio);
    framework::WriteProfileString(QString::fromLatin1(kBootSection), QStringLiteral("File"), m_strFile);
}
