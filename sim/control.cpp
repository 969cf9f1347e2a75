#include "sim/control.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <vector>

#include "sim/number_text.h"

namespace rm27::sim {

namespace {

bool Fail(std::string* error, std::string why) {
    if (error) *error = std::move(why);
    return false;
}

LoadCell& CellOn(Converter& c, int input, const LoadCellSpec& spec) {
    LoadCell* cell = c.loadCell(input);
    return cell ? *cell : c.attachLoadCell(input, spec);
}

} // namespace

std::optional<ControlCommand> ParseControlLine(const std::string& line, std::string* error) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;)
        words.push_back(w);
    ControlCommand c;
    if (words.size() != 3) {
        Fail(error, "expected \"load|signal|position I VALUE\": " + line);
        return std::nullopt;
    }
    if (words[0] == "load") {
        c.kind = ControlCommand::Kind::Load;
    } else if (words[0] == "signal") {
        c.kind = ControlCommand::Kind::Signal;
    } else if (words[0] == "position") {
        c.kind = ControlCommand::Kind::Position;
    } else {
        Fail(error, "unknown control \"" + words[0] + "\"");
        return std::nullopt;
    }
    if (words[1].size() != 1 || words[1][0] < '1' || words[1][0] > '4') {
        Fail(error, "the input is 1..4: " + words[1]);
        return std::nullopt;
    }
    c.input = words[1][0] - '1';
    if (!ReadFiniteNumber(words[2], c.value)) {
        Fail(error, "not a number: " + words[2]);
        return std::nullopt;
    }
    return c;
}

bool ParseLoadCellSpec(const std::string& text, LoadCellSpec* spec, std::string* error) {
    struct Field {
        const char* key;
        double LoadCellSpec::*member;
    };
    static const Field kFields[] = {
        {"nominal", &LoadCellSpec::nominalLoad},
        {"sensitivity", &LoadCellSpec::sensitivityMvV},
        {"zero", &LoadCellSpec::zeroMvV},
        {"nonlinearity", &LoadCellSpec::nonLinearity},
        {"hysteresis", &LoadCellSpec::hysteresis},
        {"creep", &LoadCellSpec::creep},
        {"creep-ms", &LoadCellSpec::creepTimeMs},
        {"position-effect", &LoadCellSpec::positionEffect},
        {"noise", &LoadCellSpec::noiseMvV},
    };
    std::istringstream in(text);
    for (std::string pair; std::getline(in, pair, ',');) {
        const auto eq = pair.find('=');
        const std::string key = pair.substr(0, eq);
        double value = 0.0;
        if (eq == std::string::npos || !ReadFiniteNumber(pair.substr(eq + 1), value))
            return Fail(error, "expected key=number: " + pair);
        if (key == "seed") {
            spec->noiseSeed = static_cast<std::uint64_t>(std::fabs(value));
            continue;
        }
        bool known = false;
        for (const Field& f : kFields) {
            if (key != f.key) continue;
            spec->*f.member = value;
            known = true;
        }
        if (!known) return Fail(error, "unknown load cell property \"" + key + "\"");
    }
    if (spec->nominalLoad == 0.0) return Fail(error, "the nominal load cannot be 0");
    return true;
}

void ApplyControl(Bus& bus, const ControlCommand& command, double timeMs,
                  const LoadCellSpec& spec) {
    for (std::size_t k = 0; k < bus.size(); ++k) {
        Converter& c = bus.converter(k);
        switch (command.kind) {
        case ControlCommand::Kind::Load:
            CellOn(c, command.input, spec).applyLoad(timeMs, command.value);
            break;
        case ControlCommand::Kind::Position:
            CellOn(c, command.input, spec).mount(timeMs, command.value);
            break;
        case ControlCommand::Kind::Signal:
            c.detachLoadCell(command.input);
            c.addSignalStep(command.input, {timeMs, command.value});
            break;
        }
    }
}

ControlFifo::~ControlFifo() {
    stop();
}

bool ControlFifo::open(const std::string& path, std::string* error) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0) {
        if (!S_ISFIFO(st.st_mode)) return Fail(error, path + ": exists and is not a FIFO");
    } else if (::mkfifo(path.c_str(), 0600) != 0) {
        return Fail(error, path + ": " + std::strerror(errno));
    } else {
        made_ = true;
    }
    path_ = path;
    // Read and write: the open does not wait for a writer, and the reads
    // never see an end of file between writers.
    fd_ = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0 || ::pipe2(wake_, O_NONBLOCK | O_CLOEXEC) != 0) {
        const std::string why = path + ": " + std::strerror(errno);
        stop();
        return Fail(error, why);
    }
    return true;
}

void ControlFifo::start(std::function<void(const std::string& line)> onLine) {
    if (fd_ < 0 || thread_.joinable()) return;
    onLine_ = std::move(onLine);
    stop_ = false;
    thread_ = std::thread([this] { loop(); });
}

void ControlFifo::stop() {
    if (thread_.joinable()) {
        stop_ = true;
        const char c = 'x';
        [[maybe_unused]] const ssize_t n = ::write(wake_[1], &c, 1);
        thread_.join();
    }
    for (int* fd : {&fd_, &wake_[0], &wake_[1]}) {
        if (*fd >= 0) ::close(*fd);
        *fd = -1;
    }
    if (made_) ::unlink(path_.c_str());
    made_ = false;
}

void ControlFifo::loop() {
    std::string pending;
    while (!stop_) {
        pollfd fds[2] = {{fd_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0 && errno != EINTR) break;
        if (fds[1].revents & POLLIN) continue; // stop_ is set
        char buffer[256];
        for (ssize_t n; (n = ::read(fd_, buffer, sizeof buffer)) > 0;)
            pending.append(buffer, static_cast<std::size_t>(n));
        for (std::size_t eol; (eol = pending.find('\n')) != std::string::npos;) {
            std::string line = pending.substr(0, eol);
            pending.erase(0, eol + 1);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.find_first_not_of(" \t") != std::string::npos) onLine_(line);
        }
    }
}

} // namespace rm27::sim
