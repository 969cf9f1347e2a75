// Whole files, as bytes: what the EEPROM images, the certificates and the
// calibration files are read and written with.
#pragma once

#include <string>

namespace rm27 {

// False with a reason (the system's text) in error.
bool ReadWholeFile(const std::string& path, std::string& text, std::string& error);
// Replaces the file. False with a reason (the system's text) in error.
bool WriteWholeFile(const std::string& path, const std::string& text, std::string& error);

} // namespace rm27
