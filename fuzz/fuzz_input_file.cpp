#include "fuzz_input_file.h"

#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <map>

namespace {

struct FuzzFolder {
    std::string path;
    FuzzFolder() {
        const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string pattern = std::string(base) + "/annotate-fuzz-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) {
            std::perror("annotate fuzz: no scratch folder");
            std::abort();
        }
        path = pattern;
    }
    // libFuzzer leaves through exit(), which runs this: the folder holds only plain
    // files that the harness and the readers wrote.
    ~FuzzFolder() {
        if (DIR* dir = opendir(path.c_str())) {
            while (dirent* entry = readdir(dir)) {
                const std::string name = entry->d_name;
                if (name != "." && name != "..") unlink((path + "/" + name).c_str());
            }
            closedir(dir);
        }
        rmdir(path.c_str());
    }
};

FuzzFolder& folder() {
    static FuzzFolder instance;
    return instance;
}

}  // namespace

std::string fuzzFilePath(const char* name) {
    return folder().path + "/" + name;
}

const std::string& writeFuzzInput(const char* name, const uint8_t* data, size_t size) {
    static std::map<std::string, std::string> paths;
    std::string& path = paths[name];
    if (path.empty()) path = fuzzFilePath(name);
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0) {
        std::perror(path.c_str());
        std::abort();
    }
    return path;
}
