// SettingsStore: the per-user settings key and the six typed functions every part reads its
// options through.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include <QByteArray>
#include <QColor>
#include <QSettings>
#include <QString>

namespace tarvolin::ui {

// The settings key is QSettings(NativeFormat, UserScope, "Brelland", "Tarvolin"): the registry on
// Windows, ~/.config/Brelland/Tarvolin.conf on Linux. A subkey is a group
// ("ComboHistory/PathHistory"); the empty subkey is the settings key itself.
//
// Nothing is kept between calls: every call opens the store, does one operation and closes it, so a
// value written by one part is seen by the next reader anywhere. Readers fall back to the
// caller's default on any failure; writers return false on failure and callers ignore it.
// User-interface thread only.

// A fresh handle on the settings key, for the few callers (histories) that enumerate or delete.
std::unique_ptr<QSettings> openSettingsKey();

// The text of a stored value whatever its stored type (a number reads as its digits); nothing
// when the value is missing or has no text form.
std::optional<QString> storedText(const QSettings& settings, const QString& key);

// Stored as a signed 32-bit number; read as 64-bit text keeping the low 32 bits, so "-1" and
// "4294967295" both give 0xFFFFFFFF. Missing or non-numeric values give the default and one
// debug line.
std::uint32_t GetRegInt(const QString& subkey, const QString& valueName,
                        std::uint32_t defaultValue);
bool SetRegInt(const QString& subkey, const QString& valueName, std::uint32_t value);

QString GetRegString(const QString& subkey, const QString& valueName, const QString& defaultText);
bool SetRegString(const QString& subkey, const QString& valueName, const QString& text);

// Text "red:green:blue", each number reduced to its low 8 bits; fewer than three numbers give
// the default colour, non-numeric parts read as 0.
QColor GetRegColor(const QString& subkey, const QString& valueName, const QColor& defaultColor);
bool SetRegColor(const QString& subkey, const QString& valueName, const QColor& color);

// The application profile: framework-level state below the group "Tarvolin" (docking layout,
// dialog rectangles). Strings live at Tarvolin/<section>/<entry>, bytes at Tarvolin/<name>.
QString GetProfileString(const QString& section, const QString& entry, const QString& defaultText);
bool WriteProfileString(const QString& section, const QString& entry, const QString& text);
QByteArray GetProfileBinary(const QString& name);  // empty when absent
bool WriteProfileBinary(const QString& name, const QByteArray& bytes);

}  // namespace tarvolin::ui
