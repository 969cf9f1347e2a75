// The simulator on a real pseudo-terminal: the rm27sim program and the
// embeddable server. Deadlines here are safety bounds, never measurements.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <bit>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "sim/pty_server.h"

extern char** environ;

namespace rm27::sim {
namespace {

using Clock = std::chrono::steady_clock;

// Reads from fd until `want` characters (or a newline when want is 0) or
// the deadline.
std::string ReadFor(int fd, std::size_t want,
                    std::chrono::milliseconds limit = std::chrono::seconds(5)) {
    const auto deadline = Clock::now() + limit;
    std::string got;
    while (Clock::now() < deadline) {
        if ((want > 0 && got.size() >= want) ||
            (want == 0 && got.find('\n') != std::string::npos)) {
            break;
        }
        pollfd p{fd, POLLIN, 0};
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (::poll(&p, 1, static_cast<int>(std::max<long long>(1, left.count()))) <= 0) {
            continue;
        }
        char buf[256];
        const ssize_t n = ::read(fd, buf, want > 0 ? std::min(sizeof buf, want - got.size()) : 1);
        if (n <= 0) {
            break;
        }
        got.append(buf, static_cast<std::size_t>(n));
    }
    return got;
}

int OpenRaw(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
    if (fd >= 0) {
        termios tio{};
        tcgetattr(fd, &tio);
        cfmakeraw(&tio);
        tcsetattr(fd, TCSANOW, &tio);
    }
    return fd;
}

bool Send(int fd, const std::string& text) {
    return ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
}

// The state rm27sim --dump wrote when it ended: cell 0 holds the address,
// block 0 the factory eKey's identifier.
void ExpectStateOfConverter3(const std::string& dump) {
    std::ifstream state(dump);
    std::string word, memory, blockZero;
    int address = 0, blocks = 0;
    while (state >> word) {
        if (word == "converter") state >> address;
        if (word == "memory") state >> memory;
        if (word == "block" && blocks++ == 0) state >> word >> blockZero;
    }
    EXPECT_EQ(address, 3);
    EXPECT_EQ(memory.size(), 512u);
    EXPECT_EQ(memory.substr(0, 2), "03");
    EXPECT_EQ(blockZero.substr(0, 6), "46534E"); // "FSN"
    EXPECT_EQ(blocks, 256);
}

TEST(SimPty, ProgramServesIdentificationOnItsTerminal) {
    const std::filesystem::path link =
        std::filesystem::temp_directory_path() / ("rm27sim-test-" + std::to_string(::getpid()));
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const std::string fifo = link.string() + ".control";
    const std::string dump = link.string() + ".dump";
    std::string exe = RM27SIM_PATH, a1 = "--address", a2 = "3", a3 = "--link", a4 = link.string(),
                a5 = "--control", a6 = fifo, a7 = "--cell", a8 = "1:nominal=500,sensitivity=2",
                a9 = "--dump", a10 = dump;
    char* argv[] = {exe.data(), a1.data(), a2.data(), a3.data(), a4.data(), a5.data(),
                    a6.data(),  a7.data(), a8.data(), a9.data(), a10.data(), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv, environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);

    std::string path = ReadFor(out[0], 0);
    ASSERT_FALSE(path.empty());
    path.erase(path.find('\n'));
    EXPECT_EQ(std::filesystem::read_symlink(link).string(), path);

    const int fd = OpenRaw(link.string());
    ASSERT_GE(fd, 0) << path;
    ASSERT_TRUE(Send(fd, "$00@\r"));
    const std::string id = ReadFor(fd, 11);
    ASSERT_EQ(id.size(), 11u) << id;
    EXPECT_EQ(id.substr(4, 2), "RM");
    EXPECT_EQ(id.back(), '\r');
    ASSERT_TRUE(Send(fd, "$03ER00\r"));
    EXPECT_EQ(ReadFor(fd, 3), "03\r");

    // Loads and signals put in through the control FIFO show in the live
    // answers: 250 on the cell of nominal 500 is half its 2 mV/V.
    const int control = ::open(fifo.c_str(), O_WRONLY);
    ASSERT_GE(control, 0);
    ASSERT_TRUE(Send(control, "load 1 250\nbogus\nsignal 2 -1.25\n"));
    ::close(control);
    const auto signalOf = [](const std::string& mk, int input) {
        const auto bits =
            static_cast<std::uint32_t>(std::stoul(mk.substr(30 * input + 6, 8), nullptr, 16));
        return static_cast<double>(std::bit_cast<float>(bits));
    };
    std::string mk;
    for (int tries = 0; tries < 50; ++tries) {
        ASSERT_TRUE(Send(fd, "$03MK\r"));
        mk = ReadFor(fd, 123);
        ASSERT_EQ(mk.size(), 123u) << mk;
        if (std::fabs(signalOf(mk, 1) + 1.25) < 1e-4) break;
    }
    EXPECT_NEAR(signalOf(mk, 0), 1.0, 1e-4);
    EXPECT_NEAR(signalOf(mk, 1), -1.25, 1e-4);
    ::close(fd);

    ::kill(pid, SIGTERM);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_FALSE(std::filesystem::is_symlink(link));
    EXPECT_FALSE(std::filesystem::exists(fifo));
    ::close(out[0]);

    ExpectStateOfConverter3(dump);
    std::filesystem::remove(dump);
}

// Numbers are read whole and decimal, except the mask in hexadecimal.
TEST(SimPty, HelpExitsZeroAndBadOptionsFail) {
    EXPECT_EQ(std::system((std::string(RM27SIM_PATH) + " --help >/dev/null").c_str()), 0);
    for (const char* options :
         {"--address 999", "--address 0x10", "--address 3 4", "--turnaround 1abc",
          "--fault-rate nan", "--signal 2=inf", "--ekeys 0x10", "--cell 5:nominal=1",
          "--cell 1:bogus=1", "--cell 1:nominal=0x10", "--bogus", "stray"}) {
        const int bad = std::system(
            ("timeout 10 " + std::string(RM27SIM_PATH) + " " + options + " 2>/dev/null").c_str());
        EXPECT_TRUE(WIFEXITED(bad) && WEXITSTATUS(bad) == 2) << options << ": " << bad;
    }
}

// The embedded server on its own thread: a client gone and back, and the
// adapter pulled and plugged in again, find the same converter under the
// same link, its clock running on.
TEST(SimPty, ReopenedServerComesBackUnderItsLinkWithTheSameConverter) {
    const std::filesystem::path link =
        std::filesystem::temp_directory_path() / ("rm27sim-relink-" + std::to_string(::getpid()));
    PtyServer server;
    server.bus().add({.address = 4, .variant = Variant::RMU});
    std::string error;
    ASSERT_TRUE(server.open(&error)) << error;
    ASSERT_TRUE(server.createLink(link.string(), &error)) << error;
    server.start();
    const int fd = OpenRaw(server.slavePath());
    ASSERT_GE(fd, 0);
    ASSERT_TRUE(Send(fd, "$04@\r$04ER05\r"));
    EXPECT_EQ(ReadFor(fd, 14), "0123RMU 12\r0A\r");
    ::close(fd);
    const int back = OpenRaw(link.string());
    ASSERT_GE(back, 0);
    // a change the converter must still hold after the "replug"
    ASSERT_TRUE(Send(back, "$04EW2A5C\r"));
    EXPECT_EQ(ReadFor(back, 3), "5C\r");
    const double before = server.elapsedMs();
    server.close(); // the adapter is pulled: its device and link go
    EXPECT_FALSE(std::filesystem::exists(link));
    char c = 0;
    EXPECT_LE(::read(back, &c, 1), 0); // the client sees the line die
    ::close(back);

    ASSERT_TRUE(server.open(&error)) << error;
    ASSERT_TRUE(server.createLink(link.string(), &error)) << error;
    server.start();
    EXPECT_GE(server.elapsedMs(), before); // the bus's clock runs on
    const int again = OpenRaw(link.string());
    ASSERT_GE(again, 0);
    ASSERT_TRUE(Send(again, "$04ER2A\r"));
    EXPECT_EQ(ReadFor(again, 3), "5C\r");
    ::close(again);
    server.stop();
    EXPECT_FALSE(server.running());
    EXPECT_EQ(server.withBus([](Bus& bus) { return bus.requests().size(); }), 4u);
    server.close();
    EXPECT_FALSE(std::filesystem::is_symlink(link));
}

} // namespace
} // namespace rm27::sim
