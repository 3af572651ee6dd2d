#pragma once
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

// A fresh folder under /tmp, removed with everything in it at the end.
class TempFolder {
public:
    TempFolder()
    {
        char pattern[] = "/tmp/vantorrel-audio-XXXXXX";
        const char* made = mkdtemp(pattern);
        folder = made ? made : "";
    }
    ~TempFolder()
    {
        std::error_code ignored;
        if (!folder.empty())
            std::filesystem::remove_all(folder, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return folder; }
    std::string file(const std::string& name) const { return folder + "/" + name; }
    void makeFolder(const std::string& name) const { std::filesystem::create_directories(file(name)); }
    // Writes the bytes exactly as given (no line-end translation).
    std::string write(const std::string& name, const std::string& bytes) const
    {
        std::ofstream out(file(name), std::ios::binary);
        out << bytes;
        return file(name);
    }

private:
    std::string folder;
};
