// The title window: start-up, the blinking prompt, the level menu, the
// character choice and the hand-over to the game window.
#include "title/title.h"

#include "game.h"
#include "match/match.h"
#include "sound/mdl_Sound.h"

namespace {

// Display names by menu line.
constexpr const char* kCharaNames[3] = {"ぽてんねこ", "のそくま", "zoda"};

}  // namespace

void title_Form_Load(Game& g) {
    TitleForm& t = g.title_f;
    Hensu& h = g.hensu;
    t.img_start[1].left = t.img_start[0].left - 10.0 / 15.0;
    t.img_start[1].top = t.img_start[0].top;
    mdl_Sound_Load(g.snd, g.app.path());
    h.newc_Flg = 0;
    h.newc_Kazu = 0;
    h.newc_Kaikin = 0;
    F_set(g);
    h.main_Kido = 0;
}

void F_set(Game& g) {
    TitleForm& t = g.title_f;
    t.img_start[0].visible = false;
    t.img_start[1].visible = false;
    for (int i = 0; i < 3; ++i) t.img_click[i].enabled = false;
    t.Timer1.set_enabled(true);
    for (int i = 0; i < 3; ++i) t.img_vs[i].visible = false;
    t.img_newc.visible = false;
    for (int i = 0; i < 3; ++i) {
        t.img_vs[i].top = 0;
        t.img_vs[i].left = 0;
    }
    t.img_newc.top = 0;
    t.img_newc.left = 0;
    music_start(g.snd, g.winmm, t.Timer_Sound, g.app.path(), "bg_main.mid");
}

void Timer1_Timer(Game& g) {
    TitleForm& t = g.title_f;
    if (std::stoi(t.Timer1.tag) != 1) {
        t.Timer1.tag = "1";
        t.lbl_clickmsg.visible = true;
    } else {
        t.Timer1.tag = "0";
        t.lbl_clickmsg.visible = false;
    }
}

void title_Form_Unload(Game& g) {
    music_stop(g.snd, g.winmm, g.title_f.Timer_Sound);
    g.app.end();
}

void title_Form_Click(Game& g) {
    TitleForm& t = g.title_f;
    play_sound(g.winmm, g.snd.snd_oki);
    t.Timer1.set_enabled(false);
    t.lbl_clickmsg.visible = false;
    t.lbl_clickmsg.enabled = false;
    if (g.hensu.newc_Kaikin != 1) {
        t.img_start[0].visible = true;
        t.img_start[1].visible = false;
        t.img_click[2].enabled = false;
    } else {
        t.img_start[0].visible = false;
        t.img_start[1].visible = true;
        t.img_click[2].enabled = true;
    }
    t.img_click[0].enabled = true;
    t.img_click[1].enabled = true;
}

void img_click_Click(Game& g, int index) {
    TitleForm& t = g.title_f;
    Hensu& h = g.hensu;
    music_stop(g.snd, g.winmm, t.Timer_Sound);
    play_sound(g.winmm, g.snd.snd_oki);
    t.Timer2.set_enabled(true);
    h.chara_No = int16_t(index);
    if (h.newc_Flg != 1) {
        t.img_vs[h.chara_No].visible = true;
    } else {
        t.img_newc.visible = true;
    }
    h.newc_Flg = 0;
    h.chara_Name = kCharaNames[index];
}

void mdl_newc(Game& g) { img_click_Click(g, 2); }

void Timer2_Timer(Game& g) {
    TitleForm& t = g.title_f;
    Hensu& h = g.hensu;
    for (int i = 0; i < 3; ++i) t.img_vs[i].visible = false;
    t.Timer2.set_enabled(false);
    if (h.main_Kido == 1) {
        ui::Timer& phase = g.main_f().main_Timer;
        phase.tag = "0";
        phase.set_interval(500);
        phase.set_enabled(true);
    }
    t.hide();
    g.main_f().show();
    h.main_Kido = 1;
}
