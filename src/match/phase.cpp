// The phase engine: one 500 ms timer whose tag holds the game phase.
#include "cpu/mdl_CPU.h"
#include "game.h"
#include "match/match.h"
#include "sound/mdl_Sound.h"

namespace {

void clear_board_cursor(MainForm& f) { f.Frame1.mouse_icon = {}; }

// Phases "0" to "2" move on by reading the tag as a number and adding 1.
void next_phase(ui::Timer& t) { t.tag = std::to_string(std::stoi(t.tag) + 1); }

}  // namespace

void main_Timer_Timer(Game& g) {
    MainForm& f = g.main_f();
    Hensu& h = g.hensu;
    ui::Timer& t = f.main_Timer;
    t.set_interval(500);
    t.set_enabled(false);
    const std::string phase = t.tag;

    if (phase == "0") {
        mdl_shokika(g);
        next_phase(t);
        f.lbl_msg.caption = "先攻後攻決めじゃんけん。";
        f.sentaku_fra.top = f.Frame1.top;
        f.sentaku_fra.left = f.Frame1.left;
        f.sentaku_fra.enabled = true;
        f.sentaku_fra.visible = true;
        f.Timer_jya.set_enabled(true);
    } else if (phase == "1") {
        clear_board_cursor(f);
        next_phase(t);
        mdl_IshiHyouji(g);
        f.lbl_msg.caption = "準備中・・・。";
    } else if (phase == "2") {
        clear_board_cursor(f);
        next_phase(t);
        mdl_GameStart(g);
    } else if (phase == "3") {
        h.Teban = h.User_Iro;
        mdl_MouseIshi(g);
        f.lbl_msg.caption = "あなたの番です。";
        mdl_Music_Speed(h, g.snd, g.winmm, f.Timer_Sound, g.app.path());
    } else if (phase == "4") {
        clear_board_cursor(f);
        h.Teban = h.User_Iro == 1 ? 2 : 1;
        f.lbl_msg.caption = h.chara_Name + "の番です。";
        mdl_CPU_utsu(g);
    } else if (phase == "5") {
        mdl_okiIshi2(g, h.Last_X, h.Last_Y);
    } else if (phase == "6") {
        t.set_interval(1500);
        t.tag = "7";
        t.set_enabled(true);
    } else if (phase == "7") {
        mdl_kekkaHantei(g);
        t.set_interval(500);
    }
}

void main_Form_Load(Game& g) {
    MainForm& f = g.main_f();
    f.main_Timer.tag = "0";
    f.main_Timer.set_interval(500);
    main_Timer_Timer(g);
    f.Frame1.back_color = ui::rgb(179, 216, 255);
}
