#include "framework/settings.h"

#include <QDir>
#include <QSettings>

namespace framework {

namespace {
QString Key(const QString& section, const QString& entry) {
    return section + '/' + entry;
}

QSettings Store() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, kSettingsOrganization,
                     kSettingsApplication);
}

QString& StateFolderOverride() {
    static QString folder;
    return folder;
}
}  // namespace

void SetSettingsFolder(const QString& folder) {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
    StateFolderOverride() = folder + QStringLiteral("/state");
}

QString StateFolder() {
    if (!StateFolderOverride().isEmpty()) {
        return StateFolderOverride();
    }
    const QString xdg = qEnvironmentVariable("XDG_STATE_HOME");
    const QString base = !xdg.isEmpty() && QDir::isAbsolutePath(xdg)
                             ? xdg
                             : QDir::homePath() + QStringLiteral("/.local/state");
    return base + QStringLiteral("/brindle");
}

int GetProfileInt(const QString& section, const QString& entry, int defaultValue) {
    bool ok = false;
    const int value = Store().value(Key(section, entry)).toInt(&ok);
    return ok ? value : defaultValue;
}

QString GetProfileString(const QString& section, const QString& entry,
                         const QString& defaultValue) {
    return Store().value(Key(section, entry), defaultValue).toString();
}

void WriteProfileInt(const QString& section, const QString& entry, int value) {
    Store().setValue(Key(section, entry), value);
}

void WriteProfileString(const QString& section, const QString& entry, const QString& value) {
    Store().setValue(Key(section, entry), value);
}

}  // namespace framework
