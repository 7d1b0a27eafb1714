// The game window on the virtual clock: phases, janken, redraw, clicks,
// passes and the end of a game.
#include <gtest/gtest.h>

#include "fixture.h"
#include "state/mdl.h"

namespace {

struct Match : ::testing::Test, GameFixture {
    // The first showing of the game window against a character.
    void show_window(int chara = 0, const char* name = "ぽてんねこ") {
        h().chara_No = int16_t(chara);
        h().chara_Name = name;
        f().show();
    }
    // Janken with the toss scripted (1: the user wins and plays black).
    void janken(int hand, int toss) {
        random.push(toss, 2);
        click(f(), f().img_jya[hand]);
    }
    // From the first showing to the moment the first turn's phase is armed.
    void start_game(int toss, int chara = 0) {
        show_window(chara);
        janken(0, toss);
        advance(3000 + 500 + 5 * 200 + 500);
        ASSERT_TRUE(f().main_Timer.enabled());
    }
    std::vector<int> drawn_cells_during(int64_t ms) {
        std::vector<int> order;
        std::array<std::string, 64> before;
        for (int t = 0; t < ms; t += 1) {
            for (int i = 0; i < 64; ++i) before[size_t(i)] = f().img_ishi[i].tag;
            advance(1);
            for (int i = 0; i < 64; ++i)
                if (f().img_ishi[i].tag != before[size_t(i)]) order.push_back(i);
        }
        return order;
    }
    // The cell pictures as if the board had been drawn.
    void sync_pictures() {
        for (int i = 0; i < 64; ++i) f().img_ishi[i].tag = std::to_string(h().Ban.cells[size_t(i)]);
    }
    bool pictures_match_board() {
        for (int i = 0; i < 64; ++i)
            if (f().img_ishi[i].tag != std::to_string(h().Ban.cells[size_t(i)])) return false;
        return true;
    }
    // A finished position on the board, counted and drawn, waiting for phase "6".
    void end_position(int black, int white) {
        h().Ban = BoardTable{};
        for (int i = 0; i < black; ++i) h().Ban.cells[size_t(i)] = 1;
        for (int i = 0; i < white; ++i) h().Ban.cells[size_t(63 - i)] = 2;
        mdl_IshiKazu(h());
    }
    void judge(int black, int white, int user, int chara) {
        end_position(black, white);
        h().User_Iro = int16_t(user);
        h().chara_No = int16_t(chara);
        mdl_kekkaHantei(g);
    }
};

TEST_F(Match, FirstShowingRunsPhaseZeroAtOnce) {
    show_window();
    EXPECT_EQ(h().Ban.cells[27], 1);
    EXPECT_EQ(h().Ban.cells[28], 2);
    EXPECT_EQ(h().Ban.cells[35], 2);
    EXPECT_EQ(h().Ban.cells[36], 1);
    for (int i = 0; i < 64; ++i) EXPECT_TRUE(f().img_ishi[i].picture.empty()) << i;
    EXPECT_TRUE(f().sentaku_fra.visible);
    EXPECT_EQ(f().sentaku_fra.left, f().Frame1.left);
    EXPECT_EQ(f().sentaku_fra.top, f().Frame1.top);
    EXPECT_EQ(f().lbl_msg.caption, "先攻後攻決めじゃんけん。");
    EXPECT_FALSE(f().main_Timer.enabled());
    EXPECT_EQ(f().main_Timer.tag, "1");
    EXPECT_EQ(f().Frame1.back_color, ui::rgb(179, 216, 255));
    EXPECT_TRUE(f().img_jyacha[0].visible);
    EXPECT_FALSE(f().img_jyacha[1].visible);
    EXPECT_EQ(f().lbl_jya2.caption, "勝った方が先攻じゃ～！");
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(f().img_jya[i].visible);
    EXPECT_FALSE(f().img_douten.visible) << "the reset hides the banners";
}

TEST_F(Match, TheShuffleCyclesTheCpuHandEvery50ms) {
    show_window();
    const int expected[] = {0, 1, 2, 0};
    for (int want : expected) {
        advance(50);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(f().img_jyacpu[i].visible, i == want);
    }
}

TEST_F(Match, JankenOutcomeTable) {
    // hand, toss -> CPU hand shown, user's colour, result text
    const struct { int hand, toss, cpu, user; const char* text; } cases[] = {
        {0, 1, 1, 1, "あなたは黒（先攻）"}, {1, 1, 2, 1, "あなたは黒（先攻）"}, {2, 1, 0, 1, "あなたは黒（先攻）"},
        {0, 2, 2, 2, "あなたは白（後攻）"}, {1, 2, 0, 2, "あなたは白（後攻）"}, {2, 2, 1, 2, "あなたは白（後攻）"}};
    show_window();
    for (auto c : cases) {
        SCOPED_TRACE(testing::Message() << "hand " << c.hand << " toss " << c.toss);
        winmm.clear();
        for (auto& hand : f().img_jya) hand.visible = true;
        janken(c.hand, c.toss);
        EXPECT_EQ(played(g.snd.snd_oki), 1u);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(f().img_jyacpu[i].visible, i == c.cpu);
            EXPECT_EQ(f().img_jya[i].visible, i == c.hand);
        }
        EXPECT_EQ(h().User_Iro, c.user);
        EXPECT_EQ(h().Teban, 1);
        EXPECT_EQ(f().img_ico.picture.name, c.user == 1 ? "stone_black" : "stone_white");
        EXPECT_EQ(f().lbl_jya1.caption, c.text);
        EXPECT_EQ(f().lbl_jya2.caption, "");
        EXPECT_FALSE(f().Timer_jya.enabled());
    }
}

