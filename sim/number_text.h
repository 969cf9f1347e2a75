// Numbers as rm27sim and the soak take them on their command lines and
// rm27sim on its control FIFO: the whole word, decimal, finite. "1abc",
// "0x10", "nan" or " 5" are typing slips, and a slip taken for a number
// would run a simulation nobody asked for.
#pragma once

#include <string>

namespace rm27::sim {

// An optional sign and decimal digits.
bool ReadWholeNumber(const std::string& text, long long& out);
// An optional sign, digits with at most one decimal point, an optional
// exponent; infinities and NaN are refused.
bool ReadFiniteNumber(const std::string& text, double& out);

} // namespace rm27::sim
