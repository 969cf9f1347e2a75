// A real Mosquitto broker on a free loopback port, started and stopped by
// the test (its configuration and persistence in a temporary folder, never
// the system's service), and a real subscriber on libmosquitto. Every wait
// is on a condition, with a bound.
#pragma once

#include <gtest/gtest.h>

#include <fcntl.h>
#include <mosquitto.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "loopback.h"

namespace rm27::test {

// With a user, the broker admits nobody else; a secure broker speaks
// only TLS, its certificate signed by caFile() for 127.0.0.1.
struct BrokerAccess {
    std::string user;
    std::string password;
    bool tls = false;
};

class Broker {
public:
    explicit Broker(const BrokerAccess& access = {}) {
        char pattern[] = "/tmp/rm27brokerXXXXXX";
        dir_ = ::mkdtemp(pattern);
        port_ = FreeLoopbackPort();
        std::ofstream conf(dir_ + "/broker.conf");
        // As root the broker would switch to its own user and lose the folder.
        conf << "user " << ::getpwuid(::getuid())->pw_name << "\nlistener " << port_
             << " 127.0.0.1\npersistence true\npersistence_location " << dir_ << "/\nlog_dest file "
             << dir_ << "/broker.log\n";
        if (access.tls) {
            MakeCertificates();
            conf << "cafile " << caFile() << "\ncertfile " << dir_ << "/server.pem\nkeyfile "
                 << dir_ << "/server.key\n";
        }
        if (access.user.empty()) {
            conf << "allow_anonymous true\n";
        } else {
            conf << "allow_anonymous false\npassword_file " << dir_ << "/passwd\n";
            Run("mosquitto_passwd -b -c passwd " + access.user + " " + access.password);
        }
    }
    ~Broker() {
        stop();
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    int port() const { return port_; }
    std::string caFile() const { return dir_ + "/ca.pem"; }

    void start() {
        const std::string conf = dir_ + "/broker.conf";
        char* argv[] = {const_cast<char*>("mosquitto"), const_cast<char*>("-c"),
                        const_cast<char*>(conf.c_str()), nullptr};
        // Its complaints (it runs as root in CI) go to its folder.
        const std::string err = dir_ + "/broker.err";
        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        posix_spawn_file_actions_addopen(&files, 2, err.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                         0600);
        const int rc = ::posix_spawn(&pid_, MOSQUITTO_PATH, &files, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&files);
        ASSERT_EQ(rc, 0);
        ASSERT_TRUE(WaitUntil([this] { return Accepts(port_); }, 5000)) << "no broker";
    }
    // SIGTERM: the broker saves its sessions and the messages it holds.
    void stop() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        int status = 0;
        if (!WaitUntil([&] { return ::waitpid(pid_, &status, WNOHANG) == pid_; }, 5000)) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, &status, 0);
        }
        pid_ = 0;
    }

private:
    void Run(const std::string& command) {
        const std::string line = "cd " + dir_ + " && " + command + " >/dev/null 2>&1";
        EXPECT_EQ(std::system(line.c_str()), 0) << command;
    }
    // A CA made for the test, and the broker's certificate signed by it.
    void MakeCertificates() {
        Run("openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=rm27-test-ca "
            "-keyout ca.key -out ca.pem");
        Run("openssl req -newkey rsa:2048 -nodes -subj /CN=127.0.0.1 -keyout server.key "
            "-out server.csr");
        Run("printf 'subjectAltName=IP:127.0.0.1' > san.ext && openssl x509 -req -in server.csr "
            "-CA ca.pem -CAkey ca.key -CAcreateserial -days 2 -extfile san.ext -out server.pem");
    }

    std::string dir_;
    int port_ = 0;
    pid_t pid_ = 0;
};

struct Received {
    std::string topic;
    std::string payload;
};

// Subscribed to one filter at QoS 1. persistent: a session the broker keeps
// (and fills) while the subscriber is away, across a restart of the broker.
class Subscriber {
public:
    Subscriber(int port, const std::string& filter, bool persistent = false,
               const std::string& user = {}, const std::string& password = {},
               const std::string& caFile = {})
        : filter_(filter) {
        mosquitto_lib_init();
        mosq_ = mosquitto_new("rm27-test-subscriber", !persistent, this);
        if (!user.empty()) mosquitto_username_pw_set(mosq_, user.c_str(), password.c_str());
        if (!caFile.empty())
            mosquitto_tls_set(mosq_, caFile.c_str(), nullptr, nullptr, nullptr, nullptr);
        mosquitto_reconnect_delay_set(mosq_, 1, 1, false);
        mosquitto_connect_callback_set(mosq_, [](mosquitto* m, void* self, int rc) {
            if (rc == 0)
                mosquitto_subscribe(m, nullptr, static_cast<Subscriber*>(self)->filter_.c_str(), 1);
        });
        mosquitto_subscribe_callback_set(mosq_, [](mosquitto*, void* self, int, int, const int*) {
            static_cast<Subscriber*>(self)->subscribed_ = true;
        });
        mosquitto_message_callback_set(
            mosq_, [](mosquitto*, void* self, const mosquitto_message* m) {
                auto* s = static_cast<Subscriber*>(self);
                const std::lock_guard<std::mutex> lock(s->mutex_);
                s->got_.push_back({m->topic, std::string(static_cast<const char*>(m->payload),
                                                         static_cast<std::size_t>(m->payloadlen))});
            });
        EXPECT_EQ(mosquitto_connect(mosq_, "127.0.0.1", port, 30), MOSQ_ERR_SUCCESS);
        mosquitto_loop_start(mosq_);
        EXPECT_TRUE(WaitUntil([this] { return subscribed_.load(); }, 5000)) << "not subscribed";
    }
    ~Subscriber() {
        mosquitto_disconnect(mosq_);
        mosquitto_loop_stop(mosq_, false);
        mosquitto_destroy(mosq_);
    }

    std::vector<Received> received() const {
        const std::lock_guard<std::mutex> lock(mutex_);
        return got_;
    }
    // The payloads received on topic, in order.
    std::vector<std::string> on(const std::string& topic) const {
        std::vector<std::string> out;
        for (const Received& r : received()) {
            if (r.topic == topic) out.push_back(r.payload);
        }
        return out;
    }
    bool waitFor(const std::string& topic, std::size_t count, int boundMs = 10000) const {
        return WaitUntil([&] { return on(topic).size() >= count; }, boundMs);
    }

private:
    std::string filter_;
    mosquitto* mosq_ = nullptr;
    std::atomic<bool> subscribed_{false};
    mutable std::mutex mutex_;
    std::vector<Received> got_;
};

} // namespace rm27::test
