#include "calibration/files/qt_calibration_files.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QStringList>
#include <QTemporaryFile>

#include "calibration/texts.h"
#include "session/files.h"

namespace rm27 {

namespace {

namespace tx = texts::calibration;

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// "Kalibrace\Snimac01" -> "Kalibrace/Snimac01", the nested groups
// QSettings reads "[Kalibrace\Snimac01]" as.
QString NestedGroup(const std::string& name) {
    QString group = Q(name);
    group.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return group;
}

std::string ProgramName(const QString& group) {
    QString name = group;
    name.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return name.toStdString();
}

// QSettings says only that it failed; the system says why when asked the
// same way: QSettings replaces the file through a QSaveFile.
Text WhyNotWritable(const QString& path) {
    if (QFileInfo(path).isDir()) return Text(tx::kIsDirectory);
    QSaveFile probe(path);
    if (!probe.open(QIODevice::WriteOnly)) return Text::Value(probe.errorString().toStdString());
    probe.cancelWriting();
    return Text(tx::kNotWritten);
}

void CollectGroups(QSettings& s, std::vector<ClbGroup>& groups) {
    const QStringList keys = s.childKeys();
    // Keys outside any group ("[General]") are no calibration.
    if (!keys.isEmpty() && !s.group().isEmpty()) {
        ClbGroup g;
        g.name = ProgramName(s.group());
        for (const QString& key : keys) {
            const QVariant value = s.value(key);
            // An unquoted comma makes a list: "0,5" typed by hand comes back
            // as it was written, for the number check to judge.
            const QString text = value.userType() == QMetaType::QStringList
                                     ? value.toStringList().join(QLatin1Char(','))
                                     : value.toString();
            g.keys.emplace_back(key.toStdString(), text.toStdString());
        }
        groups.push_back(std::move(g));
    }
    for (const QString& child : s.childGroups()) {
        s.beginGroup(child);
        CollectGroups(s, groups);
        s.endGroup();
    }
}

} // namespace

bool QtCalibrationFileStore::writeGroup(const std::string& path, const ClbGroup& group,
                                        Text& reason) {
    const QString file = Q(path);
    // QSettings would make a missing folder; a mistyped path should fail.
    const QFileInfo info(file);
    if (info.isDir() || !info.absoluteDir().exists()) {
        reason = WhyNotWritable(file);
        return false;
    }
    {
        QSettings s(file, QSettings::IniFormat);
        if (s.status() == QSettings::FormatError) {
            reason = Text(tx::kNotIniLeft);
            return false;
        }
        // The same name in QSettings' own spelling of a "\" (one group,
        // "%5C" in the file) would read back as a second copy.
        if (group.name.find('\\') != std::string::npos) s.remove(Q(group.name));
        s.beginGroup(NestedGroup(group.name));
        // Only the group's own keys: "Kalibrace" holds "Kalibrace\Snimac01".
        for (const QString& key : s.childKeys())
            s.remove(key);
        for (const auto& [key, value] : group.keys)
            s.setValue(Q(key), Q(value));
        s.endGroup();
        s.sync();
        if (s.status() == QSettings::NoError) return true;
    }
    reason = WhyNotWritable(file);
    return false;
}

bool QtCalibrationFileStore::readGroups(const std::string& path, std::vector<ClbGroup>& groups,
                                        Text& reason) {
    const QString file = Q(path);
    // QSettings would wait on a FIFO and read /dev/zero until memory ran
    // out: the file is looked at and read as every file of the program is.
    std::string bytes;
    if (Text refusal = ReadWholeFile(path, kClbFile, bytes); !refusal.empty()) {
        reason = std::move(refusal);
        return false;
    }
    std::string text;
    if (!ClbTextAsUtf8(bytes, text, reason)) return false;
    // QSettings reads UTF-8 only: a file in another encoding, or with a
    // byte-order mark, is read through a UTF-8 copy of its text.
    QTemporaryFile copy;
    QString source = file;
    if (text != bytes) {
        if (!copy.open() ||
            copy.write(text.data(), static_cast<qint64>(text.size())) !=
                static_cast<qint64>(text.size()) ||
            !copy.flush()) {
            reason = Text::Value(copy.errorString().toStdString());
            return false;
        }
        source = copy.fileName();
    }
    QSettings s(source, QSettings::IniFormat);
    if (s.status() != QSettings::NoError) {
        reason = Text(tx::kNotIni);
        return false;
    }
    groups.clear();
    CollectGroups(s, groups);
    return true;
}

} // namespace rm27
