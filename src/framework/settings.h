// The per-user settings store: integers and texts by section and value name, rooted at
// "Local AppWizard-Generated Applications" / "Brindle". Tests point it at a folder of their own.
#pragma once

#include <QString>

namespace framework {

inline constexpr char kSettingsOrganization[] = "Local AppWizard-Generated Applications";
inline constexpr char kSettingsApplication[] = "Brindle";

// Keeps the store in folder instead of the user's configuration folder, and the state folder
// in its "state" subfolder (tests only).
void SetSettingsFolder(const QString& folder);

// Where the program keeps what it remembers of its windows between runs, apart from the
// settings store: $XDG_STATE_HOME/brindle, or ~/.local/state/brindle.
[[nodiscard]] QString StateFolder();

[[nodiscard]] int GetProfileInt(const QString& section, const QString& entry, int defaultValue);
[[nodiscard]] QString GetProfileString(const QString& section, const QString& entry,
                                       const QString& defaultValue = QString());
void WriteProfileInt(const QString& section, const QString& entry, int value);
void WriteProfileString(const QString& section, const QString& entry, const QString& value);

}  // namespace framework
