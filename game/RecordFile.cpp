#include "game/RecordFile.h"

#include "base/NewFile.h"
#include "base/Platform.h"
#include "base/RegularFile.h"

#include <cerrno>
#include <iostream>

namespace {

constexpr const char* folderName = "vantorrel";
constexpr const char* extension = ".record";
// Bytes; a full record is under 200, so anything near this is not one.
constexpr size_t largestRecordFile = 4096;

std::string folderOf(const std::string& path) { return path.substr(0, path.find_last_of('/')); }

std::string pathFor(const std::string& levelHash)
{
    const std::optional<std::string> home = platform::userDataHome();
    return home ? *home + "/" + folderName + "/" + levelHash + extension : std::string();
}

} // namespace

RecordFile::RecordFile(const std::string& levelHash) : RecordFile(AtPath{}, pathFor(levelHash)) {}

RecordFile RecordFile::at(const std::string& path) { return RecordFile(AtPath{}, path); }

RecordFile::RecordFile(AtPath, const std::string& path) : file(path)
{
    if (file.empty()) {
        writable = false;
        std::cout << "Records: no folder for records (neither XDG_DATA_HOME nor HOME is set)" << std::endl;
        return;
    }
    read();
}

void RecordFile::read()
{
    // Missing is the usual case before the first win: nothing to say.
    const platform::PathStatus status = platform::examineEntry(file);
    if (!status.exists && (status.error == ENOENT || status.error == ENOTDIR))
        return;
    writable = false;
    const platform::FileBytes bytes = platform::readRegularFile(file, largestRecordFile);
    if (!bytes.ok()) {
        std::cout << "Records: Could not read " << file << ": " << bytes.reason() << std::endl;
        return;
    }
    const std::optional<LevelRecord> record = LevelRecord::parse(bytes.bytes);
    if (!record) {
        std::cout << "Records: Could not read " << file << ": not a record of this version" << std::endl;
        return;
    }
    kept = *record;
    writable = true;
}

bool RecordFile::makeFolder() const
{
    // A fresh account may have neither the data home nor our folder in it.
    const std::string folder = folderOf(file);
    for (const std::string& level : {folderOf(folder), folder}) {
        if (platform::examine(level).exists)
            continue;
        const int error = platform::makeDirectory(level);
        if (error != 0 && error != EEXIST) {
            std::cout << "Records: Could not create " << level << ": " << platform::errorText(error) << std::endl;
            return false;
        }
    }
    return true;
}

bool RecordFile::offer(int64_t steps, const LevelRecord::Splits& splits)
{
    const bool newBest = !kept.hasBest() || (steps > 0 && steps < kept.bestSteps);
    if (!kept.improveWith(steps, splits) || !writable)
        return newBest;
    if (!makeFolder())
        return newBest;
    const int error = platform::replaceFileWhole(file, {kept.text()});
    if (error != 0)
        std::cout << "Records: Could not write " << file << ": " << platform::errorText(error) << std::endl;
    return newBest;
}
