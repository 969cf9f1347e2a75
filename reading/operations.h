// The main window's operations on the converter, written once for the
// window, the command-line tool and the tests: reading the converter, the
// live measurement tick and tare, the bus scan, the address change and the
// restart. They speak to the user only through the view and the prompter.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "device/converter.h"
#include "link/ekey.h"
#include "link/transact.h"
#include "session/operations.h"
#include "session/write_safety.h"

namespace rm27 {

inline constexpr std::int32_t kQueryTimeoutMs = 1200;
inline constexpr std::int32_t kConstantTimeoutMs = 100;
inline constexpr std::size_t kMeasurementAnswerLength = 123;

// Filter table: row index = filter code (low 4 bits).
extern const std::array<const char*, 16> kFilterRows;

// "eKey", "Internal", "Internal - N/A" ("" before a reading).
const char* InputSourceName(InputSource source);

// Three lines (CR LF between them) describing an input's record.
std::string InputInfoText(const SensorRecord& record, std::int32_t definitionByte);

// The address list's row of an address: "005 [0x05] ".
std::string AddressListRow(std::int32_t address);
// "  5  (0x05)" after a read; the address change writes "  7  (07h)".
std::string AddressCaptionRead(std::int32_t address);
std::string AddressCaptionChanged(std::int32_t address);

// Identify and read the converter. `address` is passed by reference: the
// converter's own address replaces it after identification, and the later
// requests of the same read already use it. Returns ok (all four inputs read).
bool ReadRM27(Operations& ops, std::int32_t& address);
// Makes ReadRM27 the reading the shared sequences end in (ops.readConverter),
// for a session whose front end does not route it through a reading of its
// own.
void UseReadRM27(Operations& ops);
// "Načíst": addressIndex is the position chosen in the address list.
// Returns whether the read succeeded (measurement running).
bool DevRead(Operations& ops, int addressIndex);

// What the window shows of one input's live values, as its labels show it.
struct LiveTexts {
    std::string raw;    // lblHodnota(i)
    std::string raw256; // lblHodnota(i + 4)
    std::string signal; // lblR27mVV(i), mV/V
    std::string value;  // lblR27Val(i), value - tare in the record's format
    // FormatOverflow of the two that can be too wide for their format.
    Text signalOverflow;
    Text valueOverflow;
};
// whole: a number too wide for its format is given whole rather than cut
// to the format's width (what r27ctl prints).
LiveTexts LiveTextsOf(const DeviceState& state, const LiveValues& live, int input,
                      bool whole = false);

// The four inputs of a measurement answer, as the converter sent them.
struct MeasuredInputs {
    std::array<float, kInputCount> raw{};    // divisions, 24 bits unsigned
    std::array<float, kInputCount> signal{}; // mV/V
    std::array<float, kInputCount> third{};
    std::array<float, kInputCount> value{}; // user units
};
// The 123-character answer to "MK" (CR included); nothing for any other
// length. Non-hex text reads by HexToLong's rules, as the tick always has.
std::optional<MeasuredInputs> DecodeMeasurementAnswer(const std::string& text);
// What is known against each field of such an answer: a character that is
// not a hex digit in the field, and the whole answer when its CR is not the
// last character or another CR or LF stands inside. Nothing for any other
// length (such an answer is not decoded).
std::array<LiveValues::Doubts, kInputCount> MeasurementAnswerDoubts(const std::string& text);

// One measurement tick: decode the answer to the previous request, show
// it, send the next request. Never waits. True when an answer was decoded.
bool MeasurementTick(Operations& ops);
// Tare (the value's double click): from the next measurement on, input
// `index` shows its value less the value now, marked as net.
void TareInput(Operations& ops, int index);
// The tare of input `index` taken back: the value shows as measured again.
void ClearTare(Operations& ops, int index);
// What input `index` shows of a tare: nothing while its value is shown as
// measured, else the tare in the sensor's format and unit.
Text TareNote(const DeviceState& state, const LiveValues& live, int index);

// The row the list box shows for a converter the scan found:
// "@0x03 0123RM2712 KQ:0x03".
std::string ScanRow(const FoundConverter& found);
// The address a row of the list names, -1 when it names none.
std::int32_t ScanRowAddress(const std::string& row);
// The list box filled anew from state.scanFound, with its caption.
void ShowScanList(Operations& ops);
// The addresses the scan probes.
inline constexpr std::int32_t kScanFirstAddress = 1;
inline constexpr std::int32_t kScanLastAddress = 31;
// Probe the scan's addresses and list the converters of the family; the
// rows go to the list box as they are found.
std::vector<FoundConverter> ScanAddresses(Operations& ops);
// Ask for a new address, write it to memory byte 0 and restart. The
// measurement keeps running while the prompt is open.
void ChangeAddress(Operations& ops);

} // namespace rm27
