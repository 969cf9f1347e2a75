#include "session/input_checks.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "link/codecs.h"
#include "link/ekey.h"
#include "session/texts.h"

namespace rm27 {

namespace {

using Accepts = InputCheck::Accepts;

// Six significant digits: enough to tell the bounds, short enough to read.
std::string BoundText(double value) {
    char buffer[32];
    const auto r =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 6);
    return std::string(buffer, r.ptr);
}

InputCheck Refused(double value, const Text& field, Accepts accepts, double low, double high) {
    return {false, field, NumberText(value), accepts, BoundText(low), BoundText(high)};
}

// The device float's exponent byte holds -128..127 (0 meaning zero).
const double kDeviceFloatMin = std::ldexp(1.0, -128);
const double kDeviceFloatLimit = std::ldexp(1.0, 127);
constexpr float kSingleMin = std::numeric_limits<float>::min();
constexpr float kSingleMax = std::numeric_limits<float>::max();

bool FitsSingle(double value) {
    if (!std::isfinite(value) || std::fabs(value) > kSingleMax) return false;
    const float single = static_cast<float>(value);
    return single == 0 ? value == 0 : std::fabs(single) >= kSingleMin;
}

// The widest all-nines value a format shows whole, on one side of zero:
// 99999.9 and -9999.9 for "####0.0". False when not even 9 or 0.9.. fits.
bool Widest(const std::string& format, double sign, double& widest) {
    int decimals = 0;
    const std::size_t point = format.find('.');
    for (std::size_t k = point + 1; point != std::string::npos && k < format.size(); ++k)
        decimals += format[k] == '0' || format[k] == '#';
    const double step = std::pow(10.0, -decimals);
    bool any = false;
    for (int digits = 0; digits <= std::numeric_limits<float>::max_exponent10; ++digits) {
        const double candidate = sign * (std::pow(10.0, digits) - step);
        if (!FitsFormat(candidate, format)) break;
        widest = candidate;
        any = any || candidate != 0;
    }
    return any;
}

bool IsDigits(const std::string& text) {
    return text.find_first_not_of("0123456789") == std::string::npos;
}

} // namespace

Text InputCheck::range() const {
    switch (accepts) {
    case Accepts::Between:
        return Text(texts::session::kRangeBetween, low, high);
    case Accepts::ZeroOrSized:
        return Text(texts::session::kRangeZeroOr, low, high);
    case Accepts::Sized:
        return Text::Value(low + " ≤ |x| ≤ " + high);
    case Accepts::Date:
        break;
    }
    return Text(texts::session::kRangeDate);
}

std::string InputCheck::rangeInEnglish() const {
    switch (accepts) {
    case Accepts::Between:
        return low + " to " + high;
    case Accepts::ZeroOrSized:
        return "0 or " + low + " <= |x| <= " + high;
    case Accepts::Sized:
        return low + " <= |x| <= " + high;
    case Accepts::Date:
        break;
    }
    return "YYMMDD of a day that exists";
}

Text InputCheck::message() const {
    return Text(texts::session::kValueRefused, field, value, range());
}

bool ParseNumber(const std::string& text, double& value) {
    const std::size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos) return false;
    std::string number = text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
    if (number[0] == '+') number.erase(0, 1);
    // The shape first: from_chars alone would also take "inf" and "nan".
    std::size_t k = number[0] == '-' ? 1 : 0;
    std::size_t digits = 0;
    bool point = false;
    for (; k < number.size(); ++k) {
        const char c = number[k];
        if (c >= '0' && c <= '9') {
            ++digits;
        } else if ((c == '.' || c == ',') && !point) {
            point = true;
            number[k] = '.';
        } else {
            break;
        }
    }
    if (digits == 0) return false;
    if (k < number.size() && (number[k] == 'e' || number[k] == 'E')) {
        std::size_t e = k + 1;
        if (e < number.size() && (number[e] == '+' || number[e] == '-')) ++e;
        if (e == number.size() || !IsDigits(number.substr(e))) return false;
        k = number.size();
    }
    if (k != number.size()) return false;
    double parsed = 0;
    const auto r = std::from_chars(number.data(), number.data() + number.size(), parsed);
    if (r.ec != std::errc() || r.ptr != number.data() + number.size()) return false;
    value = parsed;
    return true;
}

std::string NumberText(double value) {
    char buffer[32];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, r.ptr);
}

InputCheck CheckSingle(double value, const Text& field) {
    if (FitsSingle(value)) return {};
    return Refused(value, field, Accepts::ZeroOrSized, kSingleMin, kSingleMax);
}

InputCheck CheckNonZeroSingle(double value, const Text& field) {
    if (value != 0 && FitsSingle(value)) return {};
    return Refused(value, field, Accepts::Sized, kSingleMin, kSingleMax);
}

InputCheck CheckDeviceFloat(double value, const Text& field) {
    const double size = std::fabs(value);
    if (value == 0 || (size >= kDeviceFloatMin && size < kDeviceFloatLimit &&
                       std::fabs(static_cast<float>(value)) < kDeviceFloatLimit))
        return {};
    // The largest single below 2^127 is what the field can take.
    return Refused(value, field, Accepts::ZeroOrSized, kDeviceFloatMin,
                   std::nextafter(static_cast<float>(kDeviceFloatLimit), 0.0f));
}

InputCheck CheckFitsFormat(double value, const std::string& format, const Text& field) {
    if (std::isfinite(value) && FitsFormat(value, format)) return {};
    double low = 0;
    double high = 0;
    if (!Widest(format, 1, high)) return {}; // a format without digits shows nothing anyway
    if (!Widest(format, -1, low)) low = 0;
    InputCheck refused{false, field, NumberText(value), Accepts::Between, {}, {}};
    refused.low = TrimBlanks(FormatFixed(low, format));
    refused.high = TrimBlanks(FormatFixed(high, format));
    return refused;
}

InputCheck CheckPercent(double value, const Text& field) {
    if (value >= 0 && value <= 100) return {};
    return {false, field, NumberText(value), Accepts::Between, "0", "100"};
}

InputCheck CheckDate(const std::string& yymmdd, const Text& field) {
    const std::string date = TrimBlanks(yymmdd);
    if (date.empty()) return {};
    if (date.size() == 6 && IsDigits(date)) {
        const int year = 2000 + std::stoi(date.substr(0, 2));
        const int month = std::stoi(date.substr(2, 2));
        const int day = std::stoi(date.substr(4, 2));
        const bool leap = year % 4 == 0; // 2000..2099
        const int days[] = {31, leap ? 29 : 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        if (month >= 1 && month <= 12 && day >= 1 && day <= days[month - 1]) return {};
    }
    return {false, field, date, Accepts::Date, {}, {}};
}

InputCheck CheckTyped(const std::string& text, InputCheck (*check)(double, const Text&),
                      const Text& field, double& value) {
    if (ParseNumber(text, value)) return check(value, field);
    // Every check refuses NaN: its refusal states the range.
    InputCheck refused = check(std::numeric_limits<double>::quiet_NaN(), field);
    refused.value = TrimBlanks(text);
    return refused;
}

Text FormatOverflow(double value, const std::string& format) {
    if (FitsFormat(value, format)) return {};
    return Text(texts::session::kFormatOverflow, TrimBlanks(format),
                TrimBlanks(FormatWhole(value, format)));
}

} // namespace rm27
