#include "base/FilePath.h"

#include "base/Platform.h"

#include <iostream>

namespace {

constexpr const char* dataFolders[] = {"levels", "synthPatches", "pitches", "fonts"};
constexpr const char* installedData = "share/vantorrel"; // from the prefix, the executable's folder's parent

bool holdsDataFolder(const FilePath& folder)
{
    for (const char* name : dataFolders)
        if (platform::examine(folder.join(name).text()).directory)
            return true;
    return false;
}

// share/vantorrel of the installation prefix, the folder above the
// executable's (the executable's path has its links resolved, so that is
// "/usr" for "/usr/bin"); the empty path when there is no parent.
FilePath installedDataFor(const FilePath& executableFolder)
{
    const size_t slash = executableFolder.text().find_last_of('/');
    if (slash == std::string::npos)
        return {};
    return FilePath(executableFolder.text().substr(0, slash)).join(installedData);
}

} // namespace

FilePath FilePath::executableDirectory()
{
    const std::string executable = platform::executablePath();
    if (executable.empty())
        return {};
    const size_t slash = executable.find_last_of('/');
    if (slash == std::string::npos)
        return FilePath(executable);
    return FilePath(executable.substr(0, slash));
}

FilePath FilePath::dataDirectory()
{
    return dataDirectoryFor(executableDirectory());
}

FilePath FilePath::dataDirectoryFor(const FilePath& executableFolder)
{
    if (executableFolder.empty() || holdsDataFolder(executableFolder))
        return executableFolder;
    const FilePath installed = installedDataFor(executableFolder);
    if (!installed.empty() && platform::examine(installed.text()).directory)
        return installed;
    return executableFolder;
}

FilePath FilePath::dataFolder(const std::string& name)
{
    return dataFolderFor(executableDirectory(), name);
}

FilePath FilePath::dataFolderFor(const FilePath& executableFolder, const std::string& name)
{
    const FilePath chosen = dataDirectoryFor(executableFolder).join(name);
    if (executableFolder.empty() || platform::examine(chosen.text()).directory)
        return chosen;
    // A folder missing from a copy beside the program may still be installed.
    const FilePath beside = executableFolder.join(name);
    const FilePath installed = installedDataFor(executableFolder);
    if (!installed.empty() && platform::examine(installed.join(name).text()).directory)
        return installed.join(name);
    std::cout << "FilePath: No " << name << " folder in " << beside.text() << " or "
              << (installed.empty() ? FilePath(installedData) : installed.join(name)).text() << std::endl;
    return chosen;
}

std::vector<FilePath> FilePath::systemFontDirectories()
{
    std::vector<FilePath> folders;
    for (const std::string& folder : platform::fontDirectories())
        folders.emplace_back(folder);
    return folders;
}

FilePath FilePath::join(const std::string& name) const
{
    return FilePath(path + "/" + name);
}

bool FilePath::exists() const
{
    return !path.empty() && platform::examine(path).exists;
}

bool FilePath::isFile() const
{
    if (path.empty())
        return false;
    const platform::PathStatus status = platform::examine(path);
    return status.exists && !status.directory;
}

bool FilePath::isDirectory() const
{
    if (path.empty())
        return false;
    const platform::PathStatus status = platform::examine(path);
    if (!status.exists) {
        std::cout << "FilePath::isDirectory() error: " << path << ": " << platform::errorText(status.error)
                  << std::endl;
        return false;
    }
    return status.directory;
}

std::string FilePath::extension() const
{
    if (path.empty() || isDirectory())
        return {};
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos)
        return path;
    return path.substr(dot + 1);
}

int FilePath::entryCount() const
{
    if (path.empty() || !isDirectory())
        return 0;
    const auto names = platform::listDirectory(path);
    return names ? static_cast<int>(names->size()) : 0;
}

FilePath FilePath::entry(int index) const
{
    const auto names = platform::listDirectory(path);
    if (!names || index < 0 || index >= static_cast<int>(names->size()))
        return {};
    return join((*names)[static_cast<size_t>(index)]);
}