TEST_F(Match, ASecondClickRedrawsButThePanelClosesOnTheFirstClocking) {
    show_window();
    janken(0, 1);
    advance(1000);
    f().img_jya[2].visible = true;  // as if the user had clicked a hand that still shows
    janken(2, 2);
    EXPECT_EQ(h().User_Iro, 2);
    EXPECT_TRUE(f().img_jyacpu[1].visible);
    advance(1999);
    EXPECT_TRUE(f().sentaku_fra.visible);
    advance(1);
    EXPECT_FALSE(f().sentaku_fra.visible);
    EXPECT_FALSE(f().sentaku_fra.enabled);
    EXPECT_TRUE(f().main_Timer.enabled());
}

TEST_F(Match, StartRedrawDrawsTheFourStonesInCellOrderThenCounts) {
    show_window();
    janken(0, 1);
    advance(3000 + 500);
    EXPECT_EQ(f().lbl_msg.caption, "準備中・・・。");
    EXPECT_EQ(f().lbl_IshiKazu[0].caption, "0");
    winmm.clear();
    EXPECT_EQ(drawn_cells_during(800), (std::vector<int>{27, 28, 35, 36}));
    EXPECT_EQ(played(g.snd.snd_kae), 4u);
    EXPECT_EQ(f().lbl_IshiKazu[0].caption, "0") << "counts change only at the finish";
    advance(200);
    EXPECT_EQ(f().lbl_IshiKazu[0].caption, "2");
    EXPECT_EQ(f().lbl_IshiKazu[1].caption, "2");
    EXPECT_TRUE(f().main_Timer.enabled());
    EXPECT_EQ(f().main_Timer.tag, "2");
}

TEST_F(Match, StartOfPlayNamesTheSidesAndGivesTheFirstTurn) {
    const struct { int toss; const char* black; const char* white; const char* phase; } cases[] = {
        {1, "あなた", "ぽてんねこ", "3"}, {2, "ぽてんねこ", "あなた", "4"}};
    for (auto c : cases) {
        GameFixture fresh;
        fresh.h().chara_No = 0;
        fresh.h().chara_Name = "ぽてんねこ";
        fresh.f().show();
        fresh.random.push(c.toss, 2);
        fresh.click(fresh.f(), fresh.f().img_jya[1]);
        fresh.advance(3000 + 500 + 1000 + 500);
        EXPECT_EQ(fresh.f().lbl_IshiCap[0].caption, c.black);
        EXPECT_EQ(fresh.f().lbl_IshiCap[1].caption, c.white);
        EXPECT_EQ(fresh.f().main_Timer.tag, c.phase);
        EXPECT_EQ(fresh.f().lbl_msg.caption, "準備中・・・。");
        EXPECT_TRUE(fresh.f().img_char_main.visible);
        EXPECT_EQ(fresh.f().img_char_main.picture.name, "chara0_calm");
        EXPECT_EQ(fresh.f().Frame1.mouse_pointer, ui::kPointerCustom);
        EXPECT_EQ(fresh.winmm.commands,
                  (std::vector<std::string>{"open \"/opt/patapata/bg_main.mid\" alias bgm", "play bgm"}));
        EXPECT_EQ(fresh.h().Music_Speed_Flg, 0);
    }
}

