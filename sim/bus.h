// The serial line shared by the host and any number of converters, with
// its timing at 9600 baud, 8N1.
//
// The bus knows no clock of its own: whoever drives it (the virtual-time
// line of the tests, the pty server in real time) tells it the time in
// every call. Times are milliseconds as doubles.
//
// Timing. A character takes 10 bits at 9600 baud: kCharMs = 1.0417 ms.
// The host's characters go out back to back; a frame is complete when its
// CR has fully arrived. A converter starts its answer a turnaround later
// (or when it has finished sending its previous answer), and the host has
// the j-th character (1-based) of the answer at start + j * kCharMs.
// "$01@\r" written at t = 0 is complete at 5 * kCharMs, the answer starts
// at 5 * kCharMs + turnaround and its 11th character is in at
// 16 * kCharMs + turnaround.
//
// Collisions. Converters drive the same wire. When characters from two
// converters overlap in time the host receives one corrupted character
// (with the top bit set, as a framing error leaves it) in place of both,
// so two converters answering the universal address 0 give garbage, never a
// clean answer.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "sim/converter.h"
#include "sim/faults.h"
#include "sim/request.h"

namespace rm27::sim {

inline constexpr double kCharMs = 10.0 / 9.6;
inline constexpr double kNever = std::numeric_limits<double>::infinity();

// A character on its way to the host.
struct WireChar {
    double arrivalMs = 0.0; // when its stop bit is complete
    char c = 0;
    int source = -1; // converter index
};

// One answer put on the wire, for tests and logs.
struct AnswerRecord {
    std::int64_t requestNumber = 0;
    int converter = -1;
    double startMs = 0.0; // first character starts
    std::string text;     // as shaped by the fault, before collisions
    std::string sent;     // as the converter gave it, before the fault
};

class Bus {
public:
    Bus() = default;
    Bus(const Bus&) = delete;
    Bus& operator=(const Bus&) = delete;

    // Converters keep their index (and their reference stays valid).
    Converter& add(ConverterSetup setup);
    std::size_t size() const { return converters_.size(); }
    Converter& converter(std::size_t index) { return *converters_.at(index); }
    const Converter& converter(std::size_t index) const { return *converters_.at(index); }
    // The converter now answering this address, or nullptr.
    Converter* findByAddress(int address);

    FaultPlan& faults() { return faults_; }

    // Turnaround of converters whose setup does not set their own. Default 2.
    void setTurnaroundMs(double ms) { turnaroundMs_ = ms; }
    double turnaroundMs() const { return turnaroundMs_; }

    // The host writes text at timeMs; it goes out behind whatever the host
    // is still sending. Returns when its last character has arrived.
    double hostWrite(double timeMs, const std::string& text);
    // Carry out every frame complete by timeMs (in order of completion).
    void advanceTo(double timeMs);
    // When the next frame will be complete; kNever when none is on its way.
    double nextEventMs() const;

    // Characters that have reached the host by timeMs and were not taken.
    std::size_t arrivedCount(double timeMs) const;
    std::string takeArrived(double timeMs);
    // Drop what reached the host by timeMs (a port that was closed).
    void discardArrived(double timeMs);
    // Arrival of the next character not yet taken; kNever when none.
    double nextArrivalMs() const;

    // A line cut by a LineCut fault carries nothing until restored.
    bool lineCut() const { return cutAtMs_ < kNever; }
    void restoreLine() { cutAtMs_ = kNever; }

    // Every frame the converters heard, and every answer sent.
    const std::vector<Request>& requests() const { return requests_; }
    const std::vector<AnswerRecord>& answers() const { return answers_; }

    // Called for each frame and answer (e.g. for a debug log).
    std::function<void(const Request&)> onRequest;
    std::function<void(const AnswerRecord&)> onAnswer;

private:
    struct PendingFrame {
        double doneMs = 0.0;
        double startMs = 0.0;
        std::string text; // without CR
    };
    void splitFrames(double startMs, const std::string& text);
    void process(const PendingFrame& frame);
    void transmit(int source, double startMs, const std::vector<AnswerPiece>& pieces, bool cut);
    void putChar(WireChar wc);

    std::vector<std::unique_ptr<Converter>> converters_;
    FaultPlan faults_;
    double turnaroundMs_ = 2.0;
    double hostTxFreeMs_ = 0.0;
    std::string partial_; // host text since the last CR
    double partialStartMs_ = 0.0;
    std::deque<PendingFrame> frames_;
    std::deque<WireChar> rx_;      // sorted by arrival
    std::vector<double> txFreeMs_; // per converter: end of its last answer
    double cutAtMs_ = kNever;
    std::int64_t frameCount_ = 0;
    std::vector<Request> requests_;
    std::vector<AnswerRecord> answers_;
};

} // namespace rm27::sim
