#include "framework/settings.h"

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
}  // namespace

void SetSettingsFolder(const QString& folder) {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
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
