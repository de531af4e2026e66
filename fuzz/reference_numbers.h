// Number conversions by the C library, the reference the project's own readers
// are held to: a field converts when strtol or strtod takes it whole, in range,
// in the decimal forms the data files use.
#pragma once

#include <string>

// strtol, base 10, of the whole field, within int.
bool referenceInt(const std::string& field, int* value);
// strtod of the whole field, finite and not hexadecimal (a value too small for a
// double converts to what strtod rounds it to).
bool referenceReal(const std::string& field, double* value);
// C's isspace in the C locale, the separators of the data files.
bool isSeparator(char c);
