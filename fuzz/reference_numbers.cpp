#include "reference_numbers.h"

#include <climits>
#include <cmath>
#include <cstdlib>

bool isSeparator(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool referenceInt(const std::string& field, int* value) {
    if (field.empty() || isSeparator(field[0])) return false;
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(field.c_str(), &end, 10);
    if (errno != 0 || end != field.c_str() + field.size() || parsed < INT_MIN || parsed > INT_MAX)
        return false;
    *value = static_cast<int>(parsed);
    return true;
}

bool referenceReal(const std::string& field, double* value) {
    if (field.empty() || isSeparator(field[0])) return false;
    const size_t digits = field[0] == '+' || field[0] == '-' ? 1 : 0;
    if (field.size() > digits + 1 && field[digits] == '0' &&
        (field[digits + 1] == 'x' || field[digits + 1] == 'X'))
        return false;
    char* end = nullptr;
    const double parsed = std::strtod(field.c_str(), &end);
    // A value too small for a double is taken as strtod rounds it (0 or a subnormal),
    // as scanf's conversions do; overflow is refused with the infinities.
    if (end != field.c_str() + field.size() || !std::isfinite(parsed)) return false;
    *value = parsed;
    return true;
}
