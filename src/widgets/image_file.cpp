#include "widgets/image_file.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace {

// The double nearest to one third lies slightly below it, so a pixel of three
// equal values v sums to just under v: (50, 50, 50) gives 49, not 50.
constexpr double kThird = 0.3333333333333333;
constexpr int kOpaque = 255;
// Artwork is a few hundred pixels a side; a hostile header cannot make the
// loader allocate more than this many pixels on each side.
constexpr png_uint_32 kMaxSide = 8192;
constexpr size_t kSignatureBytes = 8;
// The largest artwork file read: the pictures are a few hundred kilobytes.
constexpr long kMaxFileBytes = 64L << 20;
constexpr size_t kChunkFrame = 12;  // length, type and CRC around a chunk's data

// The reason, when there is one, follows the outcome on standard error, after the
// "name: " line is complete.
Image failLoad(const std::string& reason) {
    std::printf("not loaded!\n");
    std::fflush(stdout);
    if (!reason.empty()) std::fprintf(stderr, "%s\n", reason.c_str());
    return Image();
}

// One decoding: libpng's structures, the file and the decoded rows, released
// together whichever way the decoding ends.
struct PngReader {
    std::vector<unsigned char> bytes;  // the whole file
    size_t offset = 0;                 // how far libpng has read it
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::unique_ptr<unsigned char[]> rows;  // top row first, channels bytes a pixel
    std::unique_ptr<png_bytep[]> rowPointers;
    png_uint_32 width = 0, height = 0;
    int channels = 0;
    char error[256] = "";

    ~PngReader() {
        if (png != nullptr)
            png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, nullptr);
    }
};

// libpng reports errors by a long jump back into decodePng; its warnings (about
// colour profiles and the like) say nothing a user could act on.
void pngError(png_structp png, png_const_charp message) {
    auto* reader = static_cast<PngReader*>(png_get_error_ptr(png));
    std::snprintf(reader->error, sizeof reader->error, "%s", message);
    png_longjmp(png, 1);
}
void pngWarning(png_structp, png_const_charp) {}

void readBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* reader = static_cast<PngReader*>(png_get_io_ptr(png));
    if (length > reader->bytes.size() - reader->offset) png_error(png, "the file is cut short");
    std::copy_n(reader->bytes.data() + reader->offset, length, data);
    reader->offset += length;
}

// libpng trusts a chunk's length field and may allocate it before reading the
// data, so a damaged length (gigabytes in a file of a few hundred bytes) is refused
// here: every chunk up to IEND must lie inside the file.
bool chunksFitTheFile(const std::vector<unsigned char>& bytes) {
    constexpr size_t kChunkHeader = 8;  // length and type, read before any data
    size_t pos = kSignatureBytes;
    while (bytes.size() - pos >= kChunkHeader) {
        const unsigned char* c = bytes.data() + pos;
        const size_t length =
            (size_t{c[0]} << 24) | (size_t{c[1]} << 16) | (size_t{c[2]} << 8) | c[3];
        // IEND's data and CRC are never read, so the file may end after its header.
        if (std::equal(c + 4, c + 8, "IEND")) return true;
        if (bytes.size() - pos < kChunkFrame || length > bytes.size() - pos - kChunkFrame)
            return false;
        pos += kChunkFrame + length;
    }
    return true;  // too short for a chunk header: libpng says what is missing
}

// Decodes the whole file into reader.rows as 8-bit blue, green, red with the
// file's alpha when it has one: palettes and grey are expanded, 16-bit samples
// scaled to 8 bits. No object with a destructor lives in this frame, so the
// long jump of an error skips nothing; everything it allocates is in reader.
bool decodePng(PngReader& reader) {
    if (setjmp(png_jmpbuf(reader.png))) return false;
    png_set_read_fn(reader.png, &reader, readBytes);
    png_set_sig_bytes(reader.png, kSignatureBytes);
    png_set_user_limits(reader.png, kMaxSide, kMaxSide);
    png_read_info(reader.png, reader.info);

    png_set_expand(reader.png);  // palette to colour, low-bit grey to 8 bits, tRNS to alpha
    png_set_scale_16(reader.png);
    png_set_gray_to_rgb(reader.png);
    png_set_bgr(reader.png);
    png_set_interlace_handling(reader.png);
    png_read_update_info(reader.png, reader.info);

    reader.width = png_get_image_width(reader.png, reader.info);
    reader.height = png_get_image_height(reader.png, reader.info);
    reader.channels = png_get_channels(reader.png, reader.info);
    const size_t rowBytes = png_get_rowbytes(reader.png, reader.info);
    if (png_get_bit_depth(reader.png, reader.info) != 8 ||
        (reader.channels != 3 && reader.channels != 4) ||
        rowBytes != static_cast<size_t>(reader.width) * reader.channels) {
        std::snprintf(reader.error, sizeof reader.error, "unsupported pixel layout");
        return false;
    }
    reader.rows.reset(new (std::nothrow) unsigned char[rowBytes * reader.height]);
    reader.rowPointers.reset(new (std::nothrow) png_bytep[reader.height]);
    if (!reader.rows || !reader.rowPointers) {
        std::snprintf(reader.error, sizeof reader.error, "no memory for the pixels");
        return false;
    }
    for (png_uint_32 row = 0; row < reader.height; ++row) {
        reader.rowPointers[row] = reader.rows.get() + row * rowBytes;
    }
    png_read_image(reader.png, reader.rowPointers.get());
    return true;
}

