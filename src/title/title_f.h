// The title window: its controls and timers.
#pragma once

#include "ui/ui.h"

struct Game;

class TitleForm : public ui::Form {
public:
    explicit TitleForm(Game& g);

    ui::Control img_newc;
    ui::ControlArray<0, 2> img_vs;
    ui::Control lbl_clickmsg;
    ui::ControlArray<0, 2> img_click;
    ui::ControlArray<0, 1> img_start;
    ui::Control lbl_Ver;

    ui::Timer Timer1;
    ui::Timer Timer2;
    ui::Timer Timer_Sound;
};
