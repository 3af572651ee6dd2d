#pragma once
#include "game/Assists.h"

#include <optional>
#include <string>
#include <string_view>

// The start-up options kept in the user's settings file. They are used only
// when the game is started without arguments, the assists always. The file
// is written to create it on a first start, and when the player changes the
// assists in a menu (only their lines change).
struct Settings {
    int width = 1024;
    int height = 768;
    int antialias = 6;
    bool fullScreen = true;
    bool noSound = false;
    bool noMusic = false;
    std::string audioApi = "DirectSound";
    // The assists ("gs" game speed in percent, "kb" kick buffer), used
    // whether or not the game is started with arguments: they are the
    // player's, not the start's. A bad value gets one line and the default.
    Assists assists;

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
// The settings text with its "gs" and "kb" lines replaced by these assists
// (kept last); every other line stays as it was, byte for byte.
std::string withAssists(std::string_view text, const Assists& assists);
// Keeps the assists in the settings file, replaced whole; one line and false
// when the file cannot be read or written (it is then left as it was).
bool saveAssists(const Assists& assists);
