// The program: the window services, the game state, the sound module and
// the two windows. Every routine of the game works on one of these.
#pragma once

#include <memory>

#include "match/main_f.h"
#include "sound/mdl_Sound.h"
#include "sound/winmm.h"
#include "state/hensu.h"
#include "title/title_f.h"
#include "ui/ui.h"

struct Game {
    Game(ui::App& app, Winmm& winmm);
    ~Game();

    ui::App& app;
    Winmm& winmm;
    Hensu hensu;
    MdlSound snd;
    TitleForm title_f;

    // The game window is created at its first use and lives until the end.
    MainForm& main_f();
    bool main_f_exists() const { return main_ != nullptr; }

    // Starts the program: the title window loads and shows.
    void start();

private:
    std::unique_ptr<MainForm> main_;
};
