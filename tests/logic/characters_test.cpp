// The character: the situation code, the remark after every placement, the
// faces with their two follow-up frames, and the balloon on the clock.
#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "characters/characters.h"
#include "fixture.h"
#include "state/mdl.h"

namespace {

// The game window on its own, every timer off, so that only what a test
// switches on runs.
struct Quiet : GameFixture {
    Quiet() {
        for (ui::Timer* t : f().timers) t->set_enabled(false);
    }
    // A board where the user has `user` stones and the CPU `cpu`, the
    // mover's stone at `last` among them.
    void position(int user_colour, int user, int cpu, int last, bool cpu_moved) {
        h().User_Iro = int16_t(user_colour);
        const int16_t mine = int16_t(user_colour), theirs = other_colour(user_colour);
        h().Ban = BoardTable{};
        h().Ban.cells[size_t(last)] = cpu_moved ? theirs : mine;
        (cpu_moved ? cpu : user) -= 1;
        for (size_t i = 0; i < 64; ++i) {
            if (i == size_t(last)) continue;
            if (user > 0) {
                h().Ban.cells[i] = mine;
                --user;
            } else if (cpu > 0) {
                h().Ban.cells[i] = theirs;
                --cpu;
            }
        }
        h().Last_X = int16_t(last % 8);
        h().Last_Y = int16_t(last / 8);
        h().Teban = cpu_moved ? theirs : mine;
    }
    // The stones d ahead, from the user's side.
    void position_by_lead(int user_colour, int d, int last, bool cpu_moved) {
        position(user_colour, 10 + std::max(d, 0), 10 - std::min(d, 0), last, cpu_moved);
    }
};

std::string picture(int chara, const char* face) { return "chara" + std::to_string(chara) + "_" + face; }

TEST(Situation, MeasuredFromTheUsersSideWhicheverColourTheUserPlays) {
    const struct { int d; int keisei; } cases[] = {{12, 1}, {11, 2}, {0, 2}, {-11, 2}, {-12, 3}, {30, 1}, {-30, 3}};
    for (int colour : {1, 2})
        for (auto c : cases) {
            SCOPED_TRACE("user colour " + std::to_string(colour) + ", d " + std::to_string(c.d));
            Quiet q;
            q.position_by_lead(colour, c.d, 40, false);
            q.h().Kuro_Kazu = q.h().Siro_Kazu = 0;  // stale counts: the code counts afresh
            q.h().Keisei = 0;
            mdl_keisei(q.g);
            EXPECT_EQ(q.h().Keisei, c.keisei);
            const int user = colour == 1 ? q.h().Kuro_Kazu : q.h().Siro_Kazu;
            const int cpu = colour == 1 ? q.h().Siro_Kazu : q.h().Kuro_Kazu;
            EXPECT_EQ(user - cpu, c.d);
        }
}

// The pictures a face code gives: at once, at +100 ms and at +850 ms.
struct FaceFrames {
    const char* now;
    const char* at100;
    const char* at850;
};
FaceFrames face(int code) {
    switch (code) {
        case 1: return {"burst", "calm", "calm"};
        case 2: return {"dismayed", "dismayed2", "calm"};
        case 6: return {"dismayed", "calm", "calm"};
        default: return {"calm", "calm2", "calm"};  // 3, 4 and 5
    }
}

enum Mover { kCpu, kUser };

// One show tick of the balloon after a placement: the line and the face.
TEST(Remark, LineAndFaceByCharacterMoverCornerAndSituation) {
    const struct {
        int chara;
        Mover mover;
        int user_colour;
        int cell;
        int d;  // the user's lead after the move
        int draw, of;
        const char* line;
        int face;
    } cases[] = {
        // The CPU's own move: a corner boast unless it leads by 12 or more.
        {0, kCpu, 1, 0, -11, 1, 5, "どうだぁー！", 1},
        {0, kCpu, 2, 63, -12, 7, 7, "ポチッとな。", 4},
        {1, kCpu, 1, 7, 12, 5, 5, "まだまだ甘ちゃんね", 1},
        {2, kCpu, 2, 56, 11, 3, 5, "ふっふ～ん♪", 1},
        {1, kCpu, 2, 56, -12, 1, 7, "余裕ですな。", 4},
        // Not corners: an X-square, cells beside a corner, the middle.
        {1, kCpu, 1, 9, 12, 7, 7, "あうちっ！", 4},
        {2, kCpu, 2, 8, 0, 15, 15, "どーよっ！", 4},
        {0, kCpu, 1, 6, -11, 15, 15, "どーだぁ！", 4},
        {1, kCpu, 2, 57, 11, 1, 15, "ははーん", 4},
        {2, kCpu, 1, 27, -12, 5, 7, "まだまだだねぇ♪", 4},
        {0, kCpu, 2, 14, 12, 1, 7, "ううう・・・。", 4},
        // The user's move: a corner reaction unless the CPU leads by 12 or more.
        {0, kUser, 1, 56, 12, 5, 5, "★※■♪§☆◎♂！", 2},
        {1, kUser, 2, 63, -11, 2, 5, "や、やるな・・・", 2},
        {2, kUser, 1, 7, 0, 1, 5, "が～ん。", 2},
        {2, kUser, 2, 0, -12, 15, 15, "ういーっす。", 4},
        {2, kUser, 1, 62, 12, 14, 15, "ありゃ～！", 4},
        {0, kUser, 2, 49, 0, 3, 15, "なるほどのぅ～", 4},
        {1, kUser, 1, 1, -12, 8, 15, "ええ天気ですな～", 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("expecting ") + c.line);
        Quiet q;
        MainForm& f = q.f();
        q.h().chara_No = int16_t(c.chara);
        q.position_by_lead(c.user_colour, c.d, c.cell, c.mover == kCpu);
        q.random.push(c.draw, c.of);
        f.TimercharMsg.tag = "0";
        f.TimercharMsg.set_enabled(true);
        q.advance(10);
        EXPECT_EQ(q.random.pending(), 0u) << "one draw";
        EXPECT_EQ(f.lbl_charMsg.caption, c.line);
        EXPECT_TRUE(f.lbl_charMsg.visible);
        EXPECT_TRUE(f.img_hukidasi.visible);
        const FaceFrames want = face(c.face);
        EXPECT_EQ(f.img_char_main.picture.name, picture(c.chara, want.now));
        EXPECT_EQ(f.Img_buf.picture.name, picture(c.chara, want.at100));
        EXPECT_EQ(f.Img_buf2.picture.name, picture(c.chara, want.at850));
    }
}

// Every draw value of every table gives its own line, for every character.
TEST(Remark, EveryDrawOfEveryTableGivesALine) {
    const struct { const char* table; Mover mover; int keisei; int cell; int n; } tables[] = {
        {"CPU corner", kCpu, 2, 0, 5},   {"CPU, user leads", kCpu, 1, 20, 7},
        {"CPU, close", kCpu, 2, 20, 15}, {"CPU leads", kCpu, 3, 20, 7},
        {"user corner", kUser, 1, 63, 5}, {"user, general", kUser, 3, 63, 15},
    };
    Quiet q;
    for (int chara = 0; chara < 3; ++chara)
        for (const auto& t : tables) {
            SCOPED_TRACE(std::string(t.table) + ", character " + std::to_string(chara));
            q.h().chara_No = int16_t(chara);
            q.h().Keisei = int16_t(t.keisei);
            q.h().Last_X = int16_t(t.cell % 8);
            q.h().Last_Y = int16_t(t.cell / 8);
            std::set<std::string> lines;
            for (int draw = 1; draw <= t.n; ++draw) {
                q.f().lbl_charMsg.caption = "";
                q.random.push(draw, t.n);
                t.mover == kCpu ? mdl_charaMSG_CPU(q.g) : mdl_charaMSG_User(q.g);
                EXPECT_NE(q.f().lbl_charMsg.caption, "") << "draw " << draw;
                lines.insert(q.f().lbl_charMsg.caption);
            }
            EXPECT_EQ(lines.size(), size_t(t.n)) << "each draw its own line";
        }
}

TEST(Remark, AnUnknownCharacterSaysNothing) {
    Quiet q;
    q.h().chara_No = 3;
    q.f().lbl_charMsg.caption = "before";
    q.f().img_char_main.picture = {"before"};
    for (Mover m : {kCpu, kUser}) {
        m == kCpu ? mdl_charaMSG_CPU(q.g) : mdl_charaMSG_User(q.g);
        EXPECT_EQ(q.f().lbl_charMsg.caption, "before");
        EXPECT_EQ(q.f().img_char_main.picture.name, "before");
        EXPECT_FALSE(q.f().TimercharImg.enabled());
    }
}

TEST(Face, ShownAtOnceThenTheTwoFramesAt100And850) {
    const struct { int code; int chara; bool known; } cases[] = {
        {1, 0, true}, {2, 1, true}, {3, 2, true}, {4, 0, true}, {5, 1, true}, {6, 2, true}, {0, 1, false}, {7, 2, false}};
    for (auto c : cases) {
        SCOPED_TRACE(c.code);
        Quiet q;
        MainForm& f = q.f();
        q.h().chara_No = int16_t(c.chara);
        f.img_char_main.picture = {"shown before"};
        f.Img_buf.picture = {"first buffer before"};
        f.Img_buf2.picture = {"second buffer before"};
        const FaceFrames want = face(c.code);
        const std::string now = c.known ? picture(c.chara, want.now) : "shown before";
        const std::string at100 = c.known ? picture(c.chara, want.at100) : "first buffer before";
        const std::string at850 = c.known ? picture(c.chara, want.at850) : "second buffer before";

        mdl_charaHyoujou(q.g, c.code);
        EXPECT_EQ(f.img_char_main.picture.name, now);
        q.advance(99);
        EXPECT_EQ(f.img_char_main.picture.name, now);
        q.advance(1);
        EXPECT_EQ(f.img_char_main.picture.name, at100);
        EXPECT_FALSE(f.TimercharImg.enabled());
        q.advance(749);
        EXPECT_EQ(f.img_char_main.picture.name, at100);
        q.advance(1);
        EXPECT_EQ(f.img_char_main.picture.name, at850);
        EXPECT_FALSE(f.TimercharImg2.enabled());
        EXPECT_EQ(f.img_char2[c.chara].picture.name, picture(c.chara, "dismayed")) << "sources unchanged";
    }
}

TEST(Face, ASecondCallChangesWhatThePendingFramesShow) {
    Quiet q;
    MainForm& f = q.f();
    q.h().chara_No = 1;
    mdl_charaHyoujou(q.g, 2);
    q.advance(60);
    mdl_charaHyoujou(q.g, 1);
    EXPECT_EQ(f.img_char_main.picture.name, "chara1_burst");
    q.advance(40);  // the first frame keeps its count from the first call
    EXPECT_EQ(f.img_char_main.picture.name, "chara1_calm") << "not the more dismayed frame";
    q.advance(750);
    EXPECT_EQ(f.img_char_main.picture.name, "chara1_calm");
    EXPECT_FALSE(f.TimercharImg2.enabled());
}

// A game against the cat on the clock, the user playing black.
struct Flow : ::testing::Test, GameFixture {
    void SetUp() override {
        g.start();
        app.mouse_down(t(), 20, 20);
        click(t(), t().img_click[0]);
        advance(3000);
        random.push(1, 2);
        click(f(), f().img_jya[0]);
        wait_for_users_turn();
    }
    bool users_turn() {
        return !f().main_Timer.enabled() && !f().Timer_Ishi.enabled() && f().main_Timer.tag == "3";
    }
    void wait_for_users_turn() {
        for (int i = 0; i < 1000 && !users_turn(); ++i) advance(10);
        ASSERT_TRUE(users_turn());
    }
    bool balloon_up() { return f().lbl_charMsg.visible && f().img_hukidasi.visible; }
    // A position set by hand, with the cell pictures matching it, so that
    // the redraw animates only what a move turns.
    void put_board(const std::vector<std::string>& rows) {
        set_board(rows);
        for (int i = 0; i < 64; ++i) {
            const int v = h().Ban.cells[size_t(i)];
            f().img_ishi[i].tag = std::to_string(v);
            f().img_ishi[i].picture = v ? f().main_img_ishi[v].picture : ui::Picture{};
        }
    }
};

TEST_F(Flow, TheBalloonShows10msAfterAPlacementAndStays1500) {
    random.push(2, 15);  // the cat's reaction: "ふむふむ。"
    click_cell(20);
    advance(500);
    ASSERT_EQ(h().Ban(4, 2), 1) << "the stone is placed";
    EXPECT_TRUE(f().TimercharMsg.enabled());
    EXPECT_EQ(f().TimercharMsg.tag, "0");
    advance(9);
    EXPECT_FALSE(balloon_up());
    advance(1);
    EXPECT_TRUE(balloon_up());
    EXPECT_EQ(f().lbl_charMsg.caption, "ふむふむ。");
    EXPECT_EQ(f().TimercharMsg.tag, "1");
    EXPECT_EQ(f().TimercharMsg.interval(), 1500);

    // The first move turned one stone: the cat replies 1400 ms after it,
    // while the balloon is still up, and its remark replaces the text at the
    // tick that would have hidden it.
    advance(1389);
    EXPECT_EQ(h().Ban(4, 2), 1);
    const BoardTable before_reply = h().Ban;
    random.push(11, 15);  // "ほいさっ♪", close game
    advance(1);
    ASSERT_NE(h().Ban, before_reply) << "the cat has placed";
    EXPECT_TRUE(balloon_up());
    EXPECT_EQ(f().TimercharMsg.tag, "0");
    for (int step = 0; step < 11; ++step) {
        advance(10);
        EXPECT_TRUE(balloon_up()) << "never down in between";
    }
    EXPECT_EQ(f().lbl_charMsg.caption, "ほいさっ♪");
    EXPECT_EQ(f().TimercharMsg.tag, "1");
    advance(1499);
    EXPECT_TRUE(balloon_up());
    advance(1);
    EXPECT_FALSE(f().lbl_charMsg.visible);
    EXPECT_FALSE(f().img_hukidasi.visible);
    EXPECT_FALSE(f().TimercharMsg.enabled());
    EXPECT_EQ(f().TimercharMsg.tag, "0");
    EXPECT_EQ(f().TimercharMsg.interval(), 10);
    EXPECT_EQ(f().lbl_charMsg.caption, "ほいさっ♪") << "hiding keeps the text";
}

TEST_F(Flow, APassStartsNoBalloon) {
    // Black at (3, 6) turns five stones; then white has no move, black has.
    put_board({"...B....", "...W....", "...W....", "...W....", "...W....", "...W....", "........",
               ".WBBBBBB"});
    click_cell(51);
    advance(500);
    ASSERT_EQ(h().Ban(3, 6), 1);
    h().Teban = 2;
    ASSERT_EQ(mdl_okeruAri(h()), 0);
    h().Teban = 1;
    advance(1510);
    ASSERT_FALSE(balloon_up());
    const int16_t keisei = h().Keisei;
    for (int step = 0; step < 250; ++step) {
        advance(10);
        EXPECT_FALSE(balloon_up());
        EXPECT_FALSE(f().TimercharMsg.enabled());
        if (step == 49) {
            EXPECT_EQ(f().lbl_msg.caption, "ぽてんねこはパスです。");
        }
    }
    EXPECT_EQ(f().lbl_msg.caption, "あなたの番です。");
    EXPECT_TRUE(users_turn());
    EXPECT_EQ(h().Keisei, keisei);
}

TEST_F(Flow, TheLastBalloonIsDownBeforeTheClosingLine) {
    // Black's move in the last empty cell fills the board.
    put_board({"BBBBBBBB", "BBBBBBBB", "BBBBBBBB", "BBBBBBBB", "BBBBBBBB", "BBBBBBBB", "BBBBBBBB",
               ".WBBBBBB"});
    random.push(1, 5);  // a corner: "が～ん。"
    click_cell(56);
    advance(510);
    ASSERT_TRUE(balloon_up());
    EXPECT_EQ(f().lbl_charMsg.caption, "が～ん。");
    advance(1499);
    EXPECT_TRUE(balloon_up());
    advance(1);
    EXPECT_FALSE(balloon_up());
    for (int step = 0; step < 88; ++step) {
        advance(10);
        EXPECT_FALSE(balloon_up());
    }
    EXPECT_FALSE(f().img_win.visible);
    advance(10);  // 2400 ms after the placement
    EXPECT_TRUE(f().img_win.visible);
    EXPECT_TRUE(balloon_up());
    EXPECT_EQ(f().lbl_charMsg.caption, "参りました・・・。");
}

}  // namespace
