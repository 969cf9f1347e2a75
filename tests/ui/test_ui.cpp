// The Qt adapters that need no window: line settings, port numbering, the
// settings store, the file dialog wrapper, the about box's texts.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QSet>
#include <QSettings>
#include <QTemporaryDir>

#include <sys/wait.h>
#include <unistd.h>

#include "support/qt_environment.h"
#include "ui/app_settings.h"
#include "ui/common_dialog.h"
#include "ui/mnemonics.h"
#include "ui/port_access.h"
#include "ui/port_map.h"
#include "ui/qt_serial_line.h"
#include "ui/window_placement.h"

namespace rm27 {
namespace {

[[maybe_unused]] auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new test::QtEnvironment("test_ui"));

TEST(LineSettings, ParsesTheSettingsText) {
    const struct {
        const char* text;
        qint32 baud;
        QSerialPort::Parity parity;
        QSerialPort::DataBits bits;
        QSerialPort::StopBits stop;
    } valid[] = {
        {"9600,n,8,1", 9600, QSerialPort::NoParity, QSerialPort::Data8, QSerialPort::OneStop},
        {"19200,E,7,2", 19200, QSerialPort::EvenParity, QSerialPort::Data7, QSerialPort::TwoStop},
        {"1200,o,5,1.5", 1200, QSerialPort::OddParity, QSerialPort::Data5,
         QSerialPort::OneAndHalfStop},
        {" 4800 , m , 6 , 1 ", 4800, QSerialPort::MarkParity, QSerialPort::Data6,
         QSerialPort::OneStop},
    };
    for (const auto& c : valid) {
        SCOPED_TRACE(c.text);
        LineSettings s;
        ASSERT_TRUE(ParseLineSettings(QString::fromLatin1(c.text), s));
        EXPECT_EQ(s.baud, c.baud);
        EXPECT_EQ(s.parity, c.parity);
        EXPECT_EQ(s.dataBits, c.bits);
        EXPECT_EQ(s.stopBits, c.stop);
    }
    for (const char* text : {"9600,x,8,1", "9600,n,9,1", "9600,n,4,1", "9600,n,8,3", "9600,n,8",
                             "abc,n,8,1", "0,n,8,1", ""}) {
        LineSettings s;
        s.baud = 1;
        EXPECT_FALSE(ParseLineSettings(QString::fromLatin1(text), s)) << text;
        EXPECT_EQ(s.baud, 1) << text; // left alone
    }
}

TEST(PortMapOrder, AdaptersFirstThenByStemAndNumber) {
    EXPECT_EQ(PortMap::orderDevices(
                  {"ttyS10", "ttyS2", "ttyUSB1", "rfcomm0", "ttyACM0", "ttyUSB0", "ttyS"}),
              (QStringList{"ttyACM0", "ttyUSB0", "ttyUSB1", "rfcomm0", "ttyS", "ttyS2", "ttyS10"}));
}

TEST(PortMapOrder, FixedDeviceWinsAndNamesTheEntry) {
    PortMap map;
    map.setFixed(3, PortDevice{QStringLiteral("/dev/pts/7"), QStringLiteral("simulator")});
    EXPECT_EQ(map.entryText(3), QStringLiteral("COM3: simulator"));
    EXPECT_EQ(map.device(3).path, QStringLiteral("/dev/pts/7"));
    EXPECT_EQ(map.entryText(15), QStringLiteral("COM15:")); // nothing mapped this far up
}

TEST(PortMapPresence, FollowsTheLinkToItsEnd) {
    QTemporaryDir dir;
    const QString device = dir.filePath(QStringLiteral("ttyFAKE0"));
    const QString link = dir.filePath(QStringLiteral("rm27"));
    ASSERT_TRUE(QFile::link(device, link));
    EXPECT_FALSE(PortMap::present(link)); // points nowhere: the simulator is gone
    QFile file(device);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    EXPECT_TRUE(PortMap::present(link));
    EXPECT_TRUE(PortMap::present(device));
    EXPECT_FALSE(PortMap::present(QString()));
}

TEST(PortPermission, HintNamesTheGroupToJoin) {
    PortAccessFacts dialout;
    dialout.accessError = EACCES;
    dialout.group = 20;
    dialout.groupName = QStringLiteral("dialout");
    dialout.owner = 0;
    dialout.ownerName = QStringLiteral("root");
    dialout.mode = 0660;
    dialout.userName = QStringLiteral("jana");
    const QString port = QStringLiteral("/dev/ttyUSB0");
    const QString join = QStringLiteral(
        "Port /dev/ttyUSB0 smí používat jen členové skupiny „dialout“: přidejte uživatele jana do "
        "skupiny (sudo usermod -aG dialout jana) a přihlaste se znovu.");
    const QString loginAgain = QStringLiteral("Uživatel jana už je ve skupině „dialout“, ale "
                                              "program byl spuštěn dřív: odhlaste se a přihlaste "
                                              "znovu.");
    struct Case {
        const char* what;
        PortAccessFacts facts;
        QString hint;
    };
    auto with = [&](auto change) {
        PortAccessFacts f = dialout;
        change(f);
        return f;
    };
    const Case cases[] = {
        {"not in the group", dialout, join},
        {"in the account, not yet in the session",
         with([](PortAccessFacts& f) { f.accountInGroup = true; }), loginAgain},
        {"group without a name", with([](PortAccessFacts& f) { f.groupName.clear(); }),
         QString(join).replace(QStringLiteral("dialout"), QStringLiteral("20"))},
        {"may use it", with([](PortAccessFacts& f) { f.accessError = 0; }), QString()},
        {"missing", with([](PortAccessFacts& f) { f.accessError = ENOENT; }), QString()},
        {"busy", with([](PortAccessFacts& f) { f.accessError = EBUSY; }), QString()},
        // joining the group would not help: say what stands in the way
        {"the group may not either", with([](PortAccessFacts& f) { f.mode = 0600; }),
         QStringLiteral("Uživatel jana nemá k portu /dev/ttyUSB0 přístup (vlastník root, skupina "
                        "„dialout“, práva rw-------).")},
        {"in the group already", with([](PortAccessFacts& f) { f.processInGroup = true; }),
         QStringLiteral("Uživatel jana nemá k portu /dev/ttyUSB0 přístup (vlastník root, skupina "
                        "„dialout“, práva rw-rw----).")},
        {"the owner, shut out by the owner's bits", with([](PortAccessFacts& f) {
             f.processIsOwner = true;
             f.mode = 0060;
         }),
         QStringLiteral("Uživatel jana nemá k portu /dev/ttyUSB0 přístup (vlastník root, skupina "
                        "„dialout“, práva ---rw----).")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PortPermissionHint(port, c.facts).czech(), c.hint.toStdString()) << c.what;
}

// Who holds a port: the process a lock file names, while it runs; a lock
// whose process is gone is stale, and said only when it cannot be removed.
TEST(PortHolder, TheLockNamesItsProgramOrIsStale) {
    const QString port = QStringLiteral("COM1");
    const QString device = QStringLiteral("/dev/ttyUSB0");
    PortHolder inUse;
    inUse.lockFile = QStringLiteral("/var/lock/LCK..ttyUSB0");
    inUse.pid = 4711;
    inUse.program = QStringLiteral("r27ctl");
    PortHolder unnamed = inUse;
    unnamed.program.clear();
    PortHolder stale = inUse;
    stale.stale = true;
    stale.lockOwner = QStringLiteral("jana");
    PortHolder staleKept = stale;
    staleKept.removeError = EPERM;
    const std::pair<PortHolder, const char*> cases[] = {
        {inUse, "COM1 (/dev/ttyUSB0) používá jiný program: r27ctl, PID 4711"},
        {unnamed, "COM1 (/dev/ttyUSB0) používá jiný program, PID 4711"},
        {stale, ""}, // removed, and the port opened again
        {staleKept, "Port COM1 (/dev/ttyUSB0) zůstal zamčený po programu, který už neběží (PID "
                    "4711): zámek /var/lock/LCK..ttyUSB0 smí odstranit jen jeho vlastník (jana) "
                    "nebo správce (sudo rm /var/lock/LCK..ttyUSB0)."},
        {PortHolder{}, ""},
    };
    for (const auto& [holder, hint] : cases)
        EXPECT_EQ(PortHolderHint(port, device, holder).czech(), hint);

    // A real lock file, where QSerialPort would take it for this device.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ttyHELD"));
    const QString lock = SerialLockFile(path);
    ASSERT_TRUE(lock.endsWith(QStringLiteral("/LCK..") + QString(path).replace('/', '_')))
        << lock.toStdString();
    const pid_t gone = ::fork();
    if (gone == 0) ::_exit(0);
    ASSERT_EQ(::waitpid(gone, nullptr, 0), gone);
    for (const qint64 pid : {static_cast<qint64>(::getppid()), static_cast<qint64>(gone)}) {
        QFile file(lock);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QByteArray::number(pid) + "\nsomething\nhost\n");
        file.close();
        const PortHolder h = FindPortHolder(path);
        EXPECT_EQ(h.lockFile, lock);
        EXPECT_EQ(h.pid, pid);
        EXPECT_EQ(h.stale, pid == gone);
        EXPECT_EQ(h.program.isEmpty(), pid == gone) << h.program.toStdString();
    }
    QFile::remove(lock);
    EXPECT_EQ(FindPortHolder(path).pid, 0);
}

TEST(Settings, NumberLiteralsAndRoundTrip) {
    const std::pair<const char*, int> cases[] = {
        {"14", 14},  {" 7", 7},  {"12:", 12},
        {"3abc", 3}, {"abc", 0}, {"", 0},
        {"-2", -2},  {"+5", 5},  {"99999999999", 2147483647}};
    for (const auto& [text, value] : cases)
        EXPECT_EQ(ReadNumberLiteral(QString::fromLatin1(text)), value) << text;

    AppSettings store(QStringLiteral("rm27 settings test"));
    store.store().clear();
    EXPECT_EQ(store.GetSetting("MRU", "COMPortIndex", "0"), QStringLiteral("0"));
    store.SaveSetting("MRU", "COMPortIndex", "4");
    AppSettings again(QStringLiteral("rm27 settings test"));
    EXPECT_EQ(again.GetSetting("MRU", "COMPortIndex", "0"), QStringLiteral("4"));
}

TEST(CommonDialogTest, FilterTextBecomesQtNameFilters) {
    EXPECT_EQ(CommonDialog::NameFilters(QStringLiteral("Soubory  (*.eep)|*.eep|Všechny |*.*")),
              (QStringList{QStringLiteral("Soubory  (*.eep)"), QStringLiteral("Všechny (*)")}));
    EXPECT_EQ(CommonDialog::NameFilters(QStringLiteral("Kalibrace|*.clb;*.CLB|odd")),
              (QStringList{QStringLiteral("Kalibrace (*.clb *.CLB)")}));
}

TEST(CommonDialogTest, SaveAddsTheDefaultExtensionAndKeepsTheChosenFilter) {
    CommonDialog d;
    d.DialogTitle = QStringLiteral("Uložit");
    d.Filter = QStringLiteral("Soubory  (*.eep)|*.eep|Všechny |*.*");
    d.FilterIndex = 2;
    d.DefaultExt = QStringLiteral(".eep");
    d.InitDir = QStringLiteral("/data");
    d.FileName = QStringLiteral("image");
    FileDialogRequest seen;
    d.runner = [&](const FileDialogRequest& r) {
        seen = r;
        return FileDialogAnswer{true, QStringLiteral("/data/out"), 0};
    };
    ASSERT_TRUE(d.ShowSave());
    EXPECT_TRUE(seen.save);
    EXPECT_EQ(seen.title, QStringLiteral("Uložit"));
    EXPECT_EQ(seen.directory, QStringLiteral("/data/image"));
    EXPECT_EQ(seen.selectedFilter, 1);
    EXPECT_EQ(d.FileName, QStringLiteral("/data/out.eep"));
    EXPECT_EQ(d.FilterIndex, 1);

    d.runner = [](const FileDialogRequest&) { return FileDialogAnswer{}; };
    EXPECT_FALSE(d.ShowOpen());
    EXPECT_EQ(d.FileName, QStringLiteral("/data/out.eep"));
}

// A caption's letter: a word's first letter that is still free, else any
// free letter; one it has already, or "&&" (a shown ampersand), is kept.
TEST(Mnemonics, EachCaptionGetsAFreeLetterAndKeepsItWhenItsWordingChanges) {
    QSet<QChar> used;
    EXPECT_EQ(WithMnemonic(QStringLiteral("Načíst"), used), QStringLiteral("&Načíst"));
    EXPECT_EQ(WithMnemonic(QStringLiteral("Zobrazit"), used), QStringLiteral("&Zobrazit"));
    EXPECT_EQ(WithMnemonic(QStringLiteral("Zrušit táru"), used), QStringLiteral("Zrušit &táru"));
    EXPECT_EQ(WithMnemonic(QStringLiteral("Uložit nulu"), used), QStringLiteral("&Uložit nulu"));
    // Both words' first letters taken: the next free one.
    EXPECT_EQ(WithMnemonic(QStringLiteral("Nastavit nulu"), used), QStringLiteral("N&astavit nulu"));
    EXPECT_EQ(WithMnemonic(QStringLiteral("Nn"), used), QStringLiteral("Nn")); // nothing free
    EXPECT_EQ(WithMnemonic(QStringLiteral("A&&B"), used), QStringLiteral("A&&&B")); // shows "A&B"
    EXPECT_EQ(WithMnemonic(QStringLiteral("&Graph"), used), QStringLiteral("&Graph"));
    EXPECT_TRUE(used.contains(QLatin1Char('g')));
    EXPECT_EQ(WithMnemonic(QStringLiteral("Graf"), used), QStringLiteral("G&raf"));

    EXPECT_EQ(KeepMnemonic(QStringLiteral("&Spojit"), QStringLiteral("Spojeno")),
              QStringLiteral("&Spojeno"));
    EXPECT_EQ(KeepMnemonic(QStringLiteral("&Spojit"), QStringLiteral("Připojit")),
              QStringLiteral("Připojit"));
    EXPECT_EQ(KeepMnemonic(QStringLiteral("Spojit"), QStringLiteral("Spojeno")),
              QStringLiteral("Spojeno"));
}

// A message box whose text is shorter than its title still shows the title.
TEST(TitleRoom, AShortBoxIsAsWideAsItsTitle) {
    QMessageBox box(QMessageBox::Information, QStringLiteral("RM-27/RMU Manager — Obnovit eKey"),
                    QStringLiteral("OK"));
    KeepTitleWhole(&box);
    QFont bold = box.font();
    bold.setBold(true);
    EXPECT_GE(box.sizeHint().width(),
              QFontMetrics(bold).horizontalAdvance(box.windowTitle()) + box.fontMetrics().height());
}

} // namespace
} // namespace rm27
