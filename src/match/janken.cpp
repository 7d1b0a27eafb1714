// The janken that decides the colours: a coin toss, with the CPU's hand
// shown to match it, so it is never a tie.
#include "game.h"
#include "match/match.h"

namespace {

void show_cpu_hand(MainForm& f, int hand) {
    for (int i = 0; i < 3; ++i) f.img_jyacpu[i].visible = i == hand;
}

}  // namespace

void Timer_jya_Timer(Game& g) {
    MainForm& f = g.main_f();
    ui::Timer& t = f.Timer_jya;
    if (t.tag == "0") {
        show_cpu_hand(f, 0);
        t.tag = "1";
    } else if (t.tag == "1") {
        show_cpu_hand(f, 1);
        t.tag = "2";
    } else if (t.tag == "2") {
        show_cpu_hand(f, 2);
        t.tag = "0";
    }
}

void img_jya_Click(Game& g, int index) {
    MainForm& f = g.main_f();
    Hensu& h = g.hensu;
    play_sound(g.winmm, g.snd.snd_oki);
    f.Timer_jya.set_enabled(false);
    f.lbl_jya2.caption = "";
    f.Frame1.mouse_icon = {};
    for (auto& hand : f.img_jya) hand.visible = false;
    f.img_jya[index].visible = true;
    if (g.app.random().draw(2) == 1) {
        h.User_Iro = 1;
        f.img_ico.picture = f.main_img_ishi[1].picture;
        f.lbl_jya1.caption = "あなたは黒（先攻）";
        show_cpu_hand(f, (index + 1) % 3);
    } else {
        h.User_Iro = 2;
        f.img_ico.picture = f.main_img_ishi[2].picture;
        f.lbl_jya1.caption = "あなたは白（後攻）";
        show_cpu_hand(f, (index + 2) % 3);
    }
    h.Teban = 1;
    f.Timer_jya2.set_enabled(true);
}

void Timer_jya2_Timer(Game& g) {
    MainForm& f = g.main_f();
    f.Timer_jya2.set_enabled(false);
    f.sentaku_fra.enabled = false;
    f.sentaku_fra.visible = false;
    f.main_Timer.set_enabled(true);
}
