// Which system device a port number COMn means. COMn is the n-th serial
// device of the machine in a stable order (USB and ACM adapters first, then
// the rest, each group by name), unless the settings name a device for it
// (section "Ports", key "COMn") or the program registered one itself (the
// built-in simulator).
#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

class QSettings;

namespace rm27 {

inline constexpr int kPortCount = 15;

struct PortDevice {
    QString path; // what QSerialPort opens, e.g. "/dev/ttyUSB0"
    QString name; // what the port list shows, e.g. "ttyUSB0"
};

class PortMap {
public:
    // Sort device names the way the port numbers are given out.
    static QStringList orderDevices(QStringList names);

    // Enumerate the machine's serial devices and read the overrides.
    void refresh(QSettings* settings);
    // Register a device for COMn that wins over everything else.
    void setFixed(int n, const PortDevice& device);

    // Device of COMn (1..kPortCount); empty path when nothing is mapped.
    PortDevice device(int n) const;
    // "COMn:" plus a blank and the device name when one is mapped.
    QString entryText(int n) const;

    // Whether the device file is there (a link is followed to its end): a
    // pulled USB adapter takes its file with it, a simulator's link points
    // nowhere once the simulator is gone. One stat, cheap enough to ask
    // every second.
    static bool present(const QString& path);

private:
    QMap<int, PortDevice> enumerated_;
    QMap<int, PortDevice> configured_;
    QMap<int, PortDevice> fixed_;
};

} // namespace rm27
