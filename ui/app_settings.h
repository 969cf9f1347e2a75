// The per-user settings store: one text value per application name, section
// and key. The application name is the program's title, so every version of
// the program finds the choices the previous one remembered.
#pragma once

#include <QSettings>
#include <QString>

namespace rm27 {

class AppSettings {
public:
    // Settings of `applicationName` in the user's own settings folder.
    explicit AppSettings(const QString& applicationName);

    QString GetSetting(const QString& section, const QString& key,
                       const QString& defaultValue = QString());
    void SaveSetting(const QString& section, const QString& key, const QString& value);
    // A remembered position in a list of `count` entries; 0 when none was
    // remembered or the list has become shorter.
    int GetIndex(const QString& section, const QString& key, int count);

    // The store itself, for readers that want a whole group (the port map's
    // "Ports" overrides).
    QSettings& store() { return settings_; }

private:
    QSettings settings_;
};

// A stored text read the way a number literal is read: blanks, an optional
// sign, then the leading decimal digits; anything else gives 0 ("12:" and
// "12abc" are 12, "abc" is 0). Values beyond the int range are clamped.
int ReadNumberLiteral(const QString& text);

} // namespace rm27
