// Simulated converters served on a pseudo-terminal in real time, so that
// the program (or any serial tool) can connect to them as to a real port.
//
// The pair is made raw (no CR to LF translation, no echo), and the server
// keeps the slave end open itself: a client that opens and closes the
// terminal must not make the master's reads fail with EIO in between.
// Answers leave at 9600 baud pacing, character by character, on a monotonic
// clock; the loop sleeps in ppoll() until the next character or event.
//
// Two ways to drive it:
//   - its own thread: start() ... stop();
//   - an external loop: poll fd() for POLLIN with timeoutMs(), then call
//     service() whenever it wakes (readable or timed out).
// While the thread runs, reach the bus only through withBus().
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "sim/bus.h"

namespace rm27::sim {

class PtyServer {
public:
    PtyServer();
    ~PtyServer();
    PtyServer(const PtyServer&) = delete;
    PtyServer& operator=(const PtyServer&) = delete;

    // Set up converters and faults before open()/start().
    Bus& bus() { return bus_; }
    template <class F> auto withBus(F&& f) {
        std::lock_guard<std::mutex> lock(mutex_);
        return f(bus_);
    }

    // Create the pseudo-terminal. False with a reason in *error. After
    // close() it makes a new terminal for the same converters, as if their
    // adapter had been pulled and plugged in again; createLink() then puts
    // the link back.
    bool open(std::string* error = nullptr);
    bool isOpen() const { return master_ >= 0; }
    // The terminal a client opens, e.g. "/dev/pts/3".
    const std::string& slavePath() const { return slavePath_; }
    // Also reach the terminal through a symbolic link at path (an existing
    // link or file there is replaced; removed again by close()).
    bool createLink(const std::string& path, std::string* error = nullptr);
    void close();

    // External loop.
    int fd() const { return master_; }
    // Milliseconds until service() has something due; -1 when nothing is.
    int timeoutMs();
    // Read what the client sent, let the converters work, write every
    // character that is due.
    void service();

    // Own thread.
    void start();
    void stop();
    bool running() const { return thread_.joinable(); }

    // Milliseconds since the first open() on the server's monotonic clock.
    double elapsedMs() const;

    // Each request and answer is written here when set (not thread-safe
    // against the caller: set before start()).
    std::function<void(const std::string&)> log;

private:
    void loop();
    double nextDueMs() const;

    Bus bus_;
    std::mutex mutex_;
    int master_ = -1;
    int slave_ = -1;
    int wake_[2] = {-1, -1};
    std::string slavePath_;
    std::string linkPath_;
    std::chrono::steady_clock::time_point origin_;
    bool originSet_ = false;
    std::thread thread_;
    std::atomic<bool> stop_{false};
};

} // namespace rm27::sim
