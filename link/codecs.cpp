#include "link/codecs.h"

#include "link/codepage.h"

#include <atomic>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <locale>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace rm27 {

namespace {

// Upper-casing by hand: the converter speaks ASCII, and the C library's
// toupper would follow whatever locale the program runs under.
char AsciiUpper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Value of c as a digit of the given radix, or -1.
int RadixDigit(char c, int radix) {
    int d = -1;
    const char u = AsciiUpper(c);
    if (IsDigit(u)) {
        d = u - '0';
    } else if (u >= 'A' && u <= 'F') {
        d = u - 'A' + 10;
    }
    return d < radix ? d : -1;
}

} // namespace

// ---------------------------------------------------------------- integers

std::int32_t HexToLong(const std::string& text) {
    // Seven digits are the most that stay below 2^31 whatever they are.
    if (text.size() >= 8) {
        return 0;
    }
    std::int32_t result = 0;
    std::int32_t weight = 1;
    for (auto it = text.rbegin(); it != text.rend(); ++it) {
        // Subtraction only, so ":".."@" slip through as 3..9; kept so that a
        // garbled answer reads as the same number it always did.
        int d = static_cast<unsigned char>(AsciiUpper(*it)) - 48;
        if (d > 9) {
            d -= 7;
        }
        if (d < 0 || d > 15) {
            return 0;
        }
        result += d * weight;
        weight *= 16;
    }
    return result;
}

std::string LongToHex(std::int32_t value, int width) {
    if (width <= 0) {
        return {};
    }
    static constexpr char kDigits[] = "0123456789ABCDEF";
    auto bits = static_cast<std::uint32_t>(value);
    std::string hex;
    do {
        hex.insert(hex.begin(), kDigits[bits & 0xFU]);
        bits >>= 4;
    } while (bits != 0);
    // Wider fields are zero-filled; narrower ones keep the low digits, which
    // is how the protocol drops an address or parameter above 255.
    std::string padded(static_cast<std::size_t>(width), '0');
    padded += hex;
    return padded.substr(padded.size() - static_cast<std::size_t>(width));
}

std::string ReverseHexBytes(const std::string& text) {
    if (text.size() != 8) {
        return {};
    }
    return text.substr(6, 2) + text.substr(4, 2) + text.substr(2, 2) + text.substr(0, 2);
}

// ------------------------------------------------------------- user input

namespace {

// "&H" / "&O" literals follow the old BASIC rule: a value that fits 16 bits
// is a 16-bit two's complement number ("&HFFFF" is -1), one that fits 32 bits
// a 32-bit one; anything longer is unreadable and gives 0.
double RadixLiteral(std::string_view digits, int radix) {
    std::uint64_t value = 0;
    for (const char c : digits) {
        const int d = RadixDigit(c, radix);
        if (d < 0) {
            break;
        }
        value = value * static_cast<std::uint64_t>(radix) + static_cast<std::uint64_t>(d);
        if (value > 0xFFFFFFFFULL) {
            return 0.0;
        }
    }
    if (value <= 0xFFFFULL) {
        return static_cast<std::int16_t>(value);
    }
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

} // namespace

namespace {

// Operators type "0,25" or "0.25" depending on their habits; both must give
// the same number. Blanks are ignored anywhere, so "1 000" is 1000.
std::string WithoutBlanksCommaAsPoint(const std::string& text) {
    std::string s;
    bool commaSeen = false;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\n') {
            continue;
        }
        if (c == ',' && !commaSeen) {
            c = '.';
            commaSeen = true;
        }
        s += c;
    }
    return s;
}

// The longest prefix of s from i that reads as a number, in a form that
// std::from_chars takes: always "C" notation, whatever the locale. Empty
// when there is no digit.
std::string NumberLiteral(const std::string& s, std::size_t i) {
    std::string literal = "0";
    bool anyDigit = false;
    while (i < s.size() && IsDigit(s[i])) {
        literal += s[i++];
        anyDigit = true;
    }
    if (i < s.size() && s[i] == '.') {
        ++i;
        std::string fraction;
        while (i < s.size() && IsDigit(s[i])) {
            fraction += s[i++];
            anyDigit = true;
        }
        if (!fraction.empty()) {
            literal += '.' + fraction;
        }
    }
    if (!anyDigit) {
        return {};
    }
    if (i < s.size() && (AsciiUpper(s[i]) == 'E' || AsciiUpper(s[i]) == 'D')) {
        std::size_t j = i + 1;
        std::string exponent = "e";
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) {
            exponent += s[j++];
        }
        const std::size_t firstDigit = j;
        while (j < s.size() && IsDigit(s[j])) {
            exponent += s[j++];
        }
        // "1E" or "1E+" stop before the letter: the number is just 1.
        if (j > firstDigit) {
            literal += exponent;
        }
    }
    return literal;
}

} // namespace

