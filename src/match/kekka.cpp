// The end of a game: banner, closing line, face and the unlock streak.
#include <cstdlib>

#include "characters/characters.h"
#include "game.h"
#include "match/match.h"
#include "sound/mdl_Sound.h"

namespace {

enum class Face { Dismayed2Frames, Uneasy, Code4, Burst };
enum Bracket { kLarge, kMiddle, kSmall };

struct Closing {
    const char* line;
    Face face;
};

// Closing lines by outcome, character and margin bracket (large, middle, small).
constexpr Closing kWinLines[3][3] = {
    {{"参りました・・・。", Face::Dismayed2Frames}, {"ちっ。", Face::Uneasy}, {"まあまあだな・・・", Face::Code4}},
    {{"やるぢゃねーか！", Face::Dismayed2Frames}, {"やられたぁ～。", Face::Uneasy}, {"ええ勝負だったな。", Face::Code4}},
    {{"負けちゃたよぉ～", Face::Dismayed2Frames}, {"え～ん。", Face::Uneasy}, {"負けっす♪", Face::Code4}},
};
constexpr Closing kLossLines[3][3] = {
    {{"まだまだだね！", Face::Burst}, {"楽勝楽勝♪", Face::Code4}, {"接戦でしたな。", Face::Code4}},
    {{"オラオラオラっ！", Face::Burst}, {"出直してきやがれぃ！", Face::Code4}, {"ええ勝負だった・・・。", Face::Code4}},
    {{"余裕っす♪", Face::Burst}, {"楽勝っす♪", Face::Code4}, {"勝ちっす♪", Face::Code4}},
};

// 46 and more is large, 1 to 7 small; 8 to 45 middle (45 lies between the
// two brackets and is counted as middle).
Bracket bracket_of(int margin) { return margin >= 46 ? kLarge : margin >= 8 ? kMiddle : kSmall; }

void face_action(Game& g, Face face) {
    MainForm& f = g.main_f();
    const int c = g.hensu.chara_No;
    switch (face) {
        case Face::Dismayed2Frames:
            f.img_char_main.picture = f.img_char2[c].picture;
            f.Img_buf.picture = f.img_char2b[c].picture;
            f.TimercharImg.set_enabled(true);
            break;
        case Face::Burst: f.img_char_main.picture = f.img_char3[c].picture; break;
        case Face::Uneasy: f.img_char_main.picture = f.img_char4[c].picture; break;
        case Face::Code4: mdl_charaHyoujou(g, 4); break;
    }
}

}  // namespace

void mdl_kekkaHantei(Game& g) {
    MainForm& f = g.main_f();
    Hensu& h = g.hensu;
    music_stop(g.snd, g.winmm, f.Timer_Sound);

    const int b = h.Kuro_Kazu, w = h.Siro_Kazu;
    if (b == w) {
        f.img_douten.visible = true;
        mdl_charaHyoujou(g, 1);
        f.lbl_charMsg.caption = "引き分けっ！";
    } else {
        const bool win = (b > w) == (h.User_Iro == 1);
        if (win) {
            f.img_win.visible = true;
        } else {
            h.newc_Kazu = 0;
            f.img_lose.visible = true;
        }
        if (h.chara_No >= 0 && h.chara_No <= 2) {
            if (win && h.chara_No == 1) h.newc_Kazu = int16_t(h.newc_Kazu + 1);
            const Closing& closing = (win ? kWinLines : kLossLines)[h.chara_No][bracket_of(std::abs(b - w))];
            f.lbl_charMsg.caption = closing.line;
            face_action(g, closing.face);
        }
    }

    f.lbl_charMsg.visible = true;
    f.img_hukidasi.visible = true;

    if (h.newc_Kaikin == 1) {
        h.newc_Flg = 0;
        h.newc_Kazu = 0;
    }
    if (h.newc_Kazu == 3) {
        h.newc_Flg = 1;
        h.newc_Kazu = 0;
        h.newc_Kaikin = 1;
    }

    if (h.newc_Flg == 1) {
        f.Timer_newc.set_enabled(true);
        return;
    }
    f.lbl_msg.caption = "";
    f.Shp_tit.visible = true;
    f.img_tit.visible = true;
    f.img_tit.enabled = true;
}
