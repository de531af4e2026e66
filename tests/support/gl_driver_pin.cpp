#include "gl_driver_pin.h"

#include <dlfcn.h>
#include <link.h>

#include <cstdlib>
#include <cstring>

namespace {

int pinDriver(dl_phdr_info* info, size_t, void*) {
    const char* name = info->dlpi_name;
    if (name && std::strstr(name, "_dri.so")) {
        // A no-load open only adds a reference, one that never goes away.
        dlopen(name, RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
    }
    return 0;
}

void pinDrivers() {
    dl_iterate_phdr(pinDriver, nullptr);
}

}  // namespace

void keepGlDriverAtExit() {
    static bool registered = false;
    if (registered) return;
    registered = true;
    std::atexit(pinDrivers);
}
