#pragma once

#include <cstdint>

// Writes a finite double as printf's "%.17g" writes it in the C locale (seventeen significant digits,
// exactly rounded, so every double reads back unchanged) and answers the end of the text. Needs 40 bytes.
char* JKFormatDouble17g(double value, char* out);

// The double nearest to significand * 10^exponent (ties to even), as the C library's conversion of the
// decimal text gives it, for a significand that is not zero and an exponent from -27 to 27; false (and
// nothing written) for anything else, which the caller converts the general way.
bool JKDoubleFromDecimal(uint64_t significand, int exponent, double* value);
