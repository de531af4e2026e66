// Test helpers: a scratch folder removed with its files, and whole-file reads and writes.
#pragma once

#include <dirent.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

struct TempFolder {
    std::string path;

    TempFolder() {
        char name[] = "/tmp/tracking_tests_XXXXXX";
        path = mkdtemp(name);
    }
    ~TempFolder() {
        for (const std::string& entry : entries()) {
            const std::string full = path + "/" + entry;
            if (unlink(full.c_str()) != 0) rmdir(full.c_str());
        }
        rmdir(path.c_str());
    }
    std::string file(const std::string& name) const { return path + "/" + name; }

    // Names in the folder, "." and ".." left out.
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        if (DIR* dir = opendir(path.c_str())) {
            while (dirent* entry = readdir(dir)) {
                const std::string name = entry->d_name;
                if (name != "." && name != "..") names.push_back(name);
            }
            closedir(dir);
        }
        return names;
    }
};

inline void writeFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}
