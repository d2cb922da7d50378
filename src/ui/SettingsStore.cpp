#include "ui/SettingsStore.h"

#include "ui/NumberText.h"

#include <QLoggingCategory>
#include <QStringList>
#include <QVariant>

namespace tarvolin::ui {
namespace {

// Developer diagnostics of the readers; silent unless QT_LOGGING_RULES enables
// "tarvolin.settings.debug".
Q_LOGGING_CATEGORY(lcSettings, "tarvolin.settings", QtInfoMsg)

const QString kProfileGroup = QStringLiteral("Tarvolin");

QString keyPath(const QString& subkey, const QString& valueName) {
    return subkey.isEmpty() ? valueName : subkey + u'/' + valueName;
}

bool writeValue(const QString& key, const QVariant& value) {
    const auto settings = openSettingsKey();
    settings->setValue(key, value);
    settings->sync();
    return settings->status() == QSettings::NoError;
}

}  // namespace

std::unique_ptr<QSettings> openSettingsKey() {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("Brelland"), QStringLiteral("Tarvolin"));
}

// An unquoted "a,b" comes back from the INI back end as a list; it reads as the text it was.
std::optional<QString> storedText(const QSettings& settings, const QString& key) {
    if (!settings.contains(key)) return std::nullopt;
    const QVariant value = settings.value(key);
    if (value.typeId() == QMetaType::QStringList) return value.toStringList().join(u',');
    if (!value.canConvert<QString>()) return std::nullopt;
    return value.toString();
}

std::uint32_t GetRegInt(const QString& subkey, const QString& valueName,
                        std::uint32_t defaultValue) {
    const auto settings = openSettingsKey();
    if (!subkey.isEmpty()) settings->beginGroup(subkey);
    // A key that holds nothing does not exist in the registry either.
    if (settings->status() != QSettings::NoError || settings->allKeys().isEmpty()) {
        qCDebug(lcSettings, "Failed to open reg key during GetRegInt");
        return defaultValue;
    }
    const auto text = storedText(*settings, valueName);
    const auto number = text ? parseStoredInt(*text) : std::nullopt;
    if (!number) {
        qCDebug(lcSettings, "Failed to query reg key during GetRegInt");
        return defaultValue;
    }
    return *number;
}

bool SetRegInt(const QString& subkey, const QString& valueName, std::uint32_t value) {
    return writeValue(keyPath(subkey, valueName), static_cast<qint32>(value));
}

QString GetRegString(const QString& subkey, const QString& valueName, const QString& defaultText) {
    const auto settings = openSettingsKey();
    if (settings->status() != QSettings::NoError) return defaultText;
    return storedText(*settings, keyPath(subkey, valueName)).value_or(defaultText);
}

bool SetRegString(const QString& subkey, const QString& valueName, const QString& text) {
    return writeValue(keyPath(subkey, valueName), text);
}

QColor GetRegColor(const QString& subkey, const QString& valueName, const QColor& defaultColor) {
    const auto rgb = parseColorNumbers(GetRegString(subkey, valueName, QString()));
    return rgb ? QColor((*rgb)[0], (*rgb)[1], (*rgb)[2]) : defaultColor;
}

bool SetRegColor(const QString& subkey, const QString& valueName, const QColor& color) {
    const QColor rgb = color.toRgb();
    return SetRegString(subkey, valueName,
                        QStringLiteral("%1:%2:%3").arg(rgb.red()).arg(rgb.green()).arg(rgb.blue()));
}

QString GetProfileString(const QString& section, const QString& entry, const QString& defaultText) {
    return GetRegString(kProfileGroup + u'/' + section, entry, defaultText);
}

bool WriteProfileString(const QString& section, const QString& entry, const QString& text) {
    return SetRegString(kProfileGroup + u'/' + section, entry, text);
}

QByteArray GetProfileBinary(const QString& name) {
    const auto settings = openSettingsKey();
    return settings->value(keyPath(kProfileGroup, name)).toByteArray();
}

bool WriteProfileBinary(const QString& name, const QByteArray& bytes) {
    return writeValue(keyPath(kProfileGroup, name), bytes);
}

}  // namespace tarvolin::ui
