#include "link/results.h"

#include <optional>

#include "link/memory.h"

namespace rm27 {

namespace {

struct Meaning {
    const char* name;
    std::string text;
};

Meaning Unknown(int result) {
    return {"unknown", "unknown result " + std::to_string(result)};
}

Meaning BlockReadMeaning(int result) {
    switch (result) {
    case kBlockReadOk:
        return {"ok", "block read"};
    case kBlockReadNoAnswer:
        return {"no-answer", "no complete answer"};
    case kBlockReadPortClosed:
        return {"port-closed", "port closed"};
    default:
        return Unknown(result);
    }
}

// The byte a per-byte code names, when it lies inside the block.
std::optional<int> ByteOf(int code, int base) {
    const long long i = -static_cast<long long>(code) - base;
    if (i >= 1 && i <= kBlockSize) return static_cast<int>(i);
    return std::nullopt;
}

Meaning BlockWriteMeaning(int result) {
    switch (result) {
    case kBlockWriteOk:
        return {"ok", "block written"};
    case kBlockPortClosed:
        return {"port-closed", "port closed"};
    case kBlockTooLong:
        return {"too-long", "block longer than " + std::to_string(kBlockSize) + " bytes"};
    default:
        break;
    }
    if (const auto i = ByteOf(result, 0)) {
        return {"no-answer", "no answer at byte " + std::to_string(*i)};
    }
    if (const auto i = ByteOf(result, kBlockWrongEchoBase)) {
        return {"wrong-echo", "wrong echo at byte " + std::to_string(*i)};
    }
    return Unknown(result);
}

Meaning DecodeMeaning(int result) {
    switch (result) {
    case kDecodeOk:
        return {"ok", "image decoded"};
    case kDecodeShort:
        return {"short", "image shorter than 255 bytes"};
    case kDecodeNoFSN:
        return {"no-fsn", "no FSN mark"};
    case kDecodeNoKRI:
        return {"no-kri", "no KRI mark"};
    case kDecodeNoCurve:
        return {"no-curve-flag", "no curve flag"};
    case kDecodeBadCount:
        return {"bad-point-count", "bad point count"};
    default:
        return Unknown(result);
    }
}

Meaning BuildMeaning(int result) {
    switch (result) {
    case kBuildTooManyPoints:
        return {"too-many-points", "too many points for the block"};
    case kBuildTooFewPoints:
        return {"too-few-points", "fewer than 2 points"};
    case kBuildNoCurveFlag:
        return {"no-curve-flag", "no curve flag"};
    case kBuildUnencodableText:
        return {"unencodable-text", "a text holds a character outside Windows-1250"};
    default:
        break;
    }
    if (result > 0) return {"ok", "image built, size " + std::to_string(result)};
    return Unknown(result);
}

} // namespace

std::string BlockReadResultName(int result) {
    return BlockReadMeaning(result).name;
}
std::string BlockReadResultText(int result) {
    return BlockReadMeaning(result).text;
}
std::string BlockWriteResultName(int result) {
    return BlockWriteMeaning(result).name;
}
std::string BlockWriteResultText(int result) {
    return BlockWriteMeaning(result).text;
}
std::string DecodeResultName(int result) {
    return DecodeMeaning(result).name;
}
std::string DecodeResultText(int result) {
    return DecodeMeaning(result).text;
}
std::string BuildResultName(int result) {
    return BuildMeaning(result).name;
}
std::string BuildResultText(int result) {
    return BuildMeaning(result).text;
}

} // namespace rm27
