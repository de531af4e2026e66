#include "app/status_line.h"

#include <cstdarg>
#include <cstdio>

void setStatusText(StatusLine* status, const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vsnprintf(status->text, sizeof status->text, format, args);
    va_end(args);
}

void statusLineShown(const StatusLine* status, bool unsaved, char* out, int size) {
    if (!unsaved)
        std::snprintf(out, size, "%s", status->text);
    else if (status->text[0] == '\0')
        std::snprintf(out, size, "unsaved changes");
    else
        std::snprintf(out, size, "%s - unsaved changes", status->text);
}
