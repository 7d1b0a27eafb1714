// A whole program on a virtual clock, with scripted draws and recorded sound.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "game.h"
#include "match/match.h"
#include "title/title.h"
#include "ui/ui.h"

// Draws come from a script first (each entry the value 1..n wanted), then
// from a seeded generator.
class ScriptedRandom : public ui::Random {
public:
    void push(int value, int n) { script_.push_back((value - 0.5) / n); }
    double rnd() override {
        if (script_.empty()) return fallback_.rnd();
        double r = script_.front();
        script_.pop_front();
        return r;
    }
    size_t pending() const { return script_.size(); }

private:
    std::deque<double> script_;
    ui::SeededRandom fallback_{12345};
};

// Records every multimedia call; "status bgm mode" answers `status`.
class RecordingWinmm : public Winmm {
public:
    struct Sound {
        const uint8_t* image;
        int32_t flags;
    };
    std::vector<Sound> sounds;
    std::vector<std::string> commands;
    std::string status = "playing";

    int32_t sndPlaySoundA(const uint8_t* image, size_t, int32_t flags) override {
        sounds.push_back({image, flags});
        return 1;
    }
    int32_t mciSendStringA(const std::string& command, char* reply, int32_t length, int32_t) override {
        commands.push_back(command);
        if (reply && length > 0) {
            std::string r = command == "status bgm mode" ? status : "";
            size_t n = std::min(r.size(), size_t(length - 1));
            r.copy(reply, n);
            reply[n] = '\0';
        }
        return 0;
    }
    void clear() {
        sounds.clear();
        commands.clear();
    }
};

struct GameFixture {
    ui::VirtualClock clock;
    ScriptedRandom random;
    RecordingWinmm winmm;
    ui::App app{clock, random, "/opt/patapata"};
    Game g{app, winmm};

    // Both sounds loaded, as from the program's folder.
    GameFixture() {
        g.snd.snd_oki = std::vector<uint8_t>{'o', 0};
        g.snd.snd_kae = std::vector<uint8_t>{'k', 0};
    }
    // How many times a sound was started.
    size_t played(const std::optional<std::vector<uint8_t>>& snd) const {
        size_t n = 0;
        for (const auto& s : winmm.sounds) n += s.image == snd->data() && s.flags == 5;
        return n;
    }

    Hensu& h() { return g.hensu; }
    MainForm& f() { return g.main_f(); }
    TitleForm& t() { return g.title_f; }
    void advance(int64_t ms) { app.advance(ms); }

    // Presses and releases the left button over a control.
    void click(ui::Form& form, const ui::Control& c) {
        const double x = c.abs_left() + c.width / 2, y = c.abs_top() + c.height / 2;
        app.mouse_down(form, x, y);
        app.mouse_up(form, x, y);
    }
    void click_cell(int index) { click(f(), f().img_ishi[index]); }

    // A point of the title's background, clear of every control.
    void click_background() {
        app.mouse_down(t(), 20, 20);
        app.mouse_up(t(), 20, 20);
    }
    // Menu, a line, the splash: the game window is up with its janken
    // (on a later game half a second after the window shows again).
    void to_game(int line) {
        click_background();
        click(t(), t().img_click[line]);
        advance(3000);
        if (f().main_Timer.enabled() && f().main_Timer.tag == "0") advance(500);
    }
    bool users_turn() {
        return f().visible() && !f().main_Timer.enabled() && !f().Timer_Ishi.enabled() &&
               f().main_Timer.tag == "3" && !app.message_box();
    }
    // Janken won as black, then on to the first move.
    void to_users_first_turn(int line) {
        to_game(line);
        random.push(1, 2);
        click(f(), f().img_jya[0]);
        for (int i = 0; i < 200 && !users_turn(); ++i) advance(100);
        ASSERT_TRUE(users_turn());
    }

    // Sets the board from 8 rows of '.', 'B' and 'W'.
    void set_board(const std::vector<std::string>& rows) {
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) {
                char c = rows[size_t(y)][size_t(x)];
                h().Ban(x, y) = c == 'B' ? 1 : c == 'W' ? 2 : 0;
            }
    }
    bool no_marks() const {
        for (int16_t c : g.hensu.Ban.cells)
            if (c == 3) return false;
        return true;
    }
};
