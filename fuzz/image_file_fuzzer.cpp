// Fuzzes the artwork loader with any bytes as an image file. A load either fails
// with a null buffer and zero sizes, or fills a buffer of exactly width x height x
// channels bytes, copied whole here so that the sanitizers check its size.
// Inputs of even size are loaded with the button faces' alpha threshold, odd ones
// without, as the window composition does.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "fuzz_input_file.h"
#include "widgets/image_file.h"

namespace {

constexpr int BUTTON_ALPHA_THRESHOLD = 50;

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "image file: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& input = writeFuzzInput("input.png", data, size);
    const int threshold = size % 2 == 0 ? BUTTON_ALPHA_THRESHOLD : 0;
    const Image image = loadImageFile(input.c_str(), nullptr, threshold);
    if (image.pixels == nullptr) {
        if (image.width != 0 || image.height != 0 || image.channels != 0)
            fail("a failed load left sizes");
        return 0;
    }
    if (image.width <= 0 || image.height <= 0 || (image.channels != 3 && image.channels != 4))
        fail("a load gave no size or another pixel size than 3 or 4 bytes");
    if (threshold > 0 && image.channels != 4) fail("a threshold gave no alpha byte");
    const size_t bytes = static_cast<size_t>(image.width) * image.height * image.channels;
    const std::vector<unsigned char> copy(image.pixels.get(), image.pixels.get() + bytes);
    return 0;
}
