#include "image/boot_settings.h"

#include "framework/settings.h"

namespace {
const QString kSection = QStringLiteral("Boot");
const QString kRadio = QStringLiteral("Radio");
const QString kFile = QStringLiteral("File");
}  // namespace

void CBootSettings::LoadSettings() {
    m_nRadio = framework::GetProfileInt(kSection, kRadio, 1);
    m_strFile = framework::GetProfileString(kSection, kFile);
}

void CBootSettings::SaveSettings() const {
    framework::WriteProfileInt(kSection, kRadio, m_nRadio);
    framework::WriteProfileString(kSection, kFile, m_strFile);
}
