#include "ui/port_map.h"

#include <QFileInfo>
#include <QSerialPortInfo>
#include <QSettings>

#include <algorithm>

namespace rm27 {

namespace {

bool IsAdapter(const QString& name) {
    return name.startsWith(QLatin1String("ttyUSB")) || name.startsWith(QLatin1String("ttyACM"));
}

} // namespace

QStringList PortMap::orderDevices(QStringList names) {
    std::stable_sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const bool adapterA = IsAdapter(a);
        const bool adapterB = IsAdapter(b);
        if (adapterA != adapterB) return adapterA;
        // ttyS2 before ttyS10: compare the stem, then the number
        auto split = [](const QString& s) {
            qsizetype i = s.size();
            while (i > 0 && s.at(i - 1).isDigit())
                --i;
            return std::pair<QString, qlonglong>(s.left(i),
                                                 i < s.size() ? s.mid(i).toLongLong() : -1);
        };
        const auto sa = split(a);
        const auto sb = split(b);
        if (sa.first != sb.first) return sa.first < sb.first;
        return sa.second < sb.second;
    });
    return names;
}

void PortMap::refresh(QSettings* settings) {
    enumerated_.clear();
    configured_.clear();
    QStringList names;
    QMap<QString, QString> paths;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        names << info.portName();
        paths.insert(info.portName(), info.systemLocation());
    }
    names = orderDevices(names);
    for (int n = 1; n <= kPortCount && n <= names.size(); ++n) {
        const QString& name = names.at(n - 1);
        enumerated_.insert(n, PortDevice{paths.value(name), name});
    }
    if (settings != nullptr) {
        for (int n = 1; n <= kPortCount; ++n) {
            const QString path =
                settings->value(QStringLiteral("Ports/COM%1").arg(n)).toString().trimmed();
            if (!path.isEmpty())
                configured_.insert(n, PortDevice{path, QFileInfo(path).fileName()});
        }
    }
}

void PortMap::setFixed(int n, const PortDevice& device) {
    fixed_.insert(n, device);
}

PortDevice PortMap::device(int n) const {
    if (fixed_.contains(n)) return fixed_.value(n);
    if (configured_.contains(n)) return configured_.value(n);
    return enumerated_.value(n);
}

bool PortMap::present(const QString& path) {
    return !path.isEmpty() && QFileInfo::exists(path);
}

QString PortMap::entryText(int n) const {
    const PortDevice d = device(n);
    QString text = QStringLiteral("COM%1:").arg(n);
    if (!d.name.isEmpty()) text += QLatin1Char(' ') + d.name;
    return text;
}

} // namespace rm27
