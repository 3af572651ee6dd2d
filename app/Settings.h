#pragma once
#include <string>
#include <string_view>

// The start-up options kept in the user's settings file. They are used only
// when the game is started without arguments; the file is never written
// except to create it on a first start.
struct Settings {
    int width = 1024;
    int height = 768;
    int antialias = 6;
    bool fullScreen = true;
    bool noSound = false;
    bool noMusic = false;
    std::string audioApi = "DirectSound";

    // Built-in defaults, then the file's values; creates the file first when
    // it does not exist.
    static Settings load();

    // Applies one line of the file (without its line feed).
    void applyLine(std::string_view line);
};

// The user's data folder, created when missing; ".Plumbrook" without a
// configuration folder to put it in.
std::string userDataFolder();
std::string settingsFilePath();
void writeDefaultSettings();
