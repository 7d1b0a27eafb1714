// The board redraw: the cell pictures follow the board model one stone per tick.
#include "game.h"
#include "match/match.h"
#include "state/mdl.h"

void Timer_Ishi_Timer(Game& g) {
    MainForm& f = g.main_f();
    Hensu& h = g.hensu;
    ui::Timer& t = f.Timer_Ishi;
    t.set_interval(200);
    for (;;) {
        const int k = std::stoi(t.tag);
        if (k > 63) {
            t.tag = "0";
            t.set_enabled(false);
            mdl_IshiKazu(h);
            f.lbl_IshiKazu[0].caption = std::to_string(h.Kuro_Kazu);
            f.lbl_IshiKazu[1].caption = std::to_string(h.Siro_Kazu);
            f.main_Timer.set_enabled(true);
            return;
        }
        const int x = mdl_indexTox(t.tag), y = mdl_indexToy(t.tag);
        const int v = h.Ban(x, y);
        ui::Control& cell = f.img_ishi[k];
        const int s = std::stoi(cell.tag);
        if (v == 0 && s != 0) {
            cell.tag = "0";
            cell.picture = {};
        } else if ((v == 1 || v == 2) && s != v) {
            play_sound(g.winmm, g.snd.snd_kae);
            cell.tag = std::to_string(v);
            cell.picture = f.main_img_ishi[v].picture;
            t.tag = std::to_string(k + 1);
            return;
        }
        t.tag = std::to_string(k + 1);
    }
}
