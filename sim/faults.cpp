#include "sim/faults.h"

#include <algorithm>
#include <cmath>

#include "sim/converter.h"

namespace rm27::sim {

const char* FaultKindName(FaultKind kind) {
    switch (kind) {
    case FaultKind::None:
        return "none";
    case FaultKind::NoAnswer:
        return "no-answer";
    case FaultKind::Late:
        return "late";
    case FaultKind::Truncate:
        return "truncate";
    case FaultKind::Split:
        return "split";
    case FaultKind::Trickle:
        return "trickle";
    case FaultKind::GarbageBefore:
        return "garbage-before";
    case FaultKind::GarbageAfter:
        return "garbage-after";
    case FaultKind::NonHex:
        return "non-hex";
    case FaultKind::ExtraCr:
        return "extra-cr";
    case FaultKind::StrayLf:
        return "stray-lf";
    case FaultKind::WrongEcho:
        return "wrong-echo";
    case FaultKind::LineCut:
        return "line-cut";
    case FaultKind::AlteredIndex:
        return "altered-index";
    case FaultKind::AlteredBlock:
        return "altered-block";
    case FaultKind::AlteredAddress:
        return "altered-address";
    case FaultKind::AlteredReadIndex:
        return "altered-read-index";
    }
    return "?";
}

Fault Fault::noAnswer() {
    Fault f;
    f.kind = FaultKind::NoAnswer;
    return f;
}

Fault Fault::late(double delayMs) {
    Fault f;
    f.kind = FaultKind::Late;
    f.delayMs = delayMs;
    return f;
}

Fault Fault::truncate(int keepChars) {
    Fault f;
    f.kind = FaultKind::Truncate;
    f.count = keepChars;
    return f;
}

Fault Fault::split(int pieces, double gapMs) {
    Fault f;
    f.kind = FaultKind::Split;
    f.count = pieces;
    f.delayMs = gapMs;
    return f;
}

Fault Fault::trickle(double gapMs) {
    Fault f;
    f.kind = FaultKind::Trickle;
    f.delayMs = gapMs;
    return f;
}

Fault Fault::garbageBefore(std::string text) {
    Fault f;
    f.kind = FaultKind::GarbageBefore;
    f.text = std::move(text);
    return f;
}

Fault Fault::garbageAfter(std::string text) {
    Fault f;
    f.kind = FaultKind::GarbageAfter;
    f.text = std::move(text);
    return f;
}

Fault Fault::nonHex(int position, char replacement) {
    Fault f;
    f.kind = FaultKind::NonHex;
    f.count = position;
    f.text = std::string(1, replacement);
    return f;
}

Fault Fault::extraCr() {
    Fault f;
    f.kind = FaultKind::ExtraCr;
    return f;
}

Fault Fault::strayLf() {
    Fault f;
    f.kind = FaultKind::StrayLf;
    return f;
}

Fault Fault::wrongEcho(int value) {
    Fault f;
    f.kind = FaultKind::WrongEcho;
    f.value = value;
    return f;
}

Fault Fault::altered(FaultKind kind, int value, int flip) {
    Fault f;
    f.kind = kind;
    f.value = value;
    f.count = flip;
    return f;
}

Fault Fault::alteredIndex(int index) {
    return altered(FaultKind::AlteredIndex, index);
}

Fault Fault::alteredBlock(int block) {
    return altered(FaultKind::AlteredBlock, block);
}

Fault Fault::alteredAddress(int address) {
    return altered(FaultKind::AlteredAddress, address);
}

Fault Fault::alteredReadIndex(int location) {
    return altered(FaultKind::AlteredReadIndex, location);
}

Fault Fault::lineCut(int afterChars) {
    Fault f;
    f.kind = FaultKind::LineCut;
    f.count = afterChars;
    return f;
}

bool RequestMatch::matches(const Request& r) const {
    if (r.body.compare(0, prefix.size(), prefix) != 0) {
        return false;
    }
    return paramIndex < 0 || r.param(paramIndex) == paramValue;
}

void FaultPlan::at(std::int64_t requestNumber, Fault fault) {
    Rule rule;
    rule.number = requestNumber;
    rule.fault = std::move(fault);
    rule.remaining = 1;
    rules_.push_back(std::move(rule));
}

void FaultPlan::next(RequestMatch match, Fault fault, int times) {
    Rule rule;
    rule.match = std::move(match);
    rule.fault = std::move(fault);
    rule.remaining = times;
    rules_.push_back(std::move(rule));
}

void FaultPlan::random(std::uint64_t seed, double rate, std::vector<FaultKind> kinds) {
    randomOn_ = !kinds.empty() && rate > 0.0;
    state_ = seed;
    rate_ = std::clamp(rate, 0.0, 1.0);
    kinds_ = std::move(kinds);
}

void FaultPlan::stopRandom() {
    randomOn_ = false;
}

void FaultPlan::clear() {
    rules_.clear();
    randomOn_ = false;
    log_.clear();
}

std::size_t FaultPlan::pendingRules() const {
    return static_cast<std::size_t>(
        std::count_if(rules_.begin(), rules_.end(), [](const Rule& r) { return r.remaining > 0; }));
}

std::vector<FaultKind> FaultPlan::DefaultRandomKinds() {
    return {FaultKind::NoAnswer,     FaultKind::Late,     FaultKind::Truncate,
            FaultKind::Split,        FaultKind::Trickle,  FaultKind::GarbageBefore,
            FaultKind::GarbageAfter, FaultKind::NonHex,   FaultKind::ExtraCr,
            FaultKind::StrayLf,      FaultKind::WrongEcho};
}

// splitmix64: tiny, and the same sequence everywhere (the standard
// distributions are not specified bit for bit across libraries).
std::uint64_t FaultPlan::nextRandom() {
    state_ += 0x9E3779B97F4A7C15ULL;
    std::uint64_t z = state_;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

double FaultPlan::uniform(double lo, double hi) {
    const double u = static_cast<double>(nextRandom() >> 11) * 0x1.0p-53;
    return lo + (hi - lo) * u;
}

Fault FaultPlan::pickScripted(const Request& request) {
    for (Rule& rule : rules_) {
        if (rule.remaining <= 0) {
            continue;
        }
        const bool hit =
            rule.number > 0 ? rule.number == request.number : rule.match.matches(request);
        if (hit) {
            --rule.remaining;
            return rule.fault;
        }
    }
    return Fault::none();
}

namespace {

const char kJunk[] = "#~?*GZ \x7F";

std::string JunkOf(std::uint64_t draw) {
    std::string junk;
    const std::size_t n = 1 + draw % 3;
    for (std::size_t i = 0; i < n; ++i) {
        junk += kJunk[(draw >> (8 * (i + 1))) % (sizeof kJunk - 1)];
    }
    return junk;
}

} // namespace

// p1 and p2 are the frame's two draws, used as each kind needs them.
Fault FaultPlan::randomFault(FaultKind kind, double p1, std::uint64_t p2) const {
    const double lo = params_.gapMinMs;
    const double gap = lo + (params_.gapMaxMs - lo) * p1;
    Fault chosen;
    switch (kind) {
    case FaultKind::Late:
        return Fault::late(params_.lateMinMs + (params_.lateMaxMs - params_.lateMinMs) * p1);
    case FaultKind::Split:
        return Fault::split(
            2 + static_cast<int>(
                    p2 % static_cast<std::uint64_t>(std::max(1, params_.splitMaxPieces - 1))),
            gap);
    case FaultKind::Trickle:
        return Fault::trickle(gap / 4.0);
    case FaultKind::GarbageBefore:
        return Fault::garbageBefore(JunkOf(p2));
    case FaultKind::GarbageAfter:
        return Fault::garbageAfter(JunkOf(p2));
    case FaultKind::NonHex:
        chosen = Fault::nonHex(0, kJunk[p2 % (sizeof kJunk - 1)]);
        chosen.where = p1;
        return chosen;
    case FaultKind::Truncate:
    case FaultKind::LineCut:
        chosen.kind = kind;
        chosen.where = p1;
        return chosen;
    case FaultKind::WrongEcho:
        return Fault::wrongEcho();
    case FaultKind::AlteredIndex:
    case FaultKind::AlteredBlock:
    case FaultKind::AlteredAddress:
    case FaultKind::AlteredReadIndex:
        // Any one bit of the field: a block number may turn into
        // an internal copy's, an address into the universal one.
        return Fault::altered(kind, -1, 1 << (p2 % 8));
    default:
        chosen.kind = kind;
        return chosen;
    }
}

Fault FaultPlan::pick(const Request& request) {
    Fault chosen = pickScripted(request);
    if (randomOn_) {
        // Always the same number of draws per frame, whatever is chosen, so
        // one frame's fault does not shift the faults of later frames.
        const double roll = uniform(0.0, 1.0);
        const std::uint64_t kindDraw = nextRandom();
        const double p1 = uniform(0.0, 1.0);
        const std::uint64_t p2 = nextRandom();
        if (!chosen.active() && roll < rate_) {
            chosen = randomFault(kinds_[kindDraw % kinds_.size()], p1, p2);
        }
    }
    if (std::find(spared_.begin(), spared_.end(), chosen.kind) != spared_.end()) {
        chosen = Fault::none();
    }
    if (chosen.active()) {
        log_.push_back({request.number, request.body, chosen});
    }
    return chosen;
}

int FaultPosition(const Fault& fault, std::size_t length) {
    const int len = static_cast<int>(length);
    int pos = fault.count;
    if (fault.where >= 0.0 && fault.where < 1.0) {
        // Never the whole answer: at least its CR is affected.
        pos = static_cast<int>(std::floor(fault.where * std::max(0, len - 1)));
    } else if (pos < 0) {
        pos = len + pos;
    }
    return std::clamp(pos, 0, len);
}

std::vector<AnswerPiece> ShapeAnswer(const std::string& answer, const Fault& fault) {
    switch (fault.kind) {
    case FaultKind::None:
    case FaultKind::WrongEcho:
    case FaultKind::AlteredIndex:
    case FaultKind::AlteredBlock:
    case FaultKind::AlteredAddress:
    case FaultKind::AlteredReadIndex:
        return {{0.0, answer}};
    case FaultKind::NoAnswer:
        return {};
    case FaultKind::Late:
        return {{std::max(0.0, fault.delayMs), answer}};
    case FaultKind::Truncate:
    case FaultKind::LineCut: {
        const int keep = FaultPosition(fault, answer.size());
        if (keep == 0) {
            return {};
        }
        return {{0.0, answer.substr(0, static_cast<std::size_t>(keep))}};
    }
    case FaultKind::Split: {
        const std::size_t n = answer.size();
        const std::size_t pieces = std::clamp<std::size_t>(
            static_cast<std::size_t>(std::max(1, fault.count)), 1, std::max<std::size_t>(1, n));
        std::vector<AnswerPiece> out;
        std::size_t from = 0;
        for (std::size_t p = 0; p < pieces; ++p) {
            const std::size_t to = n * (p + 1) / pieces;
            out.push_back({p == 0 ? 0.0 : fault.delayMs, answer.substr(from, to - from)});
            from = to;
        }
        return out;
    }
    case FaultKind::Trickle: {
        std::vector<AnswerPiece> out;
        for (std::size_t i = 0; i < answer.size(); ++i) {
            out.push_back({i == 0 ? 0.0 : fault.delayMs, std::string(1, answer[i])});
        }
        return out;
    }
    case FaultKind::GarbageBefore:
        return {{0.0, fault.text + answer}};
    case FaultKind::GarbageAfter:
        return {{0.0, answer + fault.text}};
    case FaultKind::NonHex: {
        std::string text = answer;
        if (!text.empty()) {
            // Keep the CR where it is: the length must stay right so that
            // only the content check can catch it.
            const int last = std::max(0, static_cast<int>(text.size()) - 2);
            const int pos = std::min(FaultPosition(fault, text.size()), last);
            text[static_cast<std::size_t>(pos)] = fault.text.empty() ? 'G' : fault.text[0];
        }
        return {{0.0, text}};
    }
    case FaultKind::ExtraCr:
        return {{0.0, answer + "\r"}};
    case FaultKind::StrayLf:
        return {{0.0, answer + "\n"}};
    }
    return {{0.0, answer}};
}

namespace {

// The parameter a fault on the way in hits, -1 when it leaves the frame
// alone (WrongEcho's is the value, the last parameter).
int HitField(const Request& r, FaultKind kind) {
    const std::string cmd = r.command();
    const bool write = cmd == "KW" || cmd == "EW";
    switch (kind) {
    case FaultKind::WrongEcho:
        return write && r.paramCount() >= 2 ? r.paramCount() - 1 : -1;
    case FaultKind::AlteredIndex:
        return write && r.paramCount() >= 2 ? r.paramCount() - 2 : -1;
    case FaultKind::AlteredBlock:
        return (cmd == "KW" || cmd == "KB") && r.paramCount() >= 1 ? 0 : -1;
    case FaultKind::AlteredReadIndex:
        return cmd == "ER" && r.paramCount() >= 1 ? 0 : -1;
    default:
        return -1;
    }
}

int Heard(const Fault& fault, int sent) {
    if (fault.value >= 0) return fault.value & 0xFF;
    if (fault.kind == FaultKind::WrongEcho) return sent ^ 0x01;
    return sent ^ ((fault.count != 0 ? fault.count : 1) & 0xFF);
}

} // namespace

bool HitOnTheWayIn(Request& r, const Fault& fault) {
    if (fault.kind == FaultKind::AlteredAddress) {
        if (!r.addressed || r.address < 0) return false;
        r.address = Heard(fault, r.address);
        r.raw.replace(1, 2, HexByte(static_cast<unsigned>(r.address)));
        return true;
    }
    const int field = HitField(r, fault.kind);
    const int sent = field >= 0 ? r.param(field) : -1;
    if (sent < 0) return false;
    const std::string heard = HexByte(static_cast<unsigned>(Heard(fault, sent)));
    const std::size_t fromEnd = static_cast<std::size_t>(2 * (r.paramCount() - field));
    r.body.replace(r.body.size() - fromEnd, 2, heard);
    r.raw.replace(r.raw.size() - fromEnd, 2, heard);
    return true;
}

} // namespace rm27::sim
