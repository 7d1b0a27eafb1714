// The remark cycle: after every stone placed the character says one line in
// the speech balloon, about its own move or in reaction to the user's.
#include "characters/characters.h"
#include "game.h"
#include "state/mdl.h"

namespace {

using Lines = std::initializer_list<const char*>;

// Per character (cat, panda, beagle), each table indexed by the draw 1..n.
const std::vector<const char*> kCpuCorner[3] = {
    Lines{"どうだぁー！", "これで決まりじゃー！", "角とったり～！", "もらいじゃー！", "まだまだ甘いのぅ。"},
    Lines{"ふふ、青いのぅ。", "余裕ですなぁ～", "角もらいですぞ！", "どうじゃー！", "まだまだ甘ちゃんね"},
    Lines{"角も～らいっと♪", "あま～い！", "ふっふ～ん♪", "もらっちゃうよ～ん", "いただきー♪"},
};
const std::vector<const char*> kCpuUserLeads[3] = {
    Lines{"ううう・・・。", "なぜじゃー！", "だぁ～～～", "ありゃぁ・・・。", "つ、つよいのぅ", "むむぅ～", "まあまあでないの。"},
    Lines{"あうっ・・・。", "ちくしょー！", "ふ～～～んだ。", "おりゃぁ？", "やるねっ！", "むむぅ～", "あうちっ！"},
    Lines{"きらい・・・。", "いぢわる～！", "え～～～ん。", "いぢめないでよ～。", "手加減してよ～～～", "ぷぅ～", "つ、つよい・・・。"},
};
const std::vector<const char*> kCpuClose[3] = {
    Lines{"おりゃ。", "ふむふむ。", "あいーん", "ほほ～", "ええ感じやねぇ", "ねむい～", "あちゃー！", "ういーっす",
          "ふふ～ん", "なかなかですのぅ", "ほいさっ♪", "ほれっ♪", "のほほ～ん。", "ふふ～ん。", "どーだぁ！"},
    Lines{"ははーん", "うりゃ。", "やるねっ！", "ほほ～", "いい勝負ですな", "ん～～～", "こんなんでどう？", "歯ー磨けよ！",
          "宿題やっとけよー！", "のほほ～ん", "ほいさっ♪", "ほれっ♪", "おりゃ。", "ふふ～ん♪", "ふむふむ"},
    Lines{"楽しいっす♪", "のほほーん♪", "どーだぁ♪", "ほほ～", "いい勝負です♪", "こんなんどーぉ？", "ほいっ！", "あいよー♪",
          "ふふ～ん♪", "そりゃ♪", "ほいさっ♪", "ほれっ♪", "おりゃ。", "ふむふむ。", "どーよっ！"},
};
const std::vector<const char*> kCpuLeads[3] = {
    Lines{"余裕余裕。", "ふ～ん♪", "らくちん♪", "たらら～ん♪", "ふふ、勝ったな。", "楽しいのぅ♪", "ポチッとな。"},
    Lines{"余裕ですな。", "楽勝楽勝♪", "らくちん♪", "ぽわーん♪", "ふふ、勝ったね。", "楽しいのなぁ♪", "来いやーオラー！"},
    Lines{"余裕っす♪", "ふ～ん♪", "らくちん♪", "たらら～ん♪", "まだまだだねぇ♪", "楽しいっす♪", "ぽわーん♪"},
};
const std::vector<const char*> kUserCorner[3] = {
    Lines{"が～ん。", "なにっ～！", "なんだとぉー！", "そ、そんな～", "★※■♪§☆◎♂！"},
    Lines{"が～ん。", "や、やるな・・・", "なにをー！", "う、うぅ～", "やられた～！"},
    Lines{"が～ん。", "きらいじゃー！", "いじめるなよ～", "なんですと～？", "ショック～！"},
};
const std::vector<const char*> kUserGeneral[3] = {
    Lines{"そうきたか～", "ふむふむ。", "なるほどのぅ～", "ほほ～", "ふむ～", "ねむい～", "なかなかやるのぅ",
          "そうきたかぁ～", "なるほどー", "なかなかですのぅ", "やるねっ！", "おおっ！", "ほいさっ！", "ぽわーん", "ういーっす。"},
    Lines{"そうきたか～", "ふむふむ。", "ええですな。", "ふぅ～", "ん？", "・・・。", "結構やりますな",
          "ええ天気ですな～", "なるほどー", "ええ感じじゃなぁ", "やるねっ！", "おおっ！", "ほいさっ！", "ぽわーん", "ういーっす。"},
    Lines{"そうきたか～", "ふむふむ。", "ぽわーん。", "ほほ～", "なるほどー", "おぬしやるっすね", "のほほ～ん。",
          "そうきたかぁ～", "ふふ～ん", "いい勝負ですな", "やるねっ！", "おおっ！", "ほいさっ！", "ありゃ～！", "ういーっす。"},
};

bool last_move_on_corner(const Hensu& h) {
    return (h.Last_X == 0 || h.Last_X == 7) && (h.Last_Y == 0 || h.Last_Y == 7);
}

// One draw from the whole table: a line of it, 1..n with equal chances.
const char* draw_line(Game& g, const std::vector<const char*>& table) {
    return table[size_t(g.app.random().draw(int(table.size())) - 1)];
}

}  // namespace

