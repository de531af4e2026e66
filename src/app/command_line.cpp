#include "app/command_line.h"

#include <unistd.h>

#include <cstring>

namespace {

// Line numbers the start-up messages have always carried; scripts that watch
// the console match them, so they stay fixed.
constexpr int LINE_NO_VIDEO = 2765;
constexpr int LINE_NO_REGISTRATION = 2781;
constexpr int LINE_NO_SAVE = 2801;
constexpr int LINE_NO_LOAD = 2819;

const char* const SOURCE_PATH = __FILE__;

// Copies `text` into `out` only when it fits whole: a cut name would read or
// write a different file.
bool copyName(const char* text, char* out, int size) {
    size_t length = std::strlen(text);
    if (length >= static_cast<size_t>(size)) return false;
    std::memcpy(out, text, length + 1);
    return true;
}

void copyDirectory(const char* path, char* out, int size) {
    const char* slash = std::strrchr(path, '/');
    if (slash == nullptr) {
        // Started through PATH or from its own folder: artwork is found beside it.
        copyName(".", out, size);
        return;
    }
    size_t length = static_cast<size_t>(slash - path);
    if (length == 0) length = 1;  // the root folder itself
    if (length >= static_cast<size_t>(size)) length = size - 1;
    std::memcpy(out, path, length);
    out[length] = '\0';
}

CommandLineResult tooLong(FILE* err, const char* what, const char* name, int limit) {
    std::fprintf(err, "Error: the %s name is too long (%zu characters, at most %d): %.80s...\n",
                 what, std::strlen(name), limit - 1, name);
    return CommandLineResult::NameTooLong;
}

}  // namespace

bool deriveFileName(const char* name, const char* extension, char* out, int size) {
    // Only a dot in the file part starts an extension: "takes.v2/clip" has none.
    const char* filePart = std::strrchr(name, '/');
    filePart = filePart ? filePart + 1 : name;
    const char* dot = std::strrchr(filePart, '.');
    size_t stem = dot ? static_cast<size_t>(dot - name) : std::strlen(name);
    size_t extensionLength = std::strlen(extension);
    if (stem + extensionLength >= static_cast<size_t>(size)) return false;
    std::memcpy(out, name, stem);
    std::memcpy(out + stem, extension, extensionLength + 1);
    return true;
}

bool executablePath(char* out, int size) {
    ssize_t length = readlink("/proc/self/exe", out, static_cast<size_t>(size) - 1);
    if (length <= 0 || length >= size - 1) return false;
    out[length] = '\0';
    return true;
}

CommandLineResult parseCommandLine(int argc, const char* const* argv, const char* exePath,
                                   CommandLine* out, FILE* outStream, FILE* err) {
    if (argc < 2) {
        std::fprintf(err, "Error: video file name not specified, %s, line %d\n", SOURCE_PATH,
                     LINE_NO_VIDEO);
        return CommandLineResult::NoVideo;
    }
    // The state keeps 512-character copies of the video, save and load names,
    // so those are held to that size from the start.
    if (!copyName(argv[1], out->videoFileName, STATE_NAME_SIZE))
        return tooLong(err, "video file", argv[1], STATE_NAME_SIZE);

    copyDirectory(exePath ? exePath : (argv[0] ? argv[0] : ""), out->programDirectory,
                  FILE_NAME_SIZE);

    if (argc < 3) {
        std::fprintf(err, "Error: reg data file name not specified, %s, line %d\n", SOURCE_PATH,
                     LINE_NO_REGISTRATION);
        if (!deriveFileName(out->videoFileName, ".reg", out->registrationFileName, FILE_NAME_SIZE))
            return tooLong(err, "registration file", out->videoFileName, FILE_NAME_SIZE);
        std::fprintf(err, "Warning: use %s as a reg file name\n", out->registrationFileName);
    } else if (!copyName(argv[2], out->registrationFileName, FILE_NAME_SIZE)) {
        return tooLong(err, "registration file", argv[2], FILE_NAME_SIZE);
    }

    if (argc < 4) {
        std::fprintf(err, "Error: saved tracking file name not specified, %s, line %d\n",
                     SOURCE_PATH, LINE_NO_SAVE);
        if (!deriveFileName(out->videoFileName, ".dat", out->saveFileName, STATE_NAME_SIZE))
            return tooLong(err, "save tracking file", out->videoFileName, STATE_NAME_SIZE);
        std::strcpy(out->loadFileName, out->saveFileName);
        std::fprintf(err, "Warning: use %s as a save tracking file name\n", out->saveFileName);
    } else {
        if (!copyName(argv[3], out->saveFileName, STATE_NAME_SIZE))
            return tooLong(err, "save tracking file", argv[3], STATE_NAME_SIZE);
        std::strcpy(out->loadFileName, out->saveFileName);
    }

    if (argc < 5) {
        std::fprintf(err, "Warning: use %s as a loading file name, %s, line %d\n",
                     out->loadFileName, SOURCE_PATH, LINE_NO_LOAD);
    } else if (!copyName(argv[4], out->loadFileName, STATE_NAME_SIZE)) {
        return tooLong(err, "loading tracking file", argv[4], STATE_NAME_SIZE);
    }

    std::fprintf(outStream, "dir: %s\n", out->programDirectory);
    std::fprintf(outStream, "vflile: %s\n", out->videoFileName);
    std::fprintf(outStream, "rflile: %s\n", out->registrationFileName);
    std::fprintf(outStream, "sflile: %s\n", out->saveFileName);
    std::fprintf(outStream, "lflile: %s\n", out->loadFileName);
    return CommandLineResult::Ok;
}
