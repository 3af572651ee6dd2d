#pragma once
// Shared by the fuzz targets: a private scratch folder for readers that take a
// path, and a silenced standard output so their messages cost next to nothing.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>

namespace fuzzsupport {

// A folder of this process's own, removed when the process ends normally. Kept
// in a plain array so that it outlives every static object's destructor.
inline std::string scratchFolder()
{
    static char folder[4096] = {};
    if (folder[0] == '\0') {
        const char* base = std::getenv("TMPDIR");
        const std::string pattern =
            std::string(base != nullptr && base[0] == '/' ? base : "/tmp") + "/vantorrel-fuzz-XXXXXX";
        if (pattern.size() >= sizeof folder) {
            std::fprintf(stderr, "TMPDIR too long\n");
            std::abort();
        }
        pattern.copy(folder, pattern.size());
        if (mkdtemp(folder) == nullptr) {
            std::perror("mkdtemp");
            std::abort();
        }
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(folder, ignored);
        });
    }
    return folder;
}

// Replaces the file's contents with the input bytes.
inline void writeBytes(const std::string& path, const uint8_t* data, size_t size)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        std::perror(path.c_str());
        std::abort();
    }
    if (size > 0 && std::fwrite(data, 1, size, file) != size) {
        std::perror(path.c_str());
        std::abort();
    }
    std::fclose(file);
}

// The readers print their complaints on standard output; libFuzzer reports on
// standard error, which stays.
inline void quietStandardOutput()
{
    if (std::freopen("/dev/null", "w", stdout) == nullptr)
        std::abort();
    std::cout.setstate(std::ios::badbit);
}

// A broken expectation is reported like a crash, with the input kept.
inline void require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "fuzz expectation failed: %s\n", what);
        std::abort();
    }
}

} // namespace fuzzsupport
