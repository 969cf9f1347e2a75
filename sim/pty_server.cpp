#include "sim/pty_server.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>

namespace rm27::sim {

namespace {

std::string Escape(const std::string& text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c < 0x20 || c >= 0x7F) {
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

void SetError(std::string* error, const std::string& what) {
    if (error) {
        *error = what + ": " + std::strerror(errno);
    }
}

} // namespace

PtyServer::PtyServer() = default;

PtyServer::~PtyServer() {
    close();
}

bool PtyServer::open(std::string* error) {
    if (master_ >= 0) {
        return true;
    }
    if (openpty(&master_, &slave_, nullptr, nullptr, nullptr) != 0) {
        SetError(error, "openpty");
        master_ = slave_ = -1;
        return false;
    }
    // Raw both ways: with the default line discipline CR would arrive as LF
    // and everything the host sends would be echoed back to it.
    termios tio{};
    tcgetattr(slave_, &tio);
    cfmakeraw(&tio);
    cfsetispeed(&tio, B9600);
    cfsetospeed(&tio, B9600);
    tcsetattr(slave_, TCSANOW, &tio);
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    fcntl(master_, F_SETFD, FD_CLOEXEC);
    fcntl(slave_, F_SETFD, FD_CLOEXEC);
    const char* name = ttyname(slave_);
    slavePath_ = name ? name : "";
    if (pipe(wake_) != 0) {
        SetError(error, "pipe");
        close();
        return false;
    }
    for (int fd : wake_) {
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
        fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    // Opened again after close() (an adapter plugged back in), the bus
    // keeps its clock: its converters and their pending events live on.
    if (!originSet_) {
        origin_ = std::chrono::steady_clock::now();
        originSet_ = true;
    }
    bus_.onRequest = [this](const Request& r) {
        if (log) {
            log("<- " + Escape(r.raw + "\r"));
        }
    };
    bus_.onAnswer = [this](const AnswerRecord& a) {
        if (log) {
            log("-> " + Escape(a.text));
        }
    };
    return true;
}

bool PtyServer::createLink(const std::string& path, std::string* error) {
    struct stat st {};
    if (lstat(path.c_str(), &st) == 0) {
        // Replace an old link, never a real file someone keeps there.
        if (!S_ISLNK(st.st_mode)) {
            errno = EEXIST;
            SetError(error, path);
            return false;
        }
        ::unlink(path.c_str());
    }
    if (::symlink(slavePath_.c_str(), path.c_str()) != 0) {
        SetError(error, path);
        return false;
    }
    linkPath_ = path;
    return true;
}

void PtyServer::close() {
    stop();
    if (!linkPath_.empty()) {
        ::unlink(linkPath_.c_str());
        linkPath_.clear();
    }
    for (int* fd : {&master_, &slave_, &wake_[0], &wake_[1]}) {
        if (*fd >= 0) {
            ::close(*fd);
            *fd = -1;
        }
    }
}

double PtyServer::elapsedMs() const {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - origin_)
        .count();
}

double PtyServer::nextDueMs() const {
    return std::min(bus_.nextEventMs(), bus_.nextArrivalMs());
}

int PtyServer::timeoutMs() {
    std::lock_guard<std::mutex> lock(mutex_);
    const double due = nextDueMs();
    if (due == kNever) {
        return -1;
    }
    return static_cast<int>(std::ceil(std::max(0.0, due - elapsedMs())));
}

void PtyServer::service() {
    if (master_ < 0) {
        return;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    char buffer[512];
    for (;;) {
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n <= 0) {
            break; // EAGAIN: all read
        }
        bus_.hostWrite(elapsedMs(), std::string(buffer, static_cast<std::size_t>(n)));
    }
    const double now = elapsedMs();
    bus_.advanceTo(now);
    const std::string due = bus_.takeArrived(now);
    if (!due.empty()) {
        // A client that does not read lets the terminal fill up; what does
        // not fit is lost, as on a port nobody listens to.
        [[maybe_unused]] const ssize_t written = ::write(master_, due.data(), due.size());
    }
}

void PtyServer::start() {
    if (running() || master_ < 0) {
        return;
    }
    stop_ = false;
    thread_ = std::thread([this] { loop(); });
}

void PtyServer::stop() {
    if (!thread_.joinable()) {
        return;
    }
    stop_ = true;
    const char c = 'x';
    [[maybe_unused]] const ssize_t n = ::write(wake_[1], &c, 1);
    thread_.join();
}

void PtyServer::loop() {
    while (!stop_) {
        double waitMs = -1.0;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            const double due = nextDueMs();
            if (due != kNever) {
                waitMs = std::max(0.0, due - elapsedMs());
            }
        }
        pollfd fds[2] = {{master_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        timespec ts{};
        timespec* timeout = nullptr;
        if (waitMs >= 0.0) {
            const auto ns = static_cast<long long>(waitMs * 1e6);
            ts.tv_sec = static_cast<time_t>(ns / 1000000000LL);
            ts.tv_nsec = static_cast<long>(ns % 1000000000LL);
            timeout = &ts;
        }
        const int ready = ::ppoll(fds, 2, timeout, nullptr);
        if (ready < 0 && errno != EINTR) {
            break;
        }
        if (ready > 0 && (fds[1].revents & POLLIN)) {
            char drain[16];
            while (::read(wake_[0], drain, sizeof drain) > 0) {
            }
        }
        service();
    }
}

} // namespace rm27::sim