TEST_F(Match, OneExchangeFollowsTheTimeline) {
    start_game(1);
    advance(500);
    EXPECT_EQ(f().lbl_msg.caption, "あなたの番です。");
    EXPECT_EQ(f().Frame1.mouse_icon.name, "stone_black");
    EXPECT_FALSE(f().main_Timer.enabled());

    winmm.clear();
    click_cell(20);  // turns 28
    EXPECT_EQ(f().main_Timer.tag, "5");
    advance(499);
    EXPECT_EQ(f().img_ishi[20].tag, "0");
    advance(1);
    EXPECT_EQ(f().img_ishi[20].tag, "1") << "the new stone shows at once";
    EXPECT_EQ(played(g.snd.snd_oki), 1u) << "with the placing sound";
    EXPECT_TRUE(f().Frame1.mouse_icon.empty());
    advance(200);
    EXPECT_EQ(f().img_ishi[28].tag, "1");
    EXPECT_EQ(played(g.snd.snd_kae), 1u);
    advance(200);  // (1 + 1) x 200: the finish
    EXPECT_EQ(f().lbl_IshiKazu[0].caption, "4");
    EXPECT_EQ(f().main_Timer.tag, "4");
    advance(500);  // the CPU chooses within the tick
    EXPECT_EQ(f().main_Timer.tag, "5");
    EXPECT_EQ(f().lbl_msg.caption, "ぽてんねこの番です。");
    advance(500);
    EXPECT_EQ(h().Ban(h().Last_X, h().Last_Y), 2);
    advance(400);
    EXPECT_TRUE(pictures_match_board());
    EXPECT_EQ(f().main_Timer.tag, "3");
    advance(500);
    EXPECT_EQ(f().lbl_msg.caption, "あなたの番です。");
}

TEST_F(Match, TheRedrawFollowsCellOrderNotTheRays) {
    start_game(1);
    advance(500);
    // Black at 28 (4, 3) turns 20 (up), 29 (right) and 36 (down).
    h().Ban = BoardTable{};
    h().Ban.cells[12] = 1;  // (4, 1) closes the line up
    h().Ban.cells[20] = 2;
    h().Ban.cells[29] = 2;
    h().Ban.cells[30] = 1;  // (6, 3) closes the line right
    h().Ban.cells[36] = 2;
    h().Ban.cells[44] = 1;  // (4, 5) closes the line down
    sync_pictures();
    click_cell(28);
    advance(500);
    winmm.clear();
    EXPECT_EQ(drawn_cells_during(600), (std::vector<int>{20, 29, 36}));
    EXPECT_EQ(played(g.snd.snd_kae), 3u);
    EXPECT_FALSE(f().main_Timer.enabled());
    advance(200);
    EXPECT_TRUE(f().main_Timer.enabled());
}

TEST_F(Match, ClicksThatDoNotCountChangeNothing) {
    start_game(1);
    // Pending phase step: the user's turn is armed but has not started.
    BoardTable before = h().Ban;
    click_cell(20);
    EXPECT_EQ(h().Ban, before);
    advance(500);
    click_cell(27);  // occupied
    EXPECT_FALSE(app.message_box());
    EXPECT_FALSE(f().main_Timer.enabled());
    click_cell(20);
    advance(500 + 100);  // during the redraw
    before = h().Ban;
    click_cell(43);
    EXPECT_EQ(h().Ban, before);
    EXPECT_FALSE(app.message_box());
    advance(300 + 500 + 10);  // CPU's turn armed and played; now its stone is pending
    click_cell(19);
    EXPECT_FALSE(app.message_box());
}

