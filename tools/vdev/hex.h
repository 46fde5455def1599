// Hex text <-> bytes, as used on the control connection.
#pragma once

#include <string>

namespace vdev {

// Uppercase hex, two digits per byte, no separators.
std::string to_hex(const std::string& bytes);

// Accepts upper- or lowercase digits; fails on odd length or other characters.
bool from_hex(const std::string& text, std::string* bytes);

}  // namespace vdev