double ValComma(const std::string& text) {
    const std::string s = WithoutBlanksCommaAsPoint(text);
    if (s.size() >= 2 && s[0] == '&') {
        const char prefix = AsciiUpper(s[1]);
        if (prefix == 'H') {
            return RadixLiteral(std::string_view(s).substr(2), 16);
        }
        if (prefix == 'O') {
            return RadixLiteral(std::string_view(s).substr(2), 8);
        }
        return 0.0;
    }
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    const std::string literal = NumberLiteral(s, i);
    if (literal.empty()) {
        return 0.0;
    }
    double value = 0.0;
    const char* first = literal.data();
    const auto [end, error] = std::from_chars(first, first + literal.size(), value);
    // Out of range either way (1E999, 1E-999): no usable number, like any
    // other unreadable input. Callers never see an infinity from here.
    if (error != std::errc{} || !std::isfinite(value)) {
        return 0.0;
    }
    if (value == 0.0) {
        return 0.0; // no "-0" reaching the displays
    }
    return negative ? -value : value;
}

// ------------------------------------------------------------ IEEE single

float HexToSingle(const std::string& text, bool bigEndian) {
    std::uint32_t bits = 0;
    for (std::size_t k = 0; k < 4; ++k) {
        const std::size_t pos = 2 * k;
        const std::string pair = pos < text.size() ? text.substr(pos, 2) : std::string();
        const auto byte = static_cast<std::uint32_t>(HexToLong(pair)) & 0xFFU;
        // Converter memory is little-endian: memory byte k carries bits 8k..8k+7.
        const std::size_t memoryIndex = bigEndian ? 3 - k : k;
        bits |= byte << (8 * memoryIndex);
    }
    return std::bit_cast<float>(bits);
}

std::string SingleToHex(float value) {
    const auto bits = std::bit_cast<std::uint32_t>(value);
    std::string text;
    for (unsigned k = 0; k < 4; ++k) {
        text += LongToHex(static_cast<std::int32_t>((bits >> (8 * k)) & 0xFFU), 2);
    }
    return text;
}

// ------------------------------------------------------------ device float

namespace {

// The exponent byte holds E + 128 with byte 0 reserved for zero, so E runs
// from -127 to 127 and magnitudes from 2^-128 to just under 2^127.
constexpr int kMinExponent = -127;
constexpr int kMaxExponent = 127;

} // namespace

std::string FloatToDevHex(double value, int byteCount) {
    if (byteCount != 3 && byteCount != 4) {
        return {};
    }
    if (std::isnan(value)) {
        return {};
    }
    const int mantissaBits = 8 * (byteCount - 1);
    const int mantissaDigits = 2 * (byteCount - 1);
    const std::string zero(static_cast<std::size_t>(2 * byteCount), '0');
    if (value == 0.0) {
        return zero;
    }
    const std::int32_t scale = std::int32_t{1} << mantissaBits;
    const bool negative = value < 0.0;
    // The mantissa's top bit is always 1 for a normalised fraction, so the
    // device stores the sign there: cleared for positive, kept for negative.
    const std::int32_t mask = negative ? scale - 1 : scale / 2 - 1;
    const double magnitude = std::fabs(value);
    const std::string largest = LongToHex(kMaxExponent + 128, 2) + LongToHex(mask, mantissaDigits);

    if (magnitude < std::ldexp(1.0, kMinExponent - 1)) {
        return zero;
    }
    if (magnitude >= std::ldexp(1.0, kMaxExponent)) {
        return largest; // also the infinities
    }
    // A first guess from log2 in single precision can be one off near a
    // power of two; settle it exactly so that 2^(e-1) <= magnitude < 2^e.
    const auto log2 = static_cast<float>(std::log(magnitude) / std::log(2.0));
    int e = static_cast<int>(std::floor(log2)) + 1;
    while (magnitude < std::ldexp(1.0, e - 1)) {
        --e;
    }
    while (magnitude >= std::ldexp(1.0, e)) {
        ++e;
    }
    // magnitude / 2^e is in [0.5, 1): scaled, it fills the mantissa.
    double m = std::round(std::ldexp(magnitude, mantissaBits - e));
    if (m >= static_cast<double>(scale)) {
        // A hair below a power of two rounds up to the power itself: carry
        // into the exponent, or the mask would drop the bit and halve it.
        m = static_cast<double>(scale / 2);
        ++e;
        if (e > kMaxExponent) {
            return largest;
        }
    }
    const std::int32_t mantissa = static_cast<std::int32_t>(m) & mask;
    return LongToHex(e + 128, 2) + LongToHex(mantissa, mantissaDigits);
}

