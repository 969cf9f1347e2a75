#include "app/simulator_host.h"

#include <string>

#include "sim/pty_server.h"

namespace rm27 {

SimulatorHost::SimulatorHost() = default;

SimulatorHost::~SimulatorHost() {
    stop();
}

bool SimulatorHost::start(QString* error) {
    server_ = std::make_unique<sim::PtyServer>();
    server_->bus().add(sim::ConverterSetup{});
    std::string reason;
    if (!server_->open(&reason)) {
        if (error != nullptr) *error = QString::fromStdString(reason);
        server_.reset();
        return false;
    }
    server_->start();
    return true;
}

void SimulatorHost::stop() {
    if (!server_) return;
    if (server_->running()) server_->stop();
    server_->close();
    server_.reset();
}

QString SimulatorHost::devicePath() const {
    return server_ ? QString::fromStdString(server_->slavePath()) : QString();
}

} // namespace rm27
