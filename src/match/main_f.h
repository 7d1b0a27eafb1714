// The game window: its controls, control arrays and timers.
#pragma once

#include "ui/ui.h"

struct Game;

class MainForm : public ui::Form {
public:
    explicit MainForm(Game& g);

    // The board.
    ui::Control Frame1;
    ui::ControlArray<0, 63> img_ishi;
    ui::Control Shape1, Shape2, Shape3, Shape4;
    ui::Control img_douten, img_win, img_lose;
    ui::Control Shp_tit;

    // The janken panel.
    ui::Control sentaku_fra;
    ui::Control Image1;
    ui::ControlArray<0, 2> img_jyacha;
    ui::Control lbl_jya1, lbl_jya2;
    ui::Control img_ico;
    ui::ControlArray<0, 2> img_jyacpu;
    ui::ControlArray<0, 2> img_jya;

    // The score panel.
    ui::Control Frame3, Shape5;
    ui::ControlArray<1, 2> main_img_ishi;
    ui::ControlArray<0, 1> lbl_IshiKazu;
    ui::ControlArray<0, 1> lbl_IshiCap;

    // The character.
    ui::Control img_char_main;
    ui::Control img_hukidasi;
    ui::Control lbl_charMsg;
    ui::Control Img_buf, Img_buf2;
    ui::ControlArray<0, 2> img_char1, img_char1b, img_char2, img_char2b, img_char3, img_char4;

    // The status line and the way back.
    ui::Control lbl_msg;
    ui::Control img_tit;

    ui::Timer main_Timer;
    ui::Timer Timer_Ishi;
    ui::Timer Timer_jya;
    ui::Timer Timer_jya2;
    ui::Timer TimercharMsg;
    ui::Timer Timer_newc;
    ui::Timer Timer_Sound;
    ui::Timer TimercharImg;
    ui::Timer TimercharImg2;
};
