#include "link/result.h"

#include <array>
#include <ostream>

namespace rm27 {

namespace {

struct Meaning {
    ResultCode code;
    std::string_view name;
    std::string_view text;
};

constexpr std::array kMeanings = {
    Meaning{ResultCode::Ok, "ok", "done"},
    Meaning{ResultCode::NoAnswer, "no-answer", "no complete answer"},
    Meaning{ResultCode::WrongEcho, "wrong-echo", "wrong echo"},
    Meaning{ResultCode::PortClosed, "port-closed", "port closed"},
    Meaning{ResultCode::TooLong, "too-long", "block longer than 256 bytes"},
    Meaning{ResultCode::Short, "short", "image shorter than 255 bytes"},
    Meaning{ResultCode::NoFsn, "no-fsn", "no FSN mark"},
    Meaning{ResultCode::NoKri, "no-kri", "no KRI mark"},
    Meaning{ResultCode::BadCount, "bad-point-count", "bad point count"},
    Meaning{ResultCode::NoCurveFlag, "no-curve-flag", "no curve flag"},
    Meaning{ResultCode::TooManyPoints, "too-many-points", "too many points for the block"},
    Meaning{ResultCode::TooFewPoints, "too-few-points", "fewer than 2 points"},
    Meaning{ResultCode::UnencodableText, "unencodable-text",
            "a text holds a character outside Windows-1250"},
    Meaning{ResultCode::NotConfirmed, "not-confirmed", "not read back as sent"},
    Meaning{ResultCode::Refused, "refused", "refused"},
    Meaning{ResultCode::ZeroEntered, "zero-entered", "zero entered"},
    Meaning{ResultCode::Cancelled, "cancelled", "cancelled"},
    Meaning{ResultCode::NotRun, "not-run", "not run"},
    Meaning{ResultCode::Failed, "failed", "failed"},
};

constexpr bool InCodeOrder() {
    for (std::size_t i = 0; i < kMeanings.size(); ++i) {
        if (static_cast<std::size_t>(kMeanings[i].code) != i) return false;
    }
    return static_cast<std::size_t>(ResultCode::Failed) + 1 == kMeanings.size();
}
static_assert(InCodeOrder(), "one meaning per code, in the order of the codes");

const Meaning& MeaningOf(ResultCode code) {
    return kMeanings[static_cast<std::size_t>(code)];
}

// The numbers the link functions returned before they returned a Result,
// which the messages still show; a write's byte is taken off its number
// and a build's size added to its.
struct Shown {
    ResultOf from;
    ResultCode code;
    std::int32_t number;
};

constexpr std::array kShown = {
    Shown{ResultOf::BlockRead, ResultCode::Ok, 1},
    Shown{ResultOf::BlockRead, ResultCode::NoAnswer, -1},
    Shown{ResultOf::BlockRead, ResultCode::PortClosed, -2},
    Shown{ResultOf::BlockWrite, ResultCode::Ok, 0},
    Shown{ResultOf::BlockWrite, ResultCode::NoAnswer, 0},
    Shown{ResultOf::BlockWrite, ResultCode::WrongEcho, -10000},
    Shown{ResultOf::BlockWrite, ResultCode::PortClosed, -20000},
    Shown{ResultOf::BlockWrite, ResultCode::TooLong, -30000},
    Shown{ResultOf::Decode, ResultCode::Ok, 0},
    Shown{ResultOf::Decode, ResultCode::Short, -30},
    Shown{ResultOf::Decode, ResultCode::NoKri, -32},
    Shown{ResultOf::Decode, ResultCode::BadCount, -33},
    Shown{ResultOf::Decode, ResultCode::NoFsn, -34},
    Shown{ResultOf::Decode, ResultCode::NoCurveFlag, -43},
    Shown{ResultOf::Build, ResultCode::Ok, 0},
    Shown{ResultOf::Build, ResultCode::TooManyPoints, -1},
    Shown{ResultOf::Build, ResultCode::TooFewPoints, -2},
    Shown{ResultOf::Build, ResultCode::NoCurveFlag, -3},
    Shown{ResultOf::Build, ResultCode::UnencodableText, -4},
};

} // namespace

std::int32_t Result::shownNumber() const {
    for (const Shown& s : kShown) {
        if (s.from == from_ && s.code == code_) return s.number - byte() + size();
    }
    return 0;
}

std::string_view Result::name() const {
    return MeaningOf(code_).name;
}

std::string Result::text() const {
    std::string text(MeaningOf(code_).text);
    if (byte() > 0) text += " at byte " + std::to_string(byte());
    if (size() > 0) text += ", image size " + std::to_string(size());
    return text;
}

std::string_view ResultName(ResultCode code) {
    return MeaningOf(code).name;
}

std::ostream& operator<<(std::ostream& out, ResultCode code) {
    return out << ResultName(code);
}

std::ostream& operator<<(std::ostream& out, const Result& result) {
    out << result.name();
    if (const std::int32_t shown = result.shownNumber(); shown != 0) out << " (" << shown << ")";
    return out;
}

} // namespace rm27
