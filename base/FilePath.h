#pragma once
#include <string>
#include <vector>

// A path string with the few operations the game needs to find its data.
class FilePath {
public:
    FilePath() = default;
    FilePath(std::string path) : path(std::move(path)) {}
    FilePath(const char* path) : path(path) {}

    // Directory of the running executable.
    static FilePath executableDirectory();
    // Where the game's data folders are ("levels", "synthPatches", "pitches",
    // "fonts"): beside the executable when any of them is there, else in
    // share/vantorrel beside the executable's own folder when that exists
    // (an installed game), else beside the executable.
    static FilePath dataDirectory();
    // The same decision for an executable in `executableFolder`.
    static FilePath dataDirectoryFor(const FilePath& executableFolder);
    // The data folder `name` ("levels", "pitches", ...): in dataDirectory(),
    // else in share/vantorrel of the installation prefix. When it is in
    // neither, prints one line naming both places and returns the first.
    static FilePath dataFolder(const std::string& name);
    // The same for an executable in `executableFolder`.
    static FilePath dataFolderFor(const FilePath& executableFolder, const std::string& name);
    // Font folders of the system and the user.
    static std::vector<FilePath> systemFontDirectories();

    FilePath join(const std::string& name) const;
    FilePath join(const char* name) const { return join(std::string(name)); }
    FilePath join(const FilePath& name) const { return join(name.path); }

    bool exists() const;
    bool isFile() const;
    // Prints "FilePath::isDirectory() error: PATH: REASON" when the path
    // cannot be examined.
    bool isDirectory() const;
    // Text after the last full stop of the whole path; the whole path without one.
    std::string extension() const;
    int entryCount() const;
    // The index-th entry in listing order, joined to this path; empty when absent.
    FilePath entry(int index) const;

    const std::string& text() const { return path; }
    bool empty() const { return path.empty(); }
    bool operator==(const FilePath&) const = default;

private:
    std::string path;
};
