#include "window_test_support.h"

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include "link/transact.h"
#include "support/qt_environment.h"
#include "ui/build_info.h"
#include "ui/qt_serial_line.h"

namespace rm27::test {

namespace {

[[maybe_unused]] auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(
    new test::QtEnvironment("test_mainwindow", QSize(1920, 1080)));

} // namespace

Pty::Pty() {
    char name[256] = {};
    if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
        ADD_FAILURE() << "openpty failed: " << errno;
        return;
    }
    termios tio{};
    ::tcgetattr(slave_, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(slave_, TCSANOW, &tio);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    path_ = QString::fromLocal8Bit(name);
}

Pty::~Pty() {
    closeMaster();
    if (slave_ >= 0) ::close(slave_);
}

void Pty::write(const std::string& text) {
    ASSERT_EQ(::write(master_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
}

std::string Pty::readAll() {
    std::string out;
    char buf[256];
    for (;;) {
        const ssize_t n = master_ >= 0 ? ::read(master_, buf, sizeof buf) : -1;
        if (n <= 0) break;
        out.append(buf, static_cast<std::size_t>(n));
    }
    return out;
}

std::string Pty::read(std::size_t n) {
    std::string out;
    for (int i = 0; i < 200 && out.size() < n && master_ >= 0; ++i) {
        pollfd p{master_, POLLIN, 0};
        if (::poll(&p, 1, 10) > 0) out += readAll();
    }
    return out;
}

void Pty::closeMaster() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
}

std::size_t CountFrames(const std::string& written) {
    return static_cast<std::size_t>(std::count(written.begin(), written.end(), '\r'));
}

void TestWindow::ReadRM27(std::int32_t& address, bool& ok) {
    ++reads;
    port().line.output(BuildFrame(address, "@"));
    if (duringRead) duringRead();
    DelayMs(pump(), 100);
    ok = readOk;
}

void WindowTest::SetUp() {
    settings = std::make_unique<AppSettings>(QString::fromUtf8(build::kProgramTitle));
    settings->store().clear();
}

FrmMainSetup WindowTest::Setup(const QString& commandLine) {
    FrmMainSetup setup;
    setup.commandLine = commandLine;
    setup.ports = &ports;
    setup.settings = settings.get();
    setup.prompter = &prompter;
    setup.pump = &instant;
    setup.clock = clock;
    setup.quit = [this] { ++quits; };
    return setup;
}

bool WindowTest::ConnectTo(FrmMain& w, const QString& device, int n) {
    ports.setFixed(n, PortDevice{device, QStringLiteral("pty")});
    Child<QComboBox>(w, "cmbSelectPort")->setCurrentIndex(n - 1);
    w.cmdConnect_Click();
    return w.serialLine().portOpen();
}

} // namespace rm27::test