double DevHexToFloat(const std::string& text) {
    const std::size_t length = text.size();
    if (length != 6 && length != 8) {
        return 0.0;
    }
    const int e = HexToLong(text.substr(0, 2)) - 128;
    if (e < kMinExponent) {
        return 0.0; // exponent byte 0 is zero whatever the mantissa says
    }
    const int mantissaBits = length == 6 ? 16 : 24;
    const std::int32_t m = HexToLong(text.substr(2)) | (std::int32_t{1} << (mantissaBits - 1));
    const double magnitude = std::ldexp(static_cast<double>(m), e - mantissaBits);
    // The sign is the top bit of the first mantissa digit: "8" and above.
    return static_cast<unsigned char>(text[2]) >= 56 ? -magnitude : magnitude;
}

// ------------------------------------------------------------- formatting

namespace {

std::atomic<char> separatorInUse{'\0'};

// A decimal number as text: magnitude = 0.digits × 10^point. No leading or
// trailing zero digits; empty digits is zero.
struct Decimal {
    std::string digits;
    int point = 0;
};

// The shortest decimal text that reads back as the same double: the number
// the user typed or the calibration produced, not its binary neighbour. So
// 1.0005 is rounded as 1.0005 (to 1.001 with three decimals) although the
// double just below it is what is stored.
Decimal ToDecimal(double magnitude) {
    Decimal d;
    if (magnitude == 0.0) {
        return d;
    }
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific);
    const std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
    const std::size_t ePos = text.find('e');
    for (const char c : text.substr(0, ePos)) {
        if (c != '.') {
            d.digits += c;
        }
    }
    std::size_t expStart = ePos + 1;
    const bool expNegative = text[expStart] == '-';
    if (text[expStart] == '+' || text[expStart] == '-') {
        ++expStart;
    }
    int exponent = 0;
    std::from_chars(text.data() + expStart, text.data() + text.size(), exponent);
    d.point = (expNegative ? -exponent : exponent) + 1;
    while (!d.digits.empty() && d.digits.back() == '0') {
        d.digits.pop_back();
    }
    return d;
}

// Keep the first `keep` digits, rounding half away from zero on the decimal
// digits (the magnitude rounds up on a 5, whatever the sign).
void RoundTo(Decimal& d, int keep) {
    if (keep >= static_cast<int>(d.digits.size())) {
        return;
    }
    if (keep < 0) {
        d.digits.clear(); // below half a unit of the last place shown
        return;
    }
    const auto cut = static_cast<std::size_t>(keep);
    const bool up = d.digits[cut] >= '5';
    d.digits.resize(cut);
    if (up) {
        std::size_t i = cut;
        while (i > 0 && d.digits[i - 1] == '9') {
            d.digits[i - 1] = '0';
            --i;
        }
        if (i > 0) {
            ++d.digits[i - 1];
        } else {
            d.digits.insert(d.digits.begin(), '1');
            ++d.point;
        }
    }
    while (!d.digits.empty() && d.digits.back() == '0') {
        d.digits.pop_back();
    }
}

// Digit at index i counted from the first significant digit; zeros outside.
char DigitAt(const Decimal& d, int i) {
    if (i < 0 || i >= static_cast<int>(d.digits.size())) {
        return '0';
    }
    return d.digits[static_cast<std::size_t>(i)];
}

std::string Digits(const Decimal& d, int from, int count) {
    std::string s;
    for (int i = 0; i < count; ++i) {
        s += DigitAt(d, from + i);
    }
    return s;
}

enum class Section { Integer, Fraction, Exponent };
enum class Kind { Placeholder, Point, ExponentMark, Literal };

struct Item {
    Kind kind;
    char ch; // placeholder '0'/'#', the literal, or the exponent letter
    Section section;
};

struct Pattern {
    std::vector<Item> items;
    bool grouping = false;
    bool scientific = false;
    bool alwaysSign = false; // "E+" rather than "E-"
    int counts[3] = {0, 0, 0};

