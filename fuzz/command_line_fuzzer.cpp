// Fuzzes the command-line name handling. Input: a flags byte, then up to six
// arguments separated by NUL bytes (argument 0 first). Checked: every name fits its
// buffer, given names are taken as they are, derived names are the video name with
// its extension replaced, the program directory is the folder of the program's
// path, and only an over-long name is refused. deriveFileName also runs on its own
// with output buffers of every small size.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/command_line.h"

namespace {

constexpr size_t MAX_ARGUMENTS = 6;

[[noreturn]] void fail(const char* what, const std::string& name) {
    std::fprintf(stderr, "command line: %s: \"%.200s\"\n", what, name.c_str());
    std::abort();
}

// The name's last '.' within its file part, or npos.
size_t extensionDot(const std::string& name) {
    const size_t slash = name.rfind('/');
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return std::string::npos;
    return dot;
}

void checkDerived(const std::string& video, const std::string& derived, const char* extension) {
    const size_t dot = extensionDot(video);
    const std::string stem = dot == std::string::npos ? video : video.substr(0, dot);
    if (derived != stem + extension) fail("a derived name", derived);
}

void checkHeld(const char* buffer, size_t size, const char* what) {
    if (strnlen(buffer, size) >= size) fail("a name without its terminator", what);
}

void checkDirectory(const std::string& path, const std::string& directory) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        if (directory != ".") fail("the directory of a path without a folder", directory);
    } else if (slash == 0) {
        if (directory != "/") fail("the directory of a program in the root", directory);
    } else if (directory != path.substr(0, std::min<size_t>(slash, FILE_NAME_SIZE - 1))) {
        fail("the directory is not the program's folder", directory);
    }
}

void checkDeriveAlone(const std::string& name, const char* extension, int size) {
    std::unique_ptr<char[]> out(new char[size]);  // exactly size bytes: overruns show
    const bool derived = deriveFileName(name.c_str(), extension, out.get(), size);
    const size_t dot = extensionDot(name);
    const size_t stem = dot == std::string::npos ? name.size() : dot;
    if (derived != (stem + std::strlen(extension) < static_cast<size_t>(size)))
        fail("deriveFileName refused a name that fits, or took one that does not", name);
    if (derived) checkDerived(name, out.get(), extension);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const uint8_t flags = data[0];
    std::vector<std::string> arguments;
    const char* text = reinterpret_cast<const char*>(data + 1);
    const char* end = text + size - 1;
    while (text <= end && arguments.size() < MAX_ARGUMENTS) {
        const char* stop = static_cast<const char*>(std::memchr(text, '\0', end - text));
        if (stop == nullptr) stop = end;
        arguments.emplace_back(text, stop);
        text = stop + 1;
    }
    // Names come in from argv, whose strings hold no NUL.
    std::vector<const char*> argv;
    for (const std::string& argument : arguments) argv.push_back(argument.c_str());
    argv.push_back(nullptr);
    const int argc = static_cast<int>(arguments.size());
    // With flag bit 0 the program's path is known apart from argument 0.
    const std::string exePath =
        "/opt/annotate" + std::string(flags & 2 ? "/bin" : "") + "/annotate";
    const char* knownPath = flags & 1 ? exePath.c_str() : nullptr;

    static FILE* sink = std::fopen("/dev/null", "w");
    CommandLine line;
    const CommandLineResult result =
        parseCommandLine(argc, argv.data(), knownPath, &line, sink, sink);
    if (argc < 2) {
        if (result != CommandLineResult::NoVideo) fail("no video name was accepted", "");
        return 0;
    }
    size_t longest = 0;
    for (int i = 1; i < argc && i < 5; i++) longest = std::max(longest, arguments[i].size());
    if (result == CommandLineResult::NameTooLong) {
        // The state's copies hold 511 characters; a derived ".dat" adds four.
        if (longest + 4 < STATE_NAME_SIZE) fail("a short name was refused", arguments[1]);
    } else if (result != CommandLineResult::Ok) {
        fail("an unexpected result", arguments[1]);
    } else {
        checkHeld(line.videoFileName, STATE_NAME_SIZE, "video");
        checkHeld(line.registrationFileName, FILE_NAME_SIZE, "registration");
        checkHeld(line.saveFileName, STATE_NAME_SIZE, "save");
        checkHeld(line.loadFileName, STATE_NAME_SIZE, "load");
        checkHeld(line.programDirectory, FILE_NAME_SIZE, "directory");
        const std::string video = line.videoFileName;
        if (video != arguments[1]) fail("the video name was changed", video);
        if (argc >= 3) {
            if (line.registrationFileName != arguments[2]) fail("the registration name", "");
        } else {
            checkDerived(video, line.registrationFileName, ".reg");
        }
        if (argc >= 4) {
            if (line.saveFileName != arguments[3]) fail("the save name", "");
        } else {
            checkDerived(video, line.saveFileName, ".dat");
        }
        const std::string load = argc >= 5 ? arguments[4] : std::string(line.saveFileName);
        if (line.loadFileName != load) fail("the load name", line.loadFileName);
        checkDirectory(knownPath ? exePath : arguments[0], line.programDirectory);
    }
    checkDeriveAlone(arguments[1], ".reg", 1 + flags % 64);
    return 0;
}
