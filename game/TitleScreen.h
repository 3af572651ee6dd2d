#pragma once
#include "game/GameState.h"

#include <array>
#include <string>

// The story's clock, apart from drawing and sound so that its timing can be
// checked frame by frame.
class TitleStory {
public:
    static constexpr int lineCount = 7;
    static constexpr int firstLineFrames = 30; // the empty first line
    static constexpr int lineFrames = 120;     // every later line
    static constexpr int lastStoryLine = 5;    // the story line that stays up
    static constexpr int sendOffLine = 6;      // the magenta line under it
    static constexpr int logoFromLine = 4;
    // The first row of the logo picture below which it is transparent; the
    // story line, at logical y 400, starts below it.
    static constexpr int logoBottomRow = 356;

    static const std::array<std::string, lineCount>& lines();

    // What a press asks of the screen.
    enum class Press { Advanced, StartPlay };

    // One frame has passed; true when a new line came up (with a boom).
    bool tick();
    // Any key other than Escape: the next line at once (with a boom), or play
    // once the last line is up.
    Press press();

    int lineIndex() const { return index; }
    int framesToNextLine() const { return countdown; }
    const std::string& storyLine() const;
    bool showsLogo() const { return index >= logoFromLine; }
    bool showsSendOff() const { return index >= sendOffLine; }

private:
    int index = 0;
    int countdown = firstLineFrames;
};

// The first screen: the story one line at a time, each with a boom, the logo
// from the middle on, then a last line sending the player off.
class TitleScreen : public GameState {
public:
    // Layout in logical pixels of the 1280 × 720 screen.
    static constexpr float textX = 128.0f;
    static constexpr float storyY = 400.0f;
    static constexpr float textWidth = 1024.0f; // the story's wrap width
    static constexpr float storyPoints = 48.0f;
    static constexpr float controlsY = 594.0f;  // between the story's three lines and the send-off
    static constexpr float controlsWidth = 1088.0f; // up to 64 pixels from the right edge
    static constexpr float controlsPoints = 19.0f; // points: the largest at which the line fits its width
    static constexpr float sendOffY = 640.0f;

    // The keys of play, in one line under the story, with the one move
    // newcomers cannot guess: how a wall kick is made.
    static constexpr const char* controlsLine = "Arrows run/look   Space/Z jump   Kick: jump at a wall, press again beside "
                                                "it while rising   R restart   P pause   G ghost   Esc quit";

    explicit TitleScreen(ScreenHost& host);

    // The story's clock ticks at the end of the step, after the step has
    // taken the story as it stood: each line's boom comes a step before the
    // line shows.
    bool step() override;
    void draw(Drawer& drawer) const override;
    void actionPressed(const std::string& action, const SDL_keysym& key) override;
    std::string name() const override { return "TitleScreen"; }

    const TitleStory& story() const { return storyClock; }

private:
    TitleStory storyClock;
    TitleStory shown; // the story as the last step began with it
    int soundWait = 0; // steps waited for the sound stream to be heard
};