TEST_F(Match, APressReleasedOverAnotherHandOrCellCountsForNothing) {
    auto drag = [this](const ui::Control& from, const ui::Control& to) {
        app.mouse_down(f(), from.abs_left() + 5, from.abs_top() + 5);
        app.mouse_up(f(), to.abs_left() + 5, to.abs_top() + 5);
    };
    show_window();
    drag(f().img_jya[0], f().img_jya[2]);
    EXPECT_TRUE(f().Timer_jya.enabled()) << "the hands still shuffle";
    EXPECT_FALSE(f().Timer_jya2.enabled()) << "no hand chosen";

    janken(0, 1);
    advance(3000 + 500 + 5 * 200 + 500 + 500);
    ASSERT_EQ(f().main_Timer.tag, "3");
    const BoardTable before = h().Ban;
    drag(f().img_ishi[20], f().img_ishi[0]);  // a legal cell, then an illegal one
    drag(f().img_ishi[0], f().img_ishi[20]);
    EXPECT_EQ(h().Ban, before);
    EXPECT_FALSE(app.message_box());
    EXPECT_EQ(f().main_Timer.tag, "3");
    click_cell(20);
    EXPECT_EQ(f().main_Timer.tag, "5") << "the user's turn was still there";
}

TEST_F(Match, TheJankenPanelCoversTheBoard) {
    show_window();
    for (int i : {0, 7, 27, 56, 63}) {
        click_cell(i);
        EXPECT_FALSE(app.message_box());
    }
    const ui::Control& panel = f().sentaku_fra;
    EXPECT_EQ(f().hit(panel.abs_left() + 1, panel.abs_top() + 1), &f().Image1);
}

TEST_F(Match, AnIllegalCellShowsTheBoxAndTheTurnGoesOn) {
    start_game(1);
    advance(500);
    click_cell(0);
    ASSERT_TRUE(app.message_box());
    EXPECT_EQ(app.message_box()->text, "そこは置けません！");
    EXPECT_EQ(f().main_Timer.tag, "3");
    EXPECT_FALSE(f().main_Timer.enabled());
    app.close_message_box();
    click_cell(20);
    EXPECT_EQ(f().main_Timer.tag, "5");
}

// Positions for the pass and end roads: the user plays black.
struct Passes : Match {
    void SetUp() override {
        start_game(1);
        advance(500);
    }
};

TEST_F(Passes, TheCpuPassesWhileTheUserCanMove) {
    // Black takes (2, 0); white's last stone at (0, 1) then has no move,
    // while black can still play (0, 2).
    set_board({"BW......", "W.......", "........", "........", "........", "........", "........",
               "........"});
    sync_pictures();
    click_cell(2);
    advance(500 + 400);  // put, one turned stone, finish
    ASSERT_EQ(f().main_Timer.tag, "4");
    advance(500);
    EXPECT_EQ(f().lbl_msg.caption, "ぽてんねこはパスです。");
    EXPECT_EQ(f().main_Timer.tag, "3");
    EXPECT_EQ(h().Pass_Kazu, 0);
    EXPECT_EQ(h().Teban, h().User_Iro);
    advance(1499);
    EXPECT_EQ(f().lbl_msg.caption, "ぽてんねこはパスです。");
    advance(1);
    EXPECT_EQ(f().lbl_msg.caption, "あなたの番です。");
}

TEST_F(Passes, TheUserPassesAfterACpuMoveAndTheCpuMovesAgain) {
    // White (the CPU) can take (2, 0) or (2, 7); black has no move after either.
    set_board({"WB......", "........", "........", "........", "........", "........", "........",
               "WB......"});
    sync_pictures();
    f().main_Timer.tag = "4";
    f().main_Timer.set_enabled(true);
    advance(500);  // the CPU chooses
    ASSERT_EQ(f().main_Timer.tag, "5");
    advance(500);  // and its stone is put
    EXPECT_EQ(f().lbl_msg.caption, "あなたはパスです。");
    EXPECT_EQ(f().main_Timer.tag, "4");
    EXPECT_EQ(h().Teban, 2) << "the side that has just moved";
    advance(400);  // the turned stone and the finish
    advance(1499);
    EXPECT_EQ(f().main_Timer.tag, "4");
    EXPECT_EQ(f().lbl_msg.caption, "あなたはパスです。");
    advance(1);
    EXPECT_EQ(f().main_Timer.tag, "5") << "the CPU has moved again";
}