void TimercharMsg_Timer(Game& g) {
    MainForm& f = g.main_f();
    Hensu& h = g.hensu;
    ui::Timer& t = f.TimercharMsg;
    if (std::stoi(t.tag) != 1) {
        mdl_keisei(g);
        if (h.Teban == h.User_Iro) {
            mdl_charaMSG_User(g);
        } else {
            mdl_charaMSG_CPU(g);
        }
        t.tag = "1";
        t.set_interval(1500);
        f.lbl_charMsg.visible = true;
        f.img_hukidasi.visible = true;
    } else {
        t.tag = "0";
        t.set_interval(10);
        f.lbl_charMsg.visible = false;
        f.img_hukidasi.visible = false;
        t.set_enabled(false);
    }
}

void mdl_keisei(Game& g) {
    Hensu& h = g.hensu;
    mdl_IshiKazu(h);
    const int d = h.User_Iro == 1 ? h.Kuro_Kazu - h.Siro_Kazu : h.Siro_Kazu - h.Kuro_Kazu;
    h.Keisei = d >= 12 ? 1 : d > -12 ? 2 : 3;
}

void mdl_charaMSG_CPU(Game& g) {
    Hensu& h = g.hensu;
    const int c = h.chara_No;
    if (c < 0 || c > 2) return;
    ui::Control& msg = g.main_f().lbl_charMsg;
    if (h.Keisei < 3 && last_move_on_corner(h)) {
        const char* line = draw_line(g, kCpuCorner[c]);
        mdl_charaHyoujou(g, 1);
        msg.caption = line;
        return;
    }
    mdl_charaHyoujou(g, 4);
    const auto& table = h.Keisei == 1 ? kCpuUserLeads[c] : h.Keisei == 2 ? kCpuClose[c] : kCpuLeads[c];
    msg.caption = draw_line(g, table);
}

void mdl_charaMSG_User(Game& g) {
    Hensu& h = g.hensu;
    const int c = h.chara_No;
    if (c < 0 || c > 2) return;
    ui::Control& msg = g.main_f().lbl_charMsg;
    if (h.Keisei < 3 && last_move_on_corner(h)) {
        const char* line = draw_line(g, kUserCorner[c]);
        mdl_charaHyoujou(g, 2);
        msg.caption = line;
    } else {
        const char* line = draw_line(g, kUserGeneral[c]);
        mdl_charaHyoujou(g, 4);
        msg.caption = line;
    }
}
