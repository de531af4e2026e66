// OutputFile: a text file written through a large buffer into a temporary file beside
// its target, which replaces the target only once it is complete, synced and closed: a
// failed save or export keeps the previous file as it was. A file with other hard
// links, or in a folder the user cannot write, is rewritten in place instead (truncated,
// written, synced; a failed write then leaves it cut short), which keeps the links and
// is the only way to save it at all. A symbolic link is written through to its file so
// that the link stays; a dangling or looping link, a file the user cannot write and
// anything but a regular file (a device, a folder) are refused. The file keeps its mode.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

constexpr size_t OUTPUT_LINE_ROOM = 512;  // more than the longest line written at once

struct OutputFile {
    const char* fileName = nullptr;  // as the user gave it, for messages
    std::string target;              // the file replaced on success
    std::string tempName;            // the temporary file beside it, while open
    bool inPlace = false;            // the target itself is written (no temporary file)
    int fd = -1;                     // the file written, -1 when closed
    std::unique_ptr<char[]> buffer;  // text gathered before each write
    size_t used = 0;
    int error = 0;  // errno of the first failed write, 0 while all went well
};

// Creates the temporary file for fileName (or opens the target, truncated, when it is
// written in place). False after "can't create the file %s!\n" (or a line about
// memory); nothing is left behind and the target is untouched.
bool openOutput(OutputFile* out, const char* fileName);
// Where the next text goes, with room for OUTPUT_LINE_ROOM bytes; the buffer is
// written first when it may not fit. After a failed write the text still goes into
// the buffer and is dropped; error says so.
char* reserveOutput(OutputFile* out);
// The text up to end (from the last reserveOutput) is part of the file.
void commitOutput(OutputFile* out, const char* end);
// Writes the rest, syncs and closes the temporary file. 1, or -1 after "can't write
// the file %s: <reason>!\n" or "can't close the file %s!\n" (the temporary file removed).
int finishOutput(OutputFile* out);
// Puts the finished temporary file in the target's place (nothing to do in place). 1,
// or 0 after "can't create the file %s!\n" (the temporary file removed).
int replaceTarget(OutputFile* out);
// Closes and removes the temporary file of an output given up (no message).
void discardOutput(OutputFile* out);

// Text helpers: each writes at out and returns the end of what it wrote (no terminator).
char* appendText(char* out, const char* text);
char* formatInt(char* out, int value);