TEST_F(Passes, NeitherSideCanMoveEndsTheGameAndLeavesIllegalClicksToTheBox) {
    set_board({"BW......", "........", "........", "........", "........", "........", "........",
               "........"});
    sync_pictures();
    click_cell(2);  // black takes the last white stone: nobody can move
    advance(500 + 400 + 500);
    EXPECT_EQ(f().lbl_msg.caption, "両者これ以上は置けません。");
    EXPECT_EQ(f().main_Timer.tag, "6");
    advance(1500);
    EXPECT_EQ(f().main_Timer.tag, "7");
    advance(1499);
    EXPECT_FALSE(f().img_win.visible);
    advance(1);
    EXPECT_TRUE(f().img_win.visible);
    EXPECT_EQ(h().Teban, h().User_Iro);
    click_cell(40);
    EXPECT_TRUE(app.message_box()) << "an empty cell reaches the placement test";
}

TEST_F(Passes, TheSixtyFourthStoneEndsWithoutAMessage) {
    h().Ban.cells.fill(1);
    h().Ban.cells[62] = 2;
    h().Ban.cells[63] = 0;
    sync_pictures();
    click_cell(63);
    advance(500);
    EXPECT_EQ(f().main_Timer.tag, "6");
    EXPECT_EQ(f().lbl_msg.caption, "あなたの番です。");
    advance(400 + 500 + 1500);
    EXPECT_TRUE(f().img_win.visible);
    EXPECT_EQ(f().lbl_msg.caption, "");
    for (int i = 0; i < 64; i += 9) click_cell(i);
    EXPECT_FALSE(app.message_box()) << "no empty cell: clicks do nothing";
}

TEST_F(Match, ClosingLinesAndFacesByOutcomeCharacterAndMargin) {
    const struct { int black, white, user, chara; const char* line; const char* banner; const char* face; } cases[] = {
        {33, 31, 1, 0, "まあまあだな・・・", "win", "chara0_calm"},
        {40, 24, 1, 0, "ちっ。", "win", "chara0_uneasy"},
        {40, 24, 2, 0, "楽勝楽勝♪", "lose", "chara0_calm"},
        {36, 29, 1, 1, "ええ勝負だったな。", "win", "chara1_calm"},     // 7: small
        {36, 28, 1, 1, "やられたぁ～。", "win", "chara1_uneasy"},       // 8: middle
        {54, 10, 1, 2, "え～ん。", "win", "chara2_uneasy"},             // 44: middle
        {54, 9, 1, 2, "え～ん。", "win", "chara2_uneasy"},              // 45: middle
        {55, 9, 1, 2, "負けちゃたよぉ～", "win", "chara2_dismayed"},    // 46: large
        {55, 9, 2, 0, "まだまだだね！", "lose", "chara0_burst"},
        {55, 9, 2, 1, "オラオラオラっ！", "lose", "chara1_burst"},
        {36, 28, 2, 1, "出直してきやがれぃ！", "lose", "chara1_calm"},
        {33, 31, 2, 1, "ええ勝負だった・・・。", "lose", "chara1_calm"},
        {55, 9, 2, 2, "余裕っす♪", "lose", "chara2_burst"},
        {36, 28, 2, 2, "楽勝っす♪", "lose", "chara2_calm"},
        {33, 31, 2, 2, "勝ちっす♪", "lose", "chara2_calm"},
        {33, 31, 1, 2, "負けっす♪", "win", "chara2_calm"},
        {60, 4, 1, 0, "参りました・・・。", "win", "chara0_dismayed"},
        {60, 4, 1, 1, "やるぢゃねーか！", "win", "chara1_dismayed"},
        {33, 31, 2, 0, "接戦でしたな。", "lose", "chara0_calm"},
    };
    for (auto c : cases) {
        SCOPED_TRACE(testing::Message() << c.black << "-" << c.white << " user " << c.user << " chara " << c.chara);
        mdl_shokika(g);
        judge(c.black, c.white, c.user, c.chara);
        const bool win = std::string(c.banner) == "win";
        EXPECT_EQ(f().img_win.visible, win);
        EXPECT_EQ(f().img_lose.visible, !win);
        EXPECT_EQ(f().lbl_charMsg.caption, c.line);
        EXPECT_EQ(f().img_char_main.picture.name, c.face);
        EXPECT_TRUE(f().lbl_charMsg.visible);
        EXPECT_TRUE(f().img_hukidasi.visible);
        EXPECT_TRUE(f().img_tit.visible && f().img_tit.enabled && f().Shp_tit.visible);
        EXPECT_EQ(f().lbl_msg.caption, "");
    }
}

