#include "tracking/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

constexpr size_t WRITE_BUFFER_SIZE = 1 << 20;  // bytes gathered before each write

bool flushOutput(OutputFile* out) {
    const char* data = out->buffer.get();
    size_t done = 0;
    while (done < out->used) {
        const ssize_t n = ::write(out->fd, data + done, out->used - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            // The file has failed; the rest of the text still goes into the buffer,
            // which must have room for it.
            if (out->error == 0) out->error = errno;
            out->used = 0;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    out->used = 0;
    return true;
}

std::string folderOf(const std::string& fileName) {
    const size_t slash = fileName.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : fileName.substr(0, slash);
}

// The new file gets the mode of the file it replaces, or the usual mode of a new file.
mode_t newFileMode(const struct stat* existing) {
    if (existing != nullptr) return existing->st_mode & 07777;
    // umask can only be read by setting it: done once, so that two threads saving at
    // the same time cannot leave the process with the mask of 0 that one of them set.
    static const mode_t mask = [] {
        const mode_t current = ::umask(0);
        ::umask(current);
        return current;
    }();
    return 0666 & ~mask;
}

}  // namespace

bool openOutput(OutputFile* out, const char* fileName) {
    out->fileName = fileName;
    out->buffer.reset(new (std::nothrow) char[WRITE_BUFFER_SIZE]);
    if (out->buffer == nullptr) {
        std::printf("memory allocation not done for the file %s!\n", fileName);
        return false;
    }
    out->target = fileName;
    struct stat existing;
    if (::lstat(fileName, &existing) == 0 && S_ISLNK(existing.st_mode)) {
        char* real = ::realpath(fileName, nullptr);
        if (real == nullptr) {  // dangling, or a loop: refused rather than replaced
            std::printf("can't create the file %s!\n", fileName);
            return false;
        }
        out->target = real;
        std::free(real);
    }
    const bool exists = ::stat(out->target.c_str(), &existing) == 0;
    // A protected file stays as it is, as an open for writing would leave it.
    if (exists && (!S_ISREG(existing.st_mode) ||
                   ::faccessat(AT_FDCWD, out->target.c_str(), W_OK, AT_EACCESS) != 0)) {
        std::printf("can't create the file %s!\n", fileName);
        return false;
    }
    out->inPlace =
        exists && (existing.st_nlink > 1 ||
                   ::faccessat(AT_FDCWD, folderOf(out->target).c_str(), W_OK, AT_EACCESS) != 0);
    if (out->inPlace) {
        out->tempName.clear();
        out->fd = ::open(out->target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    } else {
        out->tempName = out->target + ".XXXXXX";
        out->fd = ::mkstemp(out->tempName.data());
    }
    if (out->fd < 0) {
        out->tempName.clear();
        std::printf("can't create the file %s!\n", fileName);
        return false;
    }
    if (!out->inPlace) ::fchmod(out->fd, newFileMode(exists ? &existing : nullptr));
    return true;
}

char* reserveOutput(OutputFile* out) {
    if (out->used > WRITE_BUFFER_SIZE - OUTPUT_LINE_ROOM) flushOutput(out);
    return out->buffer.get() + out->used;
}

void commitOutput(OutputFile* out, const char* end) {
    out->used = end - out->buffer.get();
}

int finishOutput(OutputFile* out) {
    if (out->error == 0) flushOutput(out);
    if (out->error == 0 && ::fsync(out->fd) != 0) out->error = errno;
    if (out->error != 0) {
        std::printf("can't write the file %s: %s!\n", out->fileName, std::strerror(out->error));
        discardOutput(out);
        return -1;
    }
    const int closed = ::close(out->fd);
    out->fd = -1;
    if (closed != 0) {
        std::printf("can't close the file %s!\n", out->fileName);
        discardOutput(out);
        return -1;
    }
    return 1;
}

int replaceTarget(OutputFile* out) {
    if (out->inPlace) return 1;
    if (::rename(out->tempName.c_str(), out->target.c_str()) != 0) {
        std::printf("can't create the file %s!\n", out->fileName);
        discardOutput(out);
        return 0;
    }
    out->tempName.clear();
    // Makes the rename itself durable; the file is complete whatever this answers.
    const int folder = ::open(folderOf(out->target).c_str(), O_RDONLY | O_DIRECTORY);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return 1;
}

void discardOutput(OutputFile* out) {
    if (out->fd >= 0) ::close(out->fd);
    out->fd = -1;
    if (!out->tempName.empty()) ::unlink(out->tempName.c_str());
    out->tempName.clear();
}

char* appendText(char* out, const char* text) {
    const size_t length = std::strlen(text);
    std::memcpy(out, text, length);
    return out + length;
}

char* formatInt(char* out, int value) {
    return std::to_chars(out, out + 16, value).ptr;
}
