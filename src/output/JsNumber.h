#pragma once
// Numbers as the WebGL scene data file writes them: five decimals at most, no
// exponent, no leading zero before the point and no trailing zeros.

#include <string>

namespace zx {

// The raw form, used for colour components and the background's follow amount:
// 1 gives "1.0", 0 gives ".0", 0.5 gives ".50".
std::string jsNumberRaw(double value);

// The short form of every other real: 1.5 gives "1.5", 0 gives "0", 100 gives "100",
// -0.25 gives "-.25", 0.5 gives ".5". A value that is not finite is written as 0.
std::string jsNumber(double value);

} // namespace zx