TEST_F(Match, TheTwoFrameDismayOfAHeavyDefeatShowsItsSecondFrame) {
    judge(60, 4, 1, 2);
    EXPECT_EQ(f().img_char_main.picture.name, "chara2_dismayed");
    advance(100);
    EXPECT_EQ(f().img_char_main.picture.name, "chara2_dismayed2");
    advance(2000);
    EXPECT_EQ(f().img_char_main.picture.name, "chara2_dismayed2") << "no frame back to calm";
}

TEST_F(Match, ADrawStopsTheMusicAndLeavesTheStreak) {
    h().newc_Kazu = 2;
    f().Timer_Sound.tag = "1";
    f().Timer_Sound.set_enabled(true);
    winmm.clear();
    judge(32, 32, 2, 1);
    EXPECT_EQ(winmm.commands, (std::vector<std::string>{"stop bgm", "close bgm"}));
    EXPECT_FALSE(f().Timer_Sound.enabled());
    EXPECT_EQ(f().Timer_Sound.tag, "0");
    EXPECT_TRUE(f().img_douten.visible);
    EXPECT_EQ(f().lbl_charMsg.caption, "引き分けっ！");
    EXPECT_EQ(f().img_char_main.picture.name, "chara1_burst") << "face code 1";
    EXPECT_EQ(h().newc_Kazu, 2);
    EXPECT_TRUE(f().img_tit.visible);
    EXPECT_EQ(f().lbl_msg.caption, "");
}

// Outcomes in a row: 'P' a win against the panda, 'C' a win against the cat,
// 'L' a loss (to the cat), 'D' a draw against the panda.
struct Streak {
    const char* games;
    int kazu;
    int kaikin;
};

TEST_F(Match, UnlockStreak) {
    const Streak cases[] = {{"PPP", 0, 1}, {"PDPCP", 0, 1}, {"PPLP", 1, 0}, {"PPPP", 0, 1},
                            {"PP", 2, 0},  {"LLL", 0, 0}};
    for (auto c : cases) {
        SCOPED_TRACE(c.games);
        GameFixture fx;
        for (const char* p = c.games; *p; ++p) {
            mdl_shokika(fx.g);
            fx.h().Ban = BoardTable{};
            const int black = *p == 'D' ? 32 : *p == 'L' ? 20 : 40;
            for (int i = 0; i < black; ++i) fx.h().Ban.cells[size_t(i)] = 1;
            for (int i = black; i < 64; ++i) fx.h().Ban.cells[size_t(i)] = 2;
            mdl_IshiKazu(fx.h());
            fx.h().User_Iro = 1;
            fx.h().chara_No = *p == 'P' || *p == 'D' ? 1 : 0;
            const bool unlocking = fx.h().newc_Kaikin == 0 && fx.h().newc_Kazu == 2 && *p == 'P';
            mdl_kekkaHantei(fx.g);
            EXPECT_EQ(fx.f().Timer_newc.enabled(), unlocking);
            EXPECT_EQ(fx.f().img_tit.visible, !unlocking);
            EXPECT_EQ(fx.f().Shp_tit.visible, !unlocking);
            EXPECT_EQ(fx.h().newc_Flg, unlocking ? 1 : 0);
            fx.f().Timer_newc.set_enabled(false);
        }
        EXPECT_EQ(fx.h().newc_Kazu, c.kazu);
        EXPECT_EQ(fx.h().newc_Kaikin, c.kaikin);
    }
}

TEST_F(Match, TheUnlockingWinKeepsTheStatusLineAndReturnsAfterThreeSeconds) {
    g.start();
    h().newc_Kazu = 2;
    f().show();
    f().lbl_msg.caption = "あなたの番です。";
    judge(40, 24, 1, 1);
    EXPECT_TRUE(f().img_win.visible);
    EXPECT_EQ(f().lbl_msg.caption, "あなたの番です。");
    advance(2999);
    EXPECT_TRUE(f().visible());
    advance(1);
    EXPECT_FALSE(f().visible());
    EXPECT_TRUE(t().visible());
    EXPECT_TRUE(t().img_newc.visible);
    EXPECT_EQ(h().chara_No, 2);
}

}  // namespace
