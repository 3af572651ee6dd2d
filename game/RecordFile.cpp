#include "game/RecordFile.h"

#include "base/NewFile.h"
#include "base/Platform.h"
#include "base/RegularFile.h"

#include <cerrno>
#include <iostream>

namespace {

constexpr const char* folderName = "vantorrel";
constexpr const char* lockExtension = ".lock";
constexpr std::size_t hashDigits = 16; // LevelGrid::contentHash's length
// Bytes; a full record is under 200, so anything near this is not one.
constexpr size_t largestRecordFile = 4096;
// Another game holds the lock for a few file writes; one that holds it
// longer is stopped, and is not waited for.
constexpr int lockWaitMilliseconds = 2000;

std::string folderOf(const std::string& path) { return path.substr(0, path.find_last_of('/')); }

std::string pathFor(const std::string& levelHash, levelfiles::Kind kind)
{
    const std::optional<std::string> home = platform::userDataHome();
    return home ? *home + "/" + folderName + "/" + levelfiles::name(levelHash, kind, RecordFile::extension)
                : std::string();
}

bool endsWith(std::string_view text, std::string_view end)
{
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// A file the game keeps for a level: one of its records or replays.
bool isLevelFile(std::string_view name)
{
    if (name.size() <= hashDigits ||
        name.substr(0, hashDigits).find_first_not_of("0123456789abcdef") != std::string_view::npos)
        return false;
    std::string_view rest = name.substr(hashDigits);
    if (rest == levelfiles::lastReplayExtension)
        return true;
    if (rest.starts_with(levelfiles::assistedMark))
        rest.remove_prefix(std::string_view(levelfiles::assistedMark).size());
    return rest == levelfiles::recordExtension || rest == levelfiles::bestReplayExtension;
}

// The lock beside a record file, named after its level: one for both kinds.
std::string lockBeside(const std::string& recordPath)
{
    std::string lock = recordPath;
    for (const std::string_view end : {std::string_view(RecordFile::extension), std::string_view(levelfiles::assistedMark)})
        if (endsWith(lock, end))
            lock.resize(lock.size() - end.size());
    return lock + lockExtension;
}

} // namespace

RecordFile::RecordFile(const std::string& levelHash, levelfiles::Kind kind)
    : RecordFile(AtPath{}, pathFor(levelHash, kind))
{
}

RecordFile RecordFile::at(const std::string& path) { return RecordFile(AtPath{}, path); }

std::string RecordFile::lockPath(const std::string& folder, const std::string& levelHash)
{
    return folder + "/" + levelHash + lockExtension;
}

RecordFile::RecordFile(AtPath, const std::string& path) : file(path)
{
    if (file.empty()) {
        writable = false;
        std::cout << "Records: no folder for records (neither XDG_DATA_HOME nor HOME is set)" << std::endl;
        return;
    }
    platform::removeStaleTemporariesIn(folderOf(file), isLevelFile);
    if (std::optional<LevelRecord> record = readNow())
        kept = *record;
}

std::optional<LevelRecord> RecordFile::readNow()
{
    // Missing is the usual case before the first win: nothing to say.
    const platform::PathStatus status = platform::examineEntry(file);
    if (!status.exists && (status.error == ENOENT || status.error == ENOTDIR))
        return LevelRecord{};
    writable = false;
    const platform::FileBytes bytes = platform::readRegularFile(file, largestRecordFile);
    if (!bytes.ok()) {
        std::cout << "Records: Could not read " << file << ": " << bytes.reason() << std::endl;
        return std::nullopt;
    }
    std::string why;
    const std::optional<LevelRecord> record = LevelRecord::parse(bytes.bytes, &why);
    if (!record) {
        std::cout << "Records: Could not read " << file << ": not a record of this version (" << why << ")"
                  << std::endl;
        return std::nullopt;
    }
    writable = true;
    return record;
}

RecordFile::Offer RecordFile::offer(int64_t steps, const LevelRecord::Splits& splits)
{
    Offer result;
    result.previousBestSteps = kept.bestSteps;
    LevelRecord improved = kept;
    improved.improveWith(steps, splits);
    if (!writable) {
        kept = improved;
        return result;
    }
    std::string failed;
    if (const int error = platform::makeDirectories(folderOf(file), failed); error != 0) {
        std::cout << "Records: Could not create " << failed << ": " << platform::errorText(error) << std::endl;
        kept = improved;
        return result;
    }
    const platform::FileLock lock(lockBeside(file), lockWaitMilliseconds);
    if (!lock.held()) {
        std::cout << "Records: Could not write " << file << ": could not lock " << lockBeside(file) << ": "
                  << platform::errorText(lock.error()) << std::endl;
        kept = improved;
        return result;
    }
    // Another game on this level may have won since this one read the file.
    std::optional<LevelRecord> now = readNow();
    if (!now) {
        kept = improved;
        return result;
    }
    result.previousBestSteps = now->bestSteps;
    const bool beatsBest = steps > 0 && (!now->hasBest() || steps < now->bestSteps);
    const bool changed = now->improveWith(steps, splits);
    kept = *now;
    if (!changed)
        return result;
    if (const int error = platform::replaceFileWhole(file, {kept.text()}); error != 0) {
        std::cout << "Records: Could not write " << file << ": " << platform::replaceFailureText(file, error)
                  << std::endl;
        return result;
    }
    result.newBest = beatsBest;
    return result;
}
