// What the program knows about the serial port and the converter it talks
// to (DeviceState), and the live values its measurement brings
// (LiveValues): plain records that the session holds and every operation on
// the converter reads and fills. What was read of the converter's memory is
// the session's block cache (session/block_cache.h). No widgets, no Qt.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "link/doubt.h"
#include "link/ekey.h"

namespace rm27 {

inline constexpr int kInputCount = 4;

// Where an input's record came from at the last reading.
enum class InputSource {
    None,       // not read yet (or the read stopped before this input)
    EKey,       // the sensor's own eKey
    Internal,   // the converter's internal copy
    InternalNA, // the internal copy did not decode: a default record stands in
};

// Whose value a tare was taken from: a reading that finds another
// converter, or another sensor on the input, takes the tare back.
struct TareOwner {
    std::string converterId;
    std::int32_t address = 0;
    std::string sensorId;
    bool operator==(const TareOwner&) const = default;
};

// The live values, as the measurement ticks bring them; the session holds
// them beside the device state.
struct LiveValues {
    // Of the last measurement answer, single precision as the converter
    // sends them. tare[i] is subtracted from value[i] for display; it lasts
    // until the user clears it or takes another, or a reading finds that
    // the input's sensor is not tareOwner[i] any more.
    std::array<float, kInputCount> raw{};
    std::array<float, kInputCount> signal{};
    std::array<float, kInputCount> third{};
    std::array<float, kInputCount> value{};
    std::array<float, kInputCount> tare{};
    std::array<TareOwner, kInputCount> tareOwner{};
    // The doubts about each input's fields of the last decoded answer.
    struct Doubts {
        Doubt raw;
        Doubt signal;
        Doubt third;
        Doubt value;
    };
    std::array<Doubts, kInputCount> doubts{};
    // Whether a measurement answer was decoded since the converter was
    // last read: until then raw[i] and the others are what an earlier
    // converter, or nobody, left, and a zero or slope taken from them
    // would be made up.
    std::array<bool, kInputCount> seen{};
    // The pump's time of the last decoded answer; -1 before the first. A
    // value shown long after it is no longer live (session/measurement_status.h).
    std::int64_t answeredMs = -1;
};

// A converter of the family that answered the scan: its address, its
// identification and its "KQ" byte as the converter sent them.
struct FoundConverter {
    std::int32_t address = 0;
    std::string id; // without the CR
    std::string kq; // two hex digits
};

struct DeviceState {
    // Connection. PortNumber is COMn, 1..15; DeviceAddress goes into every
    // request frame, 0 being the universal address any converter answers.
    std::int32_t PortNumber = 0;
    std::int32_t DeviceAddress = 0;
    // Fixed for the whole run by the command line.
    bool ExtendedMode = false;

    // Identification: the converter's 10-character answer to "@" ("" until a
    // converter of the RM family answered) and whether it is the RMU variant.
    std::string DeviceId;
    bool IsRMU = false;

    // Configuration read from the converter's memory.
    std::int32_t FilterCode = 0;                             // byte 0x05; low 4 bits = filter row
    std::array<std::int32_t, kInputCount> definitionBytes{}; // "DEF" answer, 255 when unusable
    std::array<std::int32_t, 3> configBytes{};               // bytes 0x28, 0x29, 0x2A
    // Zero (divisions) and slope (mV/V per division) per input.
    std::array<double, kInputCount> K{};
    std::array<double, kInputCount> Q{};
    // Bit i set: an external eKey is plugged into input i.
    std::uint8_t EKeyMask = 0;
    bool EKeyMaskValid = false;

    // Sensor records, one per input, decoded from the eKeys or the internal
    // copies.
    std::array<SensorRecord, kInputCount> records{};
    // Per input: where its record came from, and the very image (256 bytes,
    // one character per byte) it was decoded from; empty when the block
    // could not be read. Kept so that a write can back the old image up.
    std::array<InputSource, kInputCount> sources{};
    std::array<std::string, kInputCount> images{};

    // What the last reading could not be sure of, value by value, kept with
    // the value until it is read again (empty: as the converter sent it;
    // see link/doubt.h). records[i] covers everything decoded from input
    // i's image, and where it was read from.
    struct ReadingDoubts {
        Doubt id; // DeviceId and IsRMU
        Doubt address;
        Doubt filter;
        std::array<Doubt, kInputCount> definition{};
        std::array<Doubt, 3> config{};
        std::array<Doubt, kInputCount> K{};
        std::array<Doubt, kInputCount> Q{};
        Doubt ekeyMask;
        std::array<Doubt, kInputCount> records{};
    };
    ReadingDoubts doubts;

    // What the last scan found, in the order of the list that shows it; an
    // address change moves its converter's entry along.
    std::vector<FoundConverter> scanFound;
};

// "????RM*": four characters of anything, then RM: a converter of the
// family answered the identification, and a reading may ask it more.
inline bool IsFamilyId(const std::string& id) {
    return id.size() >= 6 && id.compare(4, 2, "RM") == 0;
}
// "????RMU*" or "????RM27*": what the scan accepts.
inline bool IsScanId(const std::string& answer) {
    return answer.size() >= 7 && (answer.compare(4, 3, "RMU") == 0 ||
                                  (answer.size() >= 8 && answer.compare(4, 4, "RM27") == 0));
}

} // namespace rm27
