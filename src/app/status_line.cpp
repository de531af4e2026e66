#include "app/status_line.h"

#include <cstdarg>
#include <cstdio>

void setStatusText(StatusLine* status, const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vsnprintf(status->text, sizeof status->text, format, args);
    va_end(args);
}
