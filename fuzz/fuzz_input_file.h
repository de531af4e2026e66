// The input of a harness as a file, for readers that take a file name. The file
// lives in a folder of its own, in memory (/dev/shm) when the machine has it, so
// that each run costs no disk write; the folder goes when the process ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Replaces the file `name` of the harness's folder by data; returns its path.
const std::string& writeFuzzInput(const char* name, const uint8_t* data, size_t size);
// The path of `name` in the harness's folder (for files a reader writes).
std::string fuzzFilePath(const char* name);
