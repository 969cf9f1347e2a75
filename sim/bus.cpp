#include "sim/bus.h"

#include <algorithm>

namespace rm27::sim {

Converter& Bus::add(ConverterSetup setup) {
    converters_.push_back(std::make_unique<Converter>(std::move(setup)));
    txFreeMs_.push_back(0.0);
    return *converters_.back();
}

Converter* Bus::findByAddress(int address) {
    for (auto& c : converters_) {
        if (c->address() == address) {
            return c.get();
        }
    }
    return nullptr;
}

double Bus::hostWrite(double timeMs, const std::string& text) {
    double t = std::max(timeMs, hostTxFreeMs_);
    for (char c : text) {
        t += kCharMs;
        if (partial_.empty()) {
            partialStartMs_ = t;
        }
        if (c == '\r') {
            frames_.push_back({t, partialStartMs_, partial_});
            partial_.clear();
        } else {
            partial_ += c;
        }
    }
    hostTxFreeMs_ = t;
    return t;
}

void Bus::advanceTo(double timeMs) {
    while (!frames_.empty() && frames_.front().doneMs <= timeMs) {
        const PendingFrame frame = frames_.front();
        frames_.pop_front();
        process(frame);
    }
}

double Bus::nextEventMs() const {
    return frames_.empty() ? kNever : frames_.front().doneMs;
}

void Bus::process(const PendingFrame& frame) {
    if (frame.doneMs > cutAtMs_) {
        return; // the cable is cut: nobody hears it
    }
    Request r = ParseRequest(frame.text, ++frameCount_, frame.doneMs);
    const Fault fault = faults_.pick(r);
    // A field of the frame hit on its way in: the converters carry out
    // what they heard and answer as for that.
    HitOnTheWayIn(r, fault);
    requests_.push_back(r);
    if (onRequest) {
        onRequest(r);
    }

    if (!r.addressed) {
        // The bare restart has no address: every converter that hears it
        // restarts.
        if (r.body == "X") {
            for (auto& c : converters_) {
                if (!c->deafAt(frame.startMs)) {
                    c->restart(frame.doneMs);
                }
            }
        }
        return;
    }
    for (std::size_t i = 0; i < converters_.size(); ++i) {
        Converter& c = *converters_[i];
        if (c.deafAt(frame.startMs) || !c.hears(r)) {
            continue;
        }
        const std::optional<std::string> answer = c.handle(r);
        if (!answer) {
            continue;
        }
        const double turnaround =
            c.setup().turnaroundMs >= 0.0 ? c.setup().turnaroundMs : turnaroundMs_;
        const double start = std::max(frame.doneMs + turnaround, txFreeMs_[i]);
        const std::vector<AnswerPiece> pieces = ShapeAnswer(*answer, fault);
        AnswerRecord record{r.number, static_cast<int>(i), start, {}, *answer};
        for (const auto& p : pieces) {
            record.text += p.text;
        }
        transmit(static_cast<int>(i), start, pieces, fault.kind == FaultKind::LineCut);
        answers_.push_back(record);
        if (onAnswer) {
            onAnswer(answers_.back());
        }
    }
}

void Bus::transmit(int source, double startMs, const std::vector<AnswerPiece>& pieces, bool cut) {
    double t = startMs;
    for (const auto& piece : pieces) {
        t += piece.gapMs;
        for (char c : piece.text) {
            t += kCharMs;
            putChar({t, c, source});
        }
    }
    txFreeMs_[static_cast<std::size_t>(source)] = t;
    if (cut) {
        cutAtMs_ = std::min(cutAtMs_, t);
        while (!rx_.empty() && rx_.back().arrivalMs > cutAtMs_) {
            rx_.pop_back();
        }
    }
}

void Bus::putChar(WireChar wc) {
    if (wc.arrivalMs > cutAtMs_) {
        return;
    }
    auto lo = std::lower_bound(rx_.begin(), rx_.end(), wc.arrivalMs - kCharMs + 1e-9,
                               [](const WireChar& e, double t) { return e.arrivalMs < t; });
    for (auto it = lo; it != rx_.end() && it->arrivalMs < wc.arrivalMs + kCharMs - 1e-9; ++it) {
        if (it->source != wc.source) {
            // Two drivers on one wire during the same character time: the
            // receiver gets neither, only a broken character.
            const auto a = static_cast<unsigned char>(it->c);
            const auto b = static_cast<unsigned char>(wc.c);
            it->c = static_cast<char>(0x80u | ((a & b) & 0x7Fu));
            it->source = -2;
            return;
        }
    }
    auto pos = std::upper_bound(rx_.begin(), rx_.end(), wc.arrivalMs,
                                [](double t, const WireChar& e) { return t < e.arrivalMs; });
    rx_.insert(pos, wc);
}

std::size_t Bus::arrivedCount(double timeMs) const {
    std::size_t n = 0;
    while (n < rx_.size() && rx_[n].arrivalMs <= timeMs) {
        ++n;
    }
    return n;
}

std::string Bus::takeArrived(double timeMs) {
    std::string out;
    while (!rx_.empty() && rx_.front().arrivalMs <= timeMs) {
        out += rx_.front().c;
        rx_.pop_front();
    }
    return out;
}

void Bus::discardArrived(double timeMs) {
    takeArrived(timeMs);
}

double Bus::nextArrivalMs() const {
    return rx_.empty() ? kNever : rx_.front().arrivalMs;
}

} // namespace rm27::sim