    int count(Section s) const { return counts[static_cast<int>(s)]; }
};

Pattern Parse(const std::string& format) {
    Pattern p;
    Section section = Section::Integer;
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (c == '\\') {
            if (i + 1 < format.size()) {
                p.items.push_back({Kind::Literal, format[++i], section});
            }
        } else if (c == '0' || c == '#') {
            p.items.push_back({Kind::Placeholder, c, section});
            ++p.counts[static_cast<int>(section)];
        } else if (c == '.' && section == Section::Integer) {
            section = Section::Fraction;
            p.items.push_back({Kind::Point, c, section});
        } else if (c == ',') {
            p.grouping = p.grouping || section == Section::Integer;
        } else if ((c == 'E' || c == 'e') && !p.scientific && i + 1 < format.size() &&
                   (format[i + 1] == '+' || format[i + 1] == '-')) {
            p.scientific = true;
            p.alwaysSign = format[++i] == '+';
            section = Section::Exponent;
            p.items.push_back({Kind::ExponentMark, c, section});
        } else {
            p.items.push_back({Kind::Literal, c, section});
        }
    }
    return p;
}

// Integer-like runs (the integer part, the exponent) are laid out from the
// right: placeholder j of count gets the digit of its place; "0" shows a zero
// where the number has none, "#" shows nothing; digits beyond the
// placeholders all go in front of the first one.
std::string PlaceDigit(const std::string& digits, int count, int j, char placeholder) {
    std::string out;
    const int length = static_cast<int>(digits.size());
    if (j == 0 && length > count) {
        out = digits.substr(0, static_cast<std::size_t>(length - count));
    }
    const int place = count - 1 - j; // 0 is the units
    if (place < length) {
        out += digits[static_cast<std::size_t>(length - 1 - place)];
    } else if (placeholder == '0') {
        out += '0';
    }
    return out;
}

// Thousands grouping: only asked for by a "," in the integer part, which no
// format of the program uses. The group mark is whichever of "," and "." is
// not the decimal separator.
std::string Group(const std::string& integerPart, char decimalSeparator) {
    const char mark = decimalSeparator == ',' ? '.' : ',';
    std::string out;
    int digitsRight = 0;
    for (auto it = integerPart.rbegin(); it != integerPart.rend(); ++it) {
        if (IsDigit(*it)) {
            if (digitsRight > 0 && digitsRight % 3 == 0) {
                out.insert(out.begin(), mark);
            }
            ++digitsRight;
        }
        out.insert(out.begin(), *it);
    }
    return out;
}

// The field a format text gives: its length without backslashes.
std::size_t FieldWidth(const std::string& format) {
    std::size_t width = 0;
    for (const char c : format) {
        width += c == '\\' ? 0 : 1;
    }
    return width;
}

