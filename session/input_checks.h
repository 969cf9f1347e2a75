// The checks a number passes before it goes out: into the converter's
// memory, into an eKey image, onto a certificate. The window, its dialogs,
// the calibration editor, r27ctl and the calibration file reader all ask
// here, so that one value is taken or refused the same way wherever it was
// typed. A check does not convert: whoever reads the text (ValComma where
// the window always did) hands over the number it got.
#pragma once

#include <string>

#include "l10n/text.h"

namespace rm27 {

// What a check found: ok, or the field refused, the value as text, and
// what the field takes.
struct InputCheck {
    enum class Accepts {
        Between,     // low .. high
        ZeroOrSized, // 0, or a magnitude low .. high
        Sized,       // a magnitude low .. high (not 0)
        Date,        // "YYMMDD" of a day that exists
    };

    bool ok = true;
    Text field;
    std::string value;
    Accepts accepts = Accepts::Between;
    std::string low, high;

    explicit operator bool() const { return ok; }
    // "<field>: hodnotu <value> nelze použít, přípustné jsou hodnoty <range>."
    Text message() const;
    // What the field takes, in Czech ("-9999,9 až 99999,9") and in English
    // (r27ctl's usage errors: "-9999.9 to 99999.9").
    Text range() const;
    std::string rangeInEnglish() const;
};

// A number as a person types it into r27ctl or a file: blanks around it,
// a sign, digits with one decimal point or comma, an optional exponent;
// nothing else ("1abc", "0x10", "1,5,5", "nan", "inf" are not numbers).
// False also when it is beyond the range of a double.
bool ParseNumber(const std::string& text, double& value);

// The shortest text that reads back as the value ("1e+40", "-0", "inf").
std::string NumberText(double value);

// An IEEE single as the converter keeps it (Q, the RMU limit, an entered
// mV/V): finite, within a single's range, and 0 or a normal single (a
// denormal has lost its digits, and 1e-45 mV/V is a slip, not a value).
InputCheck CheckSingle(double value, const Text& field);
// K: the same, and not 0.
InputCheck CheckNonZeroSingle(double value, const Text& field);
// A value kept as the eKey's own float (curve points, the curve's limit):
// 0, or a magnitude from 2^-128 up to below 2^127. The encoder would write
// anything else as 0 or as its largest number.
InputCheck CheckDeviceFloat(double value, const Text& field);
// A value that has to be shown whole in a display format, such as the RMU
// limit in its record's number format: "####0.0" takes -9999.9 .. 99999.9.
// A format that shows no digit at all checks nothing.
InputCheck CheckFitsFormat(double value, const std::string& format, const Text& field);
// A percentage, 0 .. 100.
InputCheck CheckPercent(double value, const Text& field);
// "YYMMDD" of a day that exists; blank means not stated and passes.
InputCheck CheckDate(const std::string& yymmdd, const Text& field);

// text read whole (ParseNumber) into value, then checked; text that is no
// number is refused with the range the check states.
InputCheck CheckTyped(const std::string& text, InputCheck (*check)(double, const Text&),
                      const Text& field, double& value);

// "Hodnota se nevejde do formátu ##0.000: 20000.016" when FormatFixed cuts
// the value; nothing when it shows it whole.
Text FormatOverflow(double value, const std::string& format);

} // namespace rm27
