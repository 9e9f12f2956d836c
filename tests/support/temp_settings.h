// Points the settings store at a fresh temporary folder for the lifetime of the object, so a
// test starts with no settings at all. The folder also serves for files the test makes.
#pragma once

#include <QTemporaryDir>

#include "framework/settings.h"

namespace testsupport {

class TempSettings {
public:
    TempSettings() { framework::SetSettingsFolder(m_dir.path()); }
    [[nodiscard]] QString Folder() const { return m_dir.path(); }
    [[nodiscard]] QString FilePath(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
};

}  // namespace testsupport
