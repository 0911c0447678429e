#pragma once

// Writes a finite double as printf's "%.17g" writes it in the C locale (seventeen significant digits,
// exactly rounded, so every double reads back unchanged) and answers the end of the text. Needs 40 bytes.
char* JKFormatDouble17g(double value, char* out);
