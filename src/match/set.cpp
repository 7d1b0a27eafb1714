// The new-game reset and the start of play, around the janken.
#include "game.h"
#include "match/match.h"
#include "sound/mdl_Sound.h"

void mdl_shokika(Game& g) {
    MainForm& f = g.main_f();
    Hensu& h = g.hensu;
    h.Ban = BoardTable{};
    for (auto& cell : f.img_ishi) {
        cell.tag = "0";
        cell.picture = {};
    }
    h.Ban.cells[27] = 1;
    h.Ban.cells[35] = 2;
    h.Ban.cells[28] = 2;
    h.Ban.cells[36] = 1;
    f.Frame1.mouse_pointer = ui::kPointerDefault;
    f.lbl_IshiCap[0].caption = "";
    f.lbl_IshiCap[1].caption = "";
    f.lbl_IshiKazu[0].caption = "0";
    f.lbl_IshiKazu[1].caption = "0";
    f.lbl_msg.caption = "";
    for (auto* c : {&f.Shp_tit, &f.img_win, &f.img_lose, &f.img_douten, &f.img_tit}) c->visible = false;
    f.img_tit.enabled = false;

    f.lbl_jya1.caption = "";
    f.img_ico.picture = {};
    for (auto& hand : f.img_jya) hand.visible = true;
    f.Timer_jya.set_enabled(false);
    f.Timer_jya2.set_enabled(false);
    for (auto& face : f.img_jyacha) face.visible = false;
    if (h.chara_No >= 0 && h.chara_No <= 2) f.img_jyacha[h.chara_No].visible = true;
    if (h.chara_No == 0) f.lbl_jya2.caption = "勝った方が先攻じゃ～！";
    if (h.chara_No == 1) f.lbl_jya2.caption = "勝った方が先攻ですな。";
    if (h.chara_No == 2) f.lbl_jya2.caption = "勝った方が先攻っす。";

    f.lbl_charMsg.visible = false;
    f.img_hukidasi.visible = false;
    f.img_char_main.visible = false;
}

void mdl_GameStart(Game& g) {
    MainForm& f = g.main_f();
    Hensu& h = g.hensu;
    f.Frame1.mouse_pointer = ui::kPointerCustom;
    if (h.User_Iro == 1) {
        f.lbl_IshiCap[0].caption = "あなた";
        f.lbl_IshiCap[1].caption = h.chara_Name;
    } else {
        f.lbl_IshiCap[0].caption = h.chara_Name;
        f.lbl_IshiCap[1].caption = "あなた";
    }
    f.main_Timer.tag = h.Teban == h.User_Iro ? "3" : "4";
    f.main_Timer.set_enabled(true);
    f.img_char_main.visible = true;
    if (h.chara_No >= 0 && h.chara_No <= 2) f.img_char_main.picture = f.img_char1[h.chara_No].picture;
    f.TimercharImg.set_enabled(false);
    f.TimercharImg2.set_enabled(false);
    music_start(g.snd, g.winmm, f.Timer_Sound, g.app.path(), "bg_main.mid");
    h.Music_Speed_Flg = 0;
}

void mdl_IshiHyouji(Game& g) { g.main_f().Timer_Ishi.set_enabled(true); }
