// Board clicks, putting the accepted stone and handing the turn over.
#include "game.h"
#include "match/match.h"
#include "state/mdl.h"

namespace {

int16_t cpu_colour(const Hensu& h) { return h.User_Iro == 1 ? 2 : 1; }

}  // namespace

void img_ishi_Click(Game& g, int index) {
    MainForm& f = g.main_f();
    Hensu& h = g.hensu;
    const int x = mdl_indexTox(index), y = mdl_indexToy(index);
    if (h.Ban(x, y) != 0 || h.Teban != h.User_Iro || f.Timer_Ishi.enabled() || f.main_Timer.enabled())
        return;
    mdl_CHG_Ishi(g, index);
}

void mdl_okiIshi2(Game& g, int x, int y) {
    MainForm& f = g.main_f();
    Hensu& h = g.hensu;
    play_sound(g.winmm, g.snd.snd_oki);
    f.Frame1.mouse_icon = {};
    ui::Control& cell = f.img_ishi[x + 8 * y];
    if (h.Teban == 1) {
        cell.tag = "1";
        cell.picture = f.main_img_ishi[1].picture;
    } else {
        cell.tag = "2";
        cell.picture = f.main_img_ishi[2].picture;
    }
    h.Ban(x, y) = h.Teban;
    h.Last_X = int16_t(x);
    h.Last_Y = int16_t(y);
    f.TimercharMsg.tag = "0";
    f.TimercharMsg.set_enabled(true);
    mdl_IshiKazu(h);

    ui::Timer& t = f.main_Timer;
    if (h.Kuro_Kazu + h.Siro_Kazu >= 64) {
        t.tag = "6";
    } else if (h.Teban == h.User_Iro) {
        t.tag = "4";
    } else {
        h.Teban = h.User_Iro;
        if (mdl_okeruAri(h) == 1) {
            h.Pass_Kazu = 0;
            t.tag = "3";
        } else {
            h.Pass_Kazu = 0;
            f.lbl_msg.caption = "あなたはパスです。";
            t.tag = "4";
            t.set_interval(1500);
        }
        h.Teban = cpu_colour(h);
    }
    mdl_IshiHyouji(g);
}

void mdl_CPU_PATH(Game& g) {
    MainForm& f = g.main_f();
    Hensu& h = g.hensu;
    h.Pass_Kazu = int16_t(h.Pass_Kazu + 1);
    h.Teban = h.User_Iro;
    if (mdl_okeruAri(h) == 1) {
        h.Pass_Kazu = 0;
        f.lbl_msg.caption = h.chara_Name + "はパスです。";
        f.main_Timer.tag = "3";
    } else {
        f.lbl_msg.caption = "両者これ以上は置けません。";
        f.main_Timer.tag = "6";
    }
    f.main_Timer.set_interval(1500);
    f.main_Timer.set_enabled(true);
}

void mdl_MouseIshi(Game& g) {
    MainForm& f = g.main_f();
    f.Frame1.mouse_icon = f.main_img_ishi[g.hensu.User_Iro != 1 ? 2 : 1].picture;
}
