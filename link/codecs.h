// Conversions between the converter's hexadecimal text and the program's
// numbers, and the formatting of numbers for the screen.
#pragma once

#include <cstdint>
#include <string>

namespace rm27 {

// Hex text to integer. Lower case is accepted. Each character counts as
// (code - 48), less 7 above 9, so ":".."@" pass as 3..9 (kept on purpose:
// every reading of device answers has always gone through this reckoning);
// anything outside 0..15 makes the whole result 0. The empty text is 0.
// Texts of 8 or more characters do not fit a 32-bit signed value: they yield
// 0 (the same "not a number" answer as any other unusable text), never UB.
std::int32_t HexToLong(const std::string& text);

// value as exactly `width` upper-case hex digits: zero-padded on the left,
// cut to the last `width` digits; negatives use 32-bit two's complement
// ((-1, 2) is "FF"). A width of 0 or less gives "".
std::string LongToHex(std::int32_t value, int width);

// "12345678" -> "78563412"; any other length -> "".
std::string ReverseHexBytes(const std::string& text);

// Number typed by a user; the first comma counts as the decimal point
// ("1,5" and "1.5" are both 1.5; "1,234,5" is 1.234). Read like the old
// BASIC Val(): blanks, tabs and line feeds are ignored anywhere; an optional
// sign, digits with at most one point, an optional exponent with E or D;
// "&H1F" and "&O17" are hex and octal (values up to FFFF are 16-bit two's
// complement, up to FFFFFFFF 32-bit, longer ones 0). Reading stops at the
// first character that does not fit; nothing readable, and numbers beyond
// the range of a double, give 0. Never returns -0, NaN or infinity.
double ValComma(const std::string& text);

// 8 hex digits to an IEEE single. bigEndian false: memory order (LSB first).
// A missing pair (shorter text) counts as byte 0; characters past 8 are ignored.
float HexToSingle(const std::string& text, bool bigEndian = false);
// IEEE single to 8 hex digits in memory order (LSB first).
std::string SingleToHex(float value);

// The converter's own float: exponent byte (biased by 128, 0 meaning zero)
// then a 2- or 3-byte mantissa whose top bit is the sign. byteCount is 3 or
// 4; any other count, and NaN, give "". The mantissa is rounded to nearest;
// a value that rounds up to the next power of two carries into the exponent
// (0.99999999 in 3 bytes is "810000"). Magnitudes below 2^-128 are written as
// zero; from 2^127 up (infinity included) as the largest magnitude of the
// format with the value's sign ("FF7FFF" / "FFFFFF" in 3 bytes).
std::string FloatToDevHex(double value, int byteCount);
// Texts of a length other than 6 or 8 give 0.
double DevHexToFloat(const std::string& text);

// value formatted with a format text such as "##0.000" or "0.0000 E+00",
// right-aligned to the width of the format text (its length without
// backslashes); a longer result keeps its last characters, so 12345 with
// "000" is "345" and a minus sign may be the first thing lost.
// Format characters: "0" a digit that always shows, "#" a digit that shows
// only when significant, "." the decimal point (shown as DecimalSeparator()),
// "," in the integer part asks for thousands grouping (marked with whichever
// of "," and "." is not the decimal separator), "E+00"/"E-00" (or e)
// an exponent of at least as many digits as zeros, "E+" always signed, "E-"
// only when negative; "\" takes the next character literally; every other
// character, blanks included, is copied where it stands.
// Rounding is half away from zero on the shortest decimal text of the value
// (1.0005 with "0.000" is "1.001", as the user typed it, although the stored
// double lies just below). Negatives carry a leading "-", unless they round
// to zero: -0.0001 with "0.000" is "0.000". NaN and infinities show as "NaN",
// "Inf" and "-Inf".
std::string FormatFixed(double value, const std::string& format);
// The same text without the cut: blanks in front up to the format's width,
// but a longer result whole ("12345" with "000").
std::string FormatWhole(double value, const std::string& format);
// Whether FormatFixed shows the value whole, nothing cut off its front.
bool FitsFormat(double value, const std::string& format);

// Decimal separator used by FormatFixed. Defaults to the one of the user's
// regional settings, read once from LC_ALL, LC_NUMERIC or LANG (the first one
// set) without changing the process locale; '.' when that locale is not
// installed. The program and the tests may pin it; pinning '\0' returns to
// the regional default.
char DecimalSeparator();
void SetDecimalSeparator(char separator);
// The regional decimal separator, read from the environment on every call.
char RegionalDecimalSeparator();

// text as a JSON string literal. Texts are UTF-8 (eKey texts are decoded
// from the sensors' code page when read); a byte that is no UTF-8 (a garbled
// identification off the line) becomes U+FFFD, so the output is always
// valid JSON.
std::string JsonString(const std::string& text);

} // namespace rm27
