#pragma once
#include <optional>
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

    // Built-in defaults, then the file's values. A file that is truly absent
    // is first created with the screen size; when that fails the values it
    // would have held are used all the same. Without a screen to measure
    // nothing is created, so that a later start records the real size.
    static Settings load();

    // Applies one line of the file (without its line feed).
    void applyLine(std::string_view line);
    // Applies every line of a whole file's text; a UTF-8 byte-order mark
    // before the first line is skipped.
    void applyText(std::string_view text);
};

// The user's data folder, created when missing; ".Plumbrook" without a
// configuration folder to put it in.
std::string userDataFolder();
std::string settingsFilePath();
// The file a first start writes, with the measured screen size; nothing
// when the screen cannot be measured.
std::optional<std::string> defaultSettingsText();
// Creates the settings file holding `text`, whole or not at all; prints
// "Could not create " and the path when it cannot. False then.
bool writeDefaultSettings(const std::string& text);
