// Test helpers: a scratch folder removed with everything in it, and whole-file reads
// and writes.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

// A new folder under /tmp, removed with its contents (subfolders included) when the
// record goes.
struct TempFolder {
    std::string path;

    TempFolder() {
        char name[] = "/tmp/annotate_tests_XXXXXX";
        const char* made = mkdtemp(name);
        path = made != nullptr ? made : "";
    }
    ~TempFolder() {
        std::error_code ignored;
        if (!path.empty()) std::filesystem::remove_all(path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string file(const std::string& name) const { return path + "/" + name; }

    // Names in the folder.
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        std::error_code ignored;
        for (const auto& entry : std::filesystem::directory_iterator(path, ignored))
            names.push_back(entry.path().filename().string());
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
