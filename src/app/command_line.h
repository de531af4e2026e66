// The command line: video, registration, save and load names, the names left
// out derived from the video name, and the program directory.
#pragma once

#include <cstdio>

constexpr int FILE_NAME_SIZE = 1024;  // every command-line name buffer, terminator included
constexpr int STATE_NAME_SIZE = 512;  // the state's copies of the video, save and load names

// The names start-up works with, each NUL-terminated.
struct CommandLine {
    char videoFileName[FILE_NAME_SIZE] = {};         // argument 1, shorter than STATE_NAME_SIZE
    char registrationFileName[FILE_NAME_SIZE] = {};  // argument 2, or the video's with ".reg"
    char saveFileName[FILE_NAME_SIZE] = {};          // argument 3, or the video's with ".dat"
    char loadFileName[FILE_NAME_SIZE] = {};          // argument 4, or the save name
    char programDirectory[FILE_NAME_SIZE] = {};      // the artwork's base; no trailing separator
};

enum class CommandLineResult {
    Ok,
    NoVideo,      // no video name: the caller prompts and exits with -1
    NameTooLong,  // a name does not fit its buffer: the caller exits with -1
};

// Reads argv as the tool does: fills `out`, writes the errors and warnings of
// the names left out to `err` and the five echo lines to `out_stream`.
// `executablePath` is the running program's own path when known (else null):
// the program directory is its folder, or argv[0]'s folder when it is null.
CommandLineResult parseCommandLine(int argc, const char* const* argv, const char* executablePath,
                                   CommandLine* out, FILE* outStream, FILE* errStream);

// Name with its extension (after the last '.' of the file part) replaced by
// `extension`, or appended when it has none. False when it does not fit `size`.
bool deriveFileName(const char* name, const char* extension, char* out, int size);

// The running executable's path (from /proc/self/exe); false when unavailable.
bool executablePath(char* out, int size);
