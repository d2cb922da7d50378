#include "ui/Options.h"

#include "ui/SettingsStore.h"

namespace tarvolin::ui {

std::int32_t readOption(const IntOption& option) {
    return static_cast<std::int32_t>(GetRegInt(QString(), QString::fromLatin1(option.name),
                                               static_cast<std::uint32_t>(option.defaultValue)));
}

QString readOption(const StringOption& option) {
    return GetRegString(QString(), QString::fromLatin1(option.name),
                        QString::fromLatin1(option.defaultValue));
}

QColor readOption(const ColorOption& option) {
    return GetRegColor(QString(), QString::fromLatin1(option.name), option.defaultValue);
}

bool writeOption(const IntOption& option, std::int32_t value) {
    return SetRegInt(QString(), QString::fromLatin1(option.name),
                     static_cast<std::uint32_t>(value));
}

bool writeOption(const StringOption& option, const QString& text) {
    return SetRegString(QString(), QString::fromLatin1(option.name), text);
}

bool writeOption(const ColorOption& option, const QColor& color) {
    return SetRegColor(QString(), QString::fromLatin1(option.name), color);
}

}  // namespace tarvolin::ui
