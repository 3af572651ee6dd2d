#include "game/ReplayShelf.h"

#include "base/NewFile.h"
#include "base/Platform.h"
#include "game/RecordFile.h"

#include <cerrno>

namespace {
// As long as the record's writer waits for the same lock.
constexpr int lockWaitMilliseconds = 2000;
} // namespace

ReplayShelf::ReplayShelf(std::string hash, levelfiles::Kind kind) : levelHash(std::move(hash)), kind(kind)
{
    if (const std::optional<std::string> home = platform::userDataHome())
        folder = *home + "/" + folderName;
}

std::string ReplayShelf::bestPath() const
{
    return folder.empty() ? "" : folder + "/" + levelfiles::name(levelHash, kind, bestExtension);
}

std::string ReplayShelf::lastPath() const
{
    return folder.empty() ? "" : folder + "/" + levelHash + lastExtension;
}

std::optional<Replay> ReplayShelf::best(std::ostream& out) const
{
    const std::string path = bestPath();
    if (path.empty())
        return std::nullopt;
    const platform::PathStatus status = platform::examineEntry(path);
    if (!status.exists && status.error == ENOENT)
        return std::nullopt; // no best run yet
    std::string error;
    std::optional<Replay> replay = readBest(error);
    if (!replay)
        out << "ReplayShelf: Not using " << path << ": " << error << std::endl;
    return replay;
}

std::optional<Replay> ReplayShelf::readBest(std::string& error) const
{
    std::optional<Replay> replay = replayfile::load(bestPath(), error);
    if (replay && replay->levelHash != levelHash) {
        error = "made on level " + (replay->levelHash.empty() ? std::string("(none)") : replay->levelHash);
        return std::nullopt;
    }
    if (replay && replay->assists.any() != (kind == levelfiles::Kind::assisted)) {
        error = replay->assists.any() ? "made with assists" : "made without assists";
        return std::nullopt;
    }
    return replay;
}

void ReplayShelf::keep(const Route& run, const Assists& assists, std::ostream& out) const
{
    const Replay replay{levelHash, run, assists};
    if (replayfile::text(replay).size() > replayfile::largestFile) {
        out << "ReplayShelf: Not keeping a run of " << run.size() << " steps: longer than a replay can be"
            << std::endl;
        return;
    }
    if (folder.empty() || !makeFolder(out))
        return;
    // Another game on this level may be keeping its own run meanwhile.
    const std::string lock = RecordFile::lockPath(folder, levelHash);
    const platform::FileLock held(lock, lockWaitMilliseconds);
    if (!held.held()) {
        out << "ReplayShelf: Not keeping the run: could not lock " << lock << ": "
            << platform::errorText(held.error()) << std::endl;
        return;
    }
    write(lastPath(), replay, out);
    // A kept best that cannot be used is the player's to look at: it is
    // left as it is, like a record that cannot be read.
    const platform::PathStatus status = platform::examineEntry(bestPath());
    if (!status.exists && status.error == ENOENT) {
        write(bestPath(), replay, out);
        return;
    }
    std::string error;
    const std::optional<Replay> kept = readBest(error);
    if (!kept)
        out << "ReplayShelf: Not replacing " << bestPath() << ": " << error << std::endl;
    else if (run.size() < kept->steps.size())
        write(bestPath(), replay, out);
}

bool ReplayShelf::makeFolder(std::ostream& out) const
{
    std::string failed;
    if (const int error = platform::makeDirectories(folder, failed); error != 0) {
        out << "ReplayShelf: Could not create " << failed << ": " << platform::errorText(error) << std::endl;
        return false;
    }
    return true;
}

void ReplayShelf::write(const std::string& path, const Replay& replay, std::ostream& out) const
{
    if (const int error = platform::replaceFileWhole(path, {replayfile::text(replay)}); error != 0)
        out << "ReplayShelf: Could not write " << path << ": " << platform::replaceFailureText(path, error)
            << std::endl;
}