// Blanks in front up to the field's width; a longer text stays whole.
std::string PadToWidth(const std::string& text, const std::string& format) {
    const std::size_t width = FieldWidth(format);
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

// The digits a value shows in each section of a pattern, and how many
// places each section has.
struct PlacedDigits {
    std::string integer;
    std::string fraction;
    int exponent = 0;
    std::string exponentDigits; // without its sign
    int intCount = 0;
    int expCount = 0;
};

PlacedDigits PlaceDigits(Decimal& d, const Pattern& p) {
    const int intCount = p.count(Section::Integer);
    const int fracCount = p.count(Section::Fraction);
    PlacedDigits out;
    out.intCount = intCount;
    out.expCount = p.count(Section::Exponent);
    if (p.scientific) {
        if (!d.digits.empty()) {
            RoundTo(d, intCount + fracCount);
            // Exactly intCount digits in front of the point (none for
            // ".00E+00", where the first digit follows the point).
            out.exponent = d.point - intCount;
            out.integer = Digits(d, 0, intCount);
            out.fraction = Digits(d, intCount, fracCount);
        } else {
            out.fraction = std::string(static_cast<std::size_t>(fracCount), '0');
        }
    } else {
        RoundTo(d, d.point + fracCount);
        if (d.point > 0 && !d.digits.empty()) out.integer = Digits(d, 0, d.point);
        out.fraction = Digits(d, d.point, fracCount);
    }
    out.exponentDigits = std::to_string(out.exponent < 0 ? -out.exponent : out.exponent);
    return out;
}

// "#" places after the point show their digit unless it and all after it
// are zeros; "0" places always show. The last place shown, -1 for none.
int LastShownFraction(const Pattern& p, const std::string& fraction) {
    int lastShown = -1;
    int j = 0;
    for (const Item& item : p.items) {
        if (item.kind == Kind::Placeholder && item.section == Section::Fraction) {
            if (item.ch == '0' || fraction[static_cast<std::size_t>(j)] != '0') lastShown = j;
            ++j;
        }
    }
    return lastShown;
}

// One item of the pattern onto out; j counts the item's section's places.
void PutItem(const Item& item, const Pattern& p, const PlacedDigits& digits, int lastShown,
             char separator, int& j, std::string& out) {
    switch (item.kind) {
    case Kind::Literal:
        out += item.ch;
        break;
    case Kind::Point:
        out += separator;
        break;
    case Kind::ExponentMark:
        out += item.ch;
        if (digits.exponent < 0) {
            out += '-';
        } else if (p.alwaysSign) {
            out += '+';
        }
        break;
    case Kind::Placeholder:
        if (item.section == Section::Integer) {
            out += PlaceDigit(digits.integer, digits.intCount, j, item.ch);
        } else if (item.section == Section::Fraction) {
            if (j <= lastShown) out += digits.fraction[static_cast<std::size_t>(j)];
        } else {
            out += PlaceDigit(digits.exponentDigits, digits.expCount, j, item.ch);
        }
        ++j;
        break;
    }
}

// The value formatted, before it is fitted to the field.
std::string FormatUncut(double value, const std::string& format) {
    if (std::isnan(value)) {
        return "NaN";
    }
    if (std::isinf(value)) {
        return value < 0 ? "-Inf" : "Inf";
    }
    const Pattern p = Parse(format);
    Decimal d = ToDecimal(std::fabs(value));
    const PlacedDigits digits = PlaceDigits(d, p);
    const int intCount = digits.intCount;
    const int lastShown = LastShownFraction(p, digits.fraction);
    const char separator = DecimalSeparator();

    std::string integerPart;
    std::string rest;
    bool integerDone = false;
    int index[3] = {0, 0, 0};
    for (const Item& item : p.items) {
        if (item.section != Section::Integer && !integerDone) {
            if (intCount == 0) {
                integerPart += digits.integer; // ".00" still shows 12.50
            }
            integerDone = true;
        }
        PutItem(item, p, digits, lastShown, separator, index[static_cast<int>(item.section)],
                integerDone ? rest : integerPart);
    }
    if (!integerDone && intCount == 0) {
        integerPart += digits.integer;
    }
    if (p.grouping) {
        integerPart = Group(integerPart, separator);
    }
    // A negative value that rounds to zero is shown as zero, without "-".
    const bool showMinus = value < 0.0 && !d.digits.empty();
    return (showMinus ? "-" : "") + integerPart + rest;
}

} // namespace

std::string FormatFixed(double value, const std::string& format) {
    const std::string text = FormatUncut(value, format);
    const std::size_t width = FieldWidth(format);
    return text.size() > width ? text.substr(text.size() - width) : PadToWidth(text, format);
}

std::string FormatWhole(double value, const std::string& format) {
    return PadToWidth(FormatUncut(value, format), format);
}

bool FitsFormat(double value, const std::string& format) {
    return FormatUncut(value, format).size() <= FieldWidth(format);
}

char RegionalDecimalSeparator() {
    // The same precedence the C library applies to LC_NUMERIC, without
    // touching the process-wide locale that other code may rely on.
    for (const char* variable : {"LC_ALL", "LC_NUMERIC", "LANG"}) {
        const char* name = std::getenv(variable);
        if (name == nullptr || *name == '\0') {
            continue;
        }
        try {
            return std::use_facet<std::numpunct<char>>(std::locale(name)).decimal_point();
        } catch (const std::runtime_error&) {
            return '.'; // named but not installed: the C library falls back to "C" too
        }
    }
    return '.';
}

char DecimalSeparator() {
    char separator = separatorInUse.load();
    if (separator == '\0') {
        separator = RegionalDecimalSeparator();
        separatorInUse.store(separator);
    }
    return separator;
}

void SetDecimalSeparator(char separator) {
    separatorInUse.store(separator);
}

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (const char ch : ReplaceInvalidUtf8(text)) {
        const auto c = static_cast<unsigned char>(ch);
        char esc[8];
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c == 0x7F) {
            std::snprintf(esc, sizeof esc, "\\u%04x", c);
            out += esc;
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

} // namespace rm27
