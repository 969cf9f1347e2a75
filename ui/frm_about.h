// frmAbout: the about box. Program title and version, the maker's lines as
// the build sets them, and a button that lists what a support request needs
// to know about this machine.
#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;

namespace rm27 {

class FrmAbout : public QDialog {
    Q_OBJECT
public:
    explicit FrmAbout(QWidget* parent = nullptr);

    // The lines the system information button shows: Qt version, operating
    // system and kernel, the serial devices present.
    static QString SystemInfoText();

public Q_SLOTS:
    void cmdSysInfo_Click();

private:
    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblMaker = nullptr;
    QPushButton* cmdSysInfo = nullptr;
    QPushButton* cmdOK = nullptr;
};

} // namespace rm27