// Opens path and decodes it when it starts with the PNG signature; any other
// content is refused before a decoder sees it.
bool readPng(const std::string& path, PngReader& reader, std::string& reason) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;  // a missing picture needs no second line
    long size = -1;
    if (std::fseek(file, 0, SEEK_END) == 0) size = std::ftell(file);
    if (size >= 0 && size <= kMaxFileBytes && std::fseek(file, 0, SEEK_SET) == 0) {
        reader.bytes.resize(static_cast<size_t>(size));
        if (std::fread(reader.bytes.data(), 1, reader.bytes.size(), file) != reader.bytes.size())
            size = -1;
    }
    std::fclose(file);
    if (size < 0 || size > kMaxFileBytes) {
        reason = size < 0 ? "cannot be read" : "the file is larger than any artwork";
        return false;
    }
    if (reader.bytes.size() < kSignatureBytes ||
        png_sig_cmp(reader.bytes.data(), 0, kSignatureBytes) != 0) {
        reason = "not a PNG file";
        return false;
    }
    if (!chunksFitTheFile(reader.bytes)) {
        reason = "damaged PNG: a chunk runs past the end of the file";
        return false;
    }
    reader.offset = kSignatureBytes;
    reader.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &reader, pngError, pngWarning);
    if (reader.png != nullptr) reader.info = png_create_info_struct(reader.png);
    if (reader.info == nullptr) {
        reason = "no memory for the decoder";
        return false;
    }
    if (!decodePng(reader)) {
        reason = reader.error;
        return false;
    }
    return true;
}

}  // namespace

Image loadImageFile(const char* name, const char* directory, int alphaThreshold) {
    if (name == nullptr) name = "";
    std::printf("name: %s ", name);

    std::string path = directory != nullptr ? directory : "";
    path += name;
    if (path.size() >= static_cast<size_t>(IMAGE_PATH_SIZE)) {
        return failLoad(std::string(name) + ": the path is longer than " +
                        std::to_string(IMAGE_PATH_SIZE - 1) + " bytes");
    }

    std::string reason;
    PngReader image;
    if (!readPng(path, image, reason)) {
        if (!reason.empty()) reason = std::string(name) + ": " + reason;
        return failLoad(reason);
    }

    const int width = static_cast<int>(image.width);
    const int height = static_cast<int>(image.height);
    const int ownChannels = image.channels;
    // An image with an alpha of its own keeps four bytes: the computed alpha
    // replaces a fifth byte that no texture format could read.
    const bool ownAlpha = ownChannels == 4;
    const int colourChannels = ownAlpha ? 3 : ownChannels;
    const int channels = alphaThreshold > 0 && !ownAlpha ? ownChannels + 1 : ownChannels;

    const size_t size = static_cast<size_t>(width) * height * channels;
    Image loaded;
    loaded.pixels.reset(new (std::nothrow) unsigned char[size]);
    if (loaded.pixels == nullptr) {
        return failLoad(std::string(name) + ": no memory for the pixels");
    }

    // Rows are copied bottom-up, which flips the picture for OpenGL without a
    // flipped copy of the whole image.
    for (int row = 0; row < height; ++row) {
        const unsigned char* source =
            image.rows.get() + static_cast<size_t>(height - 1 - row) * width * ownChannels;
        unsigned char* target = loaded.pixels.get() + static_cast<size_t>(row) * width * channels;
        for (int column = 0; column < width; ++column) {
            double sum = 0.0;
            for (int k = 0; k < ownChannels; ++k) {
                target[k] = source[k];
                if (k < colourChannels) sum += source[k] * kThird;
            }
            if (alphaThreshold > 0) {
                const int alpha = sum > alphaThreshold ? kOpaque : static_cast<int>(sum);
                // A pixel the file makes transparent stays so.
                unsigned char& last = target[channels - 1];
                last = ownAlpha ? std::min<int>(last, alpha) : alpha;
            }
            source += ownChannels;
            target += channels;
        }
    }

    loaded.width = width;
    loaded.height = height;
    loaded.channels = channels;
    std::printf("w: %d h: %d f: %d\n", width, height, channels);
    return loaded;
}
