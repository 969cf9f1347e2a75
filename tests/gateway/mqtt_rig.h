// A real Mosquitto broker on a free loopback port, started and stopped by
// the test (its configuration and persistence in a temporary folder, never
// the system's service), and a real subscriber on libmosquitto. Every wait
// blocks on what it waits for (the broker's words, a message), with a
// bound.
#pragma once

#include <gtest/gtest.h>

#include <fcntl.h>
#include <mosquitto.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "loopback.h"

namespace rm27::test {

// The one user a secure broker admits.
inline constexpr const char* kBrokerUser = "gateway";
inline constexpr const char* kBrokerPassword = "s3cret";

class Broker {
public:
    // secure: TLS only, its certificate signed by caFile() for 127.0.0.1,
    // and kBrokerUser alone admitted.
    explicit Broker(bool secure = false) : secure_(secure) {
        char pattern[] = "/tmp/rm27brokerXXXXXX";
        dir_ = ::mkdtemp(pattern);
        port_ = FreeLoopbackPort();
        std::ofstream conf(dir_ + "/broker.conf");
        // As root the broker would switch to its own user and lose the
        // folder. What it says goes to standard error, unbuffered.
        conf << "user " << ::getpwuid(::getuid())->pw_name << "\nlistener " << port_
             << " 127.0.0.1\npersistence true\npersistence_location " << dir_
             << "/\nlog_dest stderr\nallow_anonymous " << (secure ? "false" : "true") << "\n";
        if (!secure) return;
        conf << "password_file " << dir_ << "/passwd\ncafile " << caFile() << "\ncertfile "
             << dir_ << "/server.pem\nkeyfile " << dir_ << "/server.key\n";
        // A CA made for the test, and the broker's certificate signed by it.
        const std::string made =
            "cd " + dir_ + " && mosquitto_passwd -b -c passwd " + kBrokerUser + " " +
            kBrokerPassword +
            " && openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=rm27-test-ca "
            "-keyout ca.key -out ca.pem && openssl req -newkey rsa:2048 -nodes "
            "-subj /CN=127.0.0.1 -keyout server.key -out server.csr && printf "
            "'subjectAltName=IP:127.0.0.1' > san.ext && openssl x509 -req -in server.csr -CA "
            "ca.pem -CAkey ca.key -CAcreateserial -days 2 -extfile san.ext -out server.pem";
        EXPECT_EQ(std::system((made + " >/dev/null 2>&1").c_str()), 0);
    }
    ~Broker() {
        stop();
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    int port() const { return port_; }
    bool secure() const { return secure_; }
    std::string caFile() const { return dir_ + "/ca.pem"; }

    // Returns once the broker says it runs (it listens by then).
    void start() {
        int err[2];
        ASSERT_EQ(::pipe2(err, O_CLOEXEC), 0);
        const std::string conf = dir_ + "/broker.conf";
        char* argv[] = {const_cast<char*>("mosquitto"), const_cast<char*>("-c"),
                        const_cast<char*>(conf.c_str()), nullptr};
        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        posix_spawn_file_actions_adddup2(&files, err[1], 2);
        const int rc = ::posix_spawn(&pid_, MOSQUITTO_PATH, &files, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&files);
        ::close(err[1]);
        said_.clear();
        err_ = err[0];
        ASSERT_EQ(rc, 0);
        ASSERT_TRUE(hear(" running")) << said_;
    }
    // SIGTERM: the broker saves its sessions and the messages it holds;
    // its standard error closes as it ends.
    void stop() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        if (!hear(nullptr)) ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        ::close(err_);
        pid_ = 0;
    }

private:
    // Reads what the broker says until it says `text` (none: until it
    // ends); false when it is silent for 5 s first.
    bool hear(const char* text) {
        char buf[512];
        while (text == nullptr || said_.find(text) == std::string::npos) {
            pollfd p{err_, POLLIN, 0};
            if (::poll(&p, 1, 5000) <= 0) return false;
            const ssize_t n = ::read(err_, buf, sizeof buf);
            if (n <= 0) return text == nullptr;
            said_.append(buf, static_cast<std::size_t>(n));
        }
        return true;
    }

    bool secure_;
    std::string dir_;
    int port_ = 0;
    pid_t pid_ = 0;
    int err_ = -1;
    std::string said_;
};

// Subscribed to one filter at QoS 1. persistent: a session the broker keeps
// (and fills) while the subscriber is away, across a restart of the broker.
class Subscriber {
public:
    Subscriber(const Broker& broker, const std::string& filter, bool persistent = false)
        : filter_(filter) {
        mosquitto_lib_init();
        mosq_ = mosquitto_new("rm27-test-subscriber", !persistent, this);
        if (broker.secure()) {
            mosquitto_username_pw_set(mosq_, kBrokerUser, kBrokerPassword);
            mosquitto_tls_set(mosq_, broker.caFile().c_str(), nullptr, nullptr, nullptr, nullptr);
        }
        mosquitto_reconnect_delay_set(mosq_, 1, 1, false);
        mosquitto_connect_callback_set(mosq_, [](mosquitto* m, void* self, int rc) {
            if (rc == 0)
                mosquitto_subscribe(m, nullptr, static_cast<Subscriber*>(self)->filter_.c_str(), 1);
        });
        // An empty topic stands for the subscription's acknowledgement.
        mosquitto_subscribe_callback_set(mosq_, [](mosquitto*, void* self, int, int, const int*) {
            static_cast<Subscriber*>(self)->got({"", ""});
        });
        mosquitto_message_callback_set(
            mosq_, [](mosquitto*, void* self, const mosquitto_message* m) {
                static_cast<Subscriber*>(self)->got(
                    {m->topic, std::string(static_cast<const char*>(m->payload),
                                           static_cast<std::size_t>(m->payloadlen))});
            });
        EXPECT_EQ(mosquitto_connect(mosq_, "127.0.0.1", broker.port(), 30), MOSQ_ERR_SUCCESS);
        mosquitto_loop_start(mosq_);
        EXPECT_TRUE(waitFor("", 1)) << "not subscribed";
    }
    ~Subscriber() {
        mosquitto_disconnect(mosq_);
        mosquitto_loop_stop(mosq_, false);
        mosquitto_destroy(mosq_);
    }

    // The payloads received on topic, in order.
    std::vector<std::string> on(const std::string& topic) const {
        const std::lock_guard<std::mutex> lock(mutex_);
        return payloads(topic);
    }
    // Waits (15 s at most) until what came on topic is `done`.
    bool waitFor(const std::string& topic,
                 const std::function<bool(const std::vector<std::string>&)>& done) const {
        std::unique_lock<std::mutex> lock(mutex_);
        return arrived_.wait_for(lock, std::chrono::seconds(15),
                                 [&] { return done(payloads(topic)); });
    }
    bool waitFor(const std::string& topic, std::size_t count) const {
        return waitFor(topic, [count](const auto& seen) { return seen.size() >= count; });
    }

private:
    void got(std::pair<std::string, std::string> message) {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            got_.push_back(std::move(message));
        }
        arrived_.notify_all();
    }
    std::vector<std::string> payloads(const std::string& topic) const {
        std::vector<std::string> out;
        for (const auto& [t, payload] : got_) {
            if (t == topic) out.push_back(payload);
        }
        return out;
    }

    std::string filter_;
    mosquitto* mosq_ = nullptr;
    mutable std::mutex mutex_;
    mutable std::condition_variable arrived_;
    std::vector<std::pair<std::string, std::string>> got_; // topic, payload
};

} // namespace rm27::test
