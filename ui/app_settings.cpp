#include "ui/app_settings.h"

#include <limits>

namespace rm27 {

// INI files on every platform: the registry would put the values where the
// tests cannot redirect them, and a file per user is all the program needs.
AppSettings::AppSettings(const QString& applicationName)
    : settings_(QSettings::IniFormat, QSettings::UserScope, applicationName) {}

QString AppSettings::GetSetting(const QString& section, const QString& key,
                                const QString& defaultValue) {
    return settings_.value(section + QLatin1Char('/') + key, defaultValue).toString();
}

int AppSettings::GetIndex(const QString& section, const QString& key, int count) {
    const int index = ReadNumberLiteral(GetSetting(section, key, QStringLiteral("0")));
    return index >= 0 && index < count ? index : 0;
}

void AppSettings::SaveSetting(const QString& section, const QString& key, const QString& value) {
    settings_.setValue(section + QLatin1Char('/') + key, value);
    settings_.sync();
}

int ReadNumberLiteral(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && (text.at(i) == QLatin1Char(' ') || text.at(i) == QLatin1Char('\t')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    long long value = 0;
    for (; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) break;
        if (value <= std::numeric_limits<int>::max()) value = value * 10 + (c.unicode() - u'0');
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
    if (value < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}

} // namespace rm27
