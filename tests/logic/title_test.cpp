// The title window: start-up, the blinking prompt, the level menu, the
// choice and hand-over, the ways back from the game window and the close.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <unistd.h>

#include "characters/characters.h"
#include "fixture.h"
#include "state/mdl.h"

namespace {

using Commands = std::vector<std::string>;
const std::string kOpenTitleMusic = "open \"/opt/patapata/bg_main.mid\" alias bgm";
const Commands kMusicStarts = {kOpenTitleMusic, "play bgm"};
const Commands kMusicStops = {"stop bgm", "close bgm"};

// The program with a few ways of driving it; no sound files exist in its
// folder, so the click sound is given as a stand-in image after the start.
struct Program : GameFixture {
    void boot() {
        g.start();
        g.snd.snd_oki = std::vector<uint8_t>{'o', 0};
        g.snd.snd_kae = std::vector<uint8_t>{'k', 0};
    }
    int clicks_heard() const {
        int n = 0;
        for (const auto& s : winmm.sounds) n += g.snd.snd_oki && s.image == g.snd.snd_oki->data();
        return n;
    }

    void press_background() { app.mouse_down(t(), 20, 20); }
    void choose(int line) { click(t(), t().img_click[line]); }
    // The result of a game with the given score, the user playing black.
    void finish_game(int user, int cpu) {
        f().main_Timer.set_enabled(false);
        h().User_Iro = 1;
        h().Kuro_Kazu = int16_t(user);
        h().Siro_Kazu = int16_t(cpu);
        mdl_kekkaHantei(g);
    }
    void back_to_title() { click(f(), f().img_tit); }

    bool menu_shown() const { return g.title_f.img_start[0].visible || g.title_f.img_start[1].visible; }
    // What the user sees at a point of the title window.
    const ui::Control* seen_at(double x, double y) const { return g.title_f.hit_visible(x, y); }
};

struct Title : ::testing::Test, Program {};

TEST_F(Title, StartUpClearsTheUnlockHidesTheMenuAndStartsTheMusic) {
    h().newc_Flg = h().newc_Kazu = h().newc_Kaikin = 1;
    h().main_Kido = 1;
    boot();

    EXPECT_TRUE(t().visible());
    EXPECT_FALSE(g.main_f_exists()) << "the game window waits for the first choice";
    EXPECT_EQ(h().newc_Flg, 0);
    EXPECT_EQ(h().newc_Kazu, 0);
    EXPECT_EQ(h().newc_Kaikin, 0);
    EXPECT_EQ(h().main_Kido, 0);
    EXPECT_EQ(winmm.commands, kMusicStarts);
    EXPECT_TRUE(t().Timer_Sound.enabled());
    EXPECT_EQ(t().Timer_Sound.tag, "1");
    EXPECT_TRUE(t().Timer1.enabled());
    EXPECT_EQ(t().Timer1.tag, "1");
    EXPECT_TRUE(t().lbl_clickmsg.visible);
    for (auto& m : t().img_start) EXPECT_FALSE(m.visible);
    for (auto& z : t().img_click) {
        EXPECT_TRUE(z.visible);
        EXPECT_FALSE(z.enabled);
    }
    // The three-line menu shares the two-line one's corner, 10 twips further left.
    EXPECT_DOUBLE_EQ(t().img_start[1].left, t().img_start[0].left - 10.0 / 15.0);
    EXPECT_DOUBLE_EQ(t().img_start[1].top, t().img_start[0].top);
    // Every splash is hidden and moved to cover the whole window.
    for (ui::Control* s : {&t().img_vs[0], &t().img_vs[1], &t().img_vs[2], &t().img_newc}) {
        EXPECT_FALSE(s->visible);
        EXPECT_EQ(s->left, 0);
        EXPECT_EQ(s->top, 0);
    }
}

// A program in a folder of its own, recording sounds and music commands in
// one sequence, so the order between the two can be seen.
struct OrderedWinmm : RecordingWinmm {
    std::vector<std::string> log;
    int32_t sndPlaySoundA(const uint8_t* image, size_t size, int32_t flags) override {
        log.push_back("sound " + std::string(reinterpret_cast<const char*>(image)));
        return RecordingWinmm::sndPlaySoundA(image, size, flags);
    }
    int32_t mciSendStringA(const std::string& c, char* reply, int32_t length, int32_t cb) override {
        log.push_back(c);
        return RecordingWinmm::mciSendStringA(c, reply, length, cb);
    }
};

struct ProgramInFolder {
    std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                ("patapata_title_" + std::to_string(getpid()));
    ui::VirtualClock clock;
    ScriptedRandom random;
    OrderedWinmm winmm;
    std::unique_ptr<ui::App> app;
    std::unique_ptr<Game> g;

    ProgramInFolder() {
        std::filesystem::create_directories(dir);
        std::ofstream(dir / "s_oki.wav", std::ios::binary) << "OKI";
        std::ofstream(dir / "s_kae.wav", std::ios::binary) << "KAE";
        app = std::make_unique<ui::App>(clock, random, dir.string());
        g = std::make_unique<Game>(*app, winmm);
    }
    ~ProgramInFolder() { std::filesystem::remove_all(dir); }
};

TEST(TitleSounds, LoadedFromTheProgramFolderAndTheMusicStopsBeforeTheClick) {
    ProgramInFolder p;
    p.g->start();
    ASSERT_TRUE(p.g->snd.snd_oki);
    EXPECT_EQ(*p.g->snd.snd_oki, (std::vector<uint8_t>{'O', 'K', 'I', 0}));
    ASSERT_TRUE(p.g->snd.snd_kae);
    const std::string open = "open \"" + p.dir.string() + "/bg_main.mid\" alias bgm";
    EXPECT_EQ(p.winmm.log, (std::vector<std::string>{open, "play bgm"}));

    p.app->mouse_down(p.g->title_f, 20, 20);
    EXPECT_EQ(p.winmm.log.back(), "sound OKI");
    EXPECT_EQ(p.winmm.sounds.back().flags, 5) << "asynchronous, from memory";
    p.winmm.log.clear();
    TitleForm& t = p.g->title_f;
    const ui::Control& zone = t.img_click[0];
    const double x = zone.abs_left() + zone.width / 2, y = zone.abs_top() + zone.height / 2;
    p.app->mouse_down(t, x, y);
    p.app->mouse_up(t, x, y);
    EXPECT_EQ(p.winmm.log, (std::vector<std::string>{"stop bgm", "close bgm", "sound OKI"}));
}

TEST_F(Title, PromptShowsHalfASecondThenBlinksEverySecond) {
    // The program was built a while before the window could show.
    clock.now = 300;
    boot();
    const struct { int64_t at; bool shown; } steps[] = {
        {0, true}, {499, true}, {500, false}, {999, false}, {1000, true}, {1499, true}, {1500, false}, {2000, true}};
    for (auto s : steps) {
        advance(300 + s.at - clock.now);
        EXPECT_EQ(t().lbl_clickmsg.visible, s.shown) << "at " << s.at;
    }
}

TEST(TitleReturn, PromptStaysHiddenUntilABlinkTickShowsIt) {
    // The menu step leaves the blink's tag as it was; F_set does not reset it.
    const struct { int64_t menu_at; const char* tag; int64_t first_shown; } cases[] = {
        {0, "1", 1000}, {600, "0", 500}};
    for (auto c : cases) {
        SCOPED_TRACE(c.menu_at);
        Program p;
        p.boot();
        p.advance(c.menu_at);
        p.to_game(0);
        ASSERT_EQ(p.t().Timer1.tag, c.tag);
        p.finish_game(40, 24);
        p.back_to_title();
        EXPECT_TRUE(p.t().Timer1.enabled());
        EXPECT_FALSE(p.t().lbl_clickmsg.visible);
        p.advance(c.first_shown - 1);
        EXPECT_FALSE(p.t().lbl_clickmsg.visible);
        p.advance(1);
        EXPECT_TRUE(p.t().lbl_clickmsg.visible);
    }
}

TEST_F(Title, APressAndItsClickEachRunTheMenuStep) {
    boot();
    press_background();
    EXPECT_EQ(clicks_heard(), 1);
    EXPECT_FALSE(t().Timer1.enabled());
    EXPECT_FALSE(t().lbl_clickmsg.visible);
    EXPECT_TRUE(t().img_start[0].visible);
    app.mouse_up(t(), 20, 20);
    EXPECT_EQ(clicks_heard(), 2);
    EXPECT_TRUE(t().img_start[0].visible);
    EXPECT_FALSE(t().img_start[1].visible);
    EXPECT_TRUE(t().img_click[0].enabled);
    EXPECT_TRUE(t().img_click[1].enabled);
    EXPECT_FALSE(t().Timer2.enabled()) << "no choice made";
}

TEST_F(Title, ThePromptTakesThePressOnlyOnTheFirstVisit) {
    boot();
    // A point of the prompt clear of the menu's zones.
    const double x = 40, y = t().lbl_clickmsg.abs_top() + 10;
    ASSERT_EQ(t().hit(x, y), &t().lbl_clickmsg);
    app.mouse_down(t(), x, y);
    EXPECT_EQ(clicks_heard(), 1);
    EXPECT_TRUE(t().img_start[0].visible);
    EXPECT_FALSE(t().lbl_clickmsg.visible);
    EXPECT_FALSE(t().lbl_clickmsg.enabled);

    choose(0);
    advance(3000);
    finish_game(40, 24);
    back_to_title();
    advance(1000);
    ASSERT_TRUE(t().lbl_clickmsg.visible);
    EXPECT_FALSE(t().lbl_clickmsg.enabled) << "nothing enables the prompt again";
    winmm.clear();
    app.mouse_down(t(), x, y);
    app.mouse_up(t(), x, y);
    EXPECT_EQ(clicks_heard(), 2) << "both go to the window behind the disabled prompt";
    EXPECT_TRUE(t().img_start[0].visible);
}

TEST_F(Title, OneClickOnThePromptOpensTheMenuAndChoosesNothing) {
    boot();
    const ui::Control& prompt = t().lbl_clickmsg;
    // Its middle lies over the second line's zone, enabled by the press.
    click(t(), prompt);
    EXPECT_TRUE(t().img_start[0].visible);
    EXPECT_EQ(clicks_heard(), 1);
    EXPECT_FALSE(t().Timer2.enabled()) << "no level chosen";
    for (auto& splash : t().img_vs) EXPECT_FALSE(splash.visible);
    choose(1);
    EXPECT_TRUE(t().img_vs[1].visible);
    EXPECT_EQ(h().chara_No, 1);
}

TEST_F(Title, OneClickOnTheBackgroundWhereALineWillShowOpensTheMenuOnly) {
    struct Case {
        const char* what;
        double x, y;
        bool unlocked;
    };
    const Case cases[] = {
        {"first line", 240, 215, false},
        {"second line, below the prompt", 240, 272, false},
        {"third line, unlocked", 240, 290, true},
    };
    for (const Case& c : cases) {
        Program p;
        p.boot();
        p.h().newc_Kaikin = c.unlocked;
        // Clear of the prompt, so the press goes to the window.
        ASSERT_EQ(p.t().hit(c.x, c.y), nullptr) << c.what;
        p.app.mouse_down(p.t(), c.x, c.y);
        p.app.mouse_up(p.t(), c.x, c.y);
        EXPECT_TRUE(p.menu_shown()) << c.what;
        EXPECT_EQ(p.clicks_heard(), 2) << c.what << ": the menu step twice";
        EXPECT_FALSE(p.t().Timer2.enabled()) << c.what << ": no level chosen";
    }
}

TEST_F(Title, APressOnOneLineReleasedOnAnotherChoosesNothing) {
    boot();
    h().newc_Kaikin = 1;
    click_background();
    const ui::Control &from = t().img_click[0], &to = t().img_click[2];
    app.mouse_down(t(), from.abs_left() + 10, from.abs_top() + 10);
    app.mouse_up(t(), to.abs_left() + 10, to.abs_top() + 10);
    EXPECT_FALSE(t().Timer2.enabled());
    for (auto& splash : t().img_vs) EXPECT_FALSE(splash.visible);
    EXPECT_TRUE(t().Timer_Sound.enabled()) << "the title music plays on";
}

TEST_F(Title, TheThirdLineIsOfferedOnlyOnceTheBeagleIsUnlocked) {
    boot();
    click_background();
    EXPECT_TRUE(t().img_start[0].visible);
    EXPECT_FALSE(t().img_start[1].visible);
    EXPECT_FALSE(t().img_click[2].enabled);
    winmm.clear();
    choose(2);
    EXPECT_FALSE(t().Timer2.enabled());
    for (auto& s : t().img_vs) EXPECT_FALSE(s.visible);
    EXPECT_TRUE(t().Timer_Sound.enabled()) << "the title music plays on";
    EXPECT_TRUE(winmm.commands.empty());

    h().newc_Kaikin = 1;
    click_background();
    EXPECT_FALSE(t().img_start[0].visible);
    EXPECT_TRUE(t().img_start[1].visible);
    for (auto& z : t().img_click) EXPECT_TRUE(z.enabled);
    choose(2);
    EXPECT_TRUE(t().img_vs[2].visible);
    EXPECT_EQ(h().chara_No, 2);
    EXPECT_EQ(h().chara_Name, "zoda");
}

TEST_F(Title, TheVersionLabelOpensNoMenu) {
    boot();
    click(t(), t().lbl_Ver);
    EXPECT_EQ(clicks_heard(), 0);
    EXPECT_FALSE(menu_shown());
    EXPECT_TRUE(t().Timer1.enabled());
}

TEST(TitleChoice, SplashThenTheGameWindowLoadsAndStartsTheJanken) {
    const struct { int line; const char* name; } cases[] = {{0, "ぽてんねこ"}, {1, "のそくま"}, {2, "zoda"}};
    for (auto c : cases) {
        SCOPED_TRACE(c.line);
        Program p;
        p.boot();
        p.h().newc_Kaikin = 1;
        p.click_background();
        p.winmm.clear();
        p.choose(c.line);
        EXPECT_EQ(p.winmm.commands, kMusicStops);
        EXPECT_FALSE(p.t().Timer_Sound.enabled());
        EXPECT_EQ(p.t().Timer_Sound.tag, "0");
        EXPECT_EQ(p.clicks_heard(), 1);
        EXPECT_EQ(p.h().chara_No, c.line);
        EXPECT_EQ(p.h().chara_Name, c.name);
        EXPECT_EQ(p.seen_at(240, 180), &p.t().img_vs[c.line]) << "the splash covers the window";
        EXPECT_FALSE(p.t().img_newc.visible);

        // A click on the splash chooses nothing and opens no menu.
        p.winmm.clear();
        p.choose((c.line + 1) % 3);
        p.click_background();
        EXPECT_EQ(p.h().chara_No, c.line);
        EXPECT_EQ(p.clicks_heard(), 0);

        p.advance(2999);
        EXPECT_TRUE(p.t().visible());
        EXPECT_FALSE(p.g.main_f_exists());
        p.advance(1);
        EXPECT_FALSE(p.t().visible());
        EXPECT_FALSE(p.t().Timer2.enabled());
        for (auto& s : p.t().img_vs) EXPECT_FALSE(s.visible);
        ASSERT_TRUE(p.g.main_f_exists());
        EXPECT_TRUE(p.f().visible());
        EXPECT_EQ(p.f().lbl_msg.caption, "先攻後攻決めじゃんけん。");
        EXPECT_TRUE(p.f().sentaku_fra.visible);
        EXPECT_TRUE(p.f().img_jyacha[c.line].visible);
        EXPECT_FALSE(p.f().main_Timer.enabled());
        EXPECT_EQ(p.f().main_Timer.tag, "1");
        EXPECT_EQ(p.h().main_Kido, 1);
    }
}

TEST_F(Title, BackToTitleResetsItAndStartsTheMusic) {
    boot();
    to_game(0);
    finish_game(40, 24);
    ASSERT_TRUE(f().img_tit.visible);
    EXPECT_TRUE(winmm.commands.back() == "close bgm") << "the result stopped the game's music";
    winmm.clear();
    back_to_title();
    EXPECT_EQ(clicks_heard(), 1);
    EXPECT_EQ(winmm.commands, kMusicStarts);
    EXPECT_TRUE(t().Timer_Sound.enabled());
    EXPECT_EQ(t().Timer_Sound.tag, "1");
    EXPECT_FALSE(f().visible());
    EXPECT_TRUE(f().img_win.visible) << "the hidden window keeps its last picture";
    EXPECT_TRUE(t().visible());
    EXPECT_TRUE(t().Timer1.enabled());
    EXPECT_FALSE(menu_shown());
    for (auto& z : t().img_click) EXPECT_FALSE(z.enabled);
    for (auto& s : t().img_vs) EXPECT_FALSE(s.visible);
    EXPECT_EQ(seen_at(20, 20), nullptr) << "the title background shows";
}

TEST_F(Title, ALaterChoiceRestartsTheGameWindowHalfASecondAfterShowingIt) {
    boot();
    to_game(0);
    finish_game(40, 24);
    back_to_title();
    click_background();
    choose(1);
    advance(3000);
    EXPECT_TRUE(f().visible());
    EXPECT_FALSE(t().visible());
    EXPECT_TRUE(f().main_Timer.enabled());
    EXPECT_EQ(f().main_Timer.tag, "0");
    EXPECT_EQ(f().main_Timer.interval(), 500);
    advance(499);
    EXPECT_TRUE(f().img_win.visible) << "the previous game's picture for half a second";
    EXPECT_TRUE(f().img_tit.visible);
    advance(1);
    EXPECT_FALSE(f().img_win.visible);
    EXPECT_FALSE(f().img_tit.visible);
    EXPECT_EQ(f().lbl_msg.caption, "先攻後攻決めじゃんけん。");
    EXPECT_TRUE(f().img_jyacha[1].visible);
    EXPECT_EQ(f().lbl_jya2.caption, "勝った方が先攻ですな。");
}

TEST_F(Title, ThreeWinsAgainstThePandaBringTheNewChallenger) {
    boot();
    for (int win = 1; win <= 2; ++win) {
        to_game(1);
        finish_game(40, 24);
        EXPECT_EQ(h().newc_Kazu, win);
        ASSERT_TRUE(f().img_tit.visible);
        back_to_title();
    }
    to_game(1);
    finish_game(40, 24);
    EXPECT_FALSE(f().img_tit.visible);
    EXPECT_TRUE(f().Timer_newc.enabled());
    EXPECT_EQ(h().newc_Kaikin, 1);

    winmm.clear();
    advance(2999);
    EXPECT_TRUE(f().visible());
    advance(1);
    EXPECT_FALSE(f().visible());
    EXPECT_FALSE(f().Timer_newc.enabled());
    EXPECT_TRUE(t().visible());
    EXPECT_EQ(seen_at(240, 180), &t().img_newc);
    EXPECT_EQ(seen_at(240, 240), &t().img_newc) << "the splash lies over the old menu";
    EXPECT_FALSE(t().img_vs[2].visible);
    EXPECT_FALSE(t().lbl_clickmsg.visible);
    EXPECT_FALSE(t().Timer1.enabled()) << "no prompt: the title was not reset";
    EXPECT_EQ(winmm.commands, kMusicStops) << "no title music, only the stop of a closed alias";
    EXPECT_FALSE(t().Timer_Sound.enabled());
    EXPECT_EQ(clicks_heard(), 1);
    EXPECT_EQ(h().chara_No, 2);
    EXPECT_EQ(h().chara_Name, "zoda");
    EXPECT_EQ(h().newc_Flg, 0);
    EXPECT_TRUE(t().Timer2.enabled());

    advance(3000);
    EXPECT_FALSE(t().visible());
    EXPECT_TRUE(f().visible());
    EXPECT_EQ(f().main_Timer.tag, "0");
    advance(500);
    EXPECT_EQ(f().lbl_msg.caption, "先攻後攻決めじゃんけん。");
    EXPECT_TRUE(f().img_jyacha[2].visible);

    // Later the beagle is a line of the menu, with the versus splash.
    finish_game(24, 40);
    back_to_title();
    EXPECT_FALSE(t().img_newc.visible);
    click_background();
    EXPECT_TRUE(t().img_start[1].visible);
    choose(2);
    EXPECT_EQ(seen_at(240, 180), &t().img_vs[2]);
    EXPECT_FALSE(t().img_newc.visible);
}

TEST(TitleClose, EitherWindowClosedAtAnyMomentStopsTheMusicAndEnds) {
    struct Moment {
        const char* what;
        bool game_window;
        std::function<void(Program&)> reach;
    };
    const Moment moments[] = {
        {"prompt", false, [](Program&) {}},
        {"menu", false, [](Program& p) { p.click_background(); }},
        {"splash", false, [](Program& p) {
             p.click_background();
             p.choose(0);
             p.advance(1000);
         }},
        {"janken", true, [](Program& p) { p.to_game(0); }},
        {"user's turn", true, [](Program& p) { p.to_users_first_turn(0); }},
        {"redraw", true,
         [](Program& p) {
             p.to_users_first_turn(0);
             p.click_cell(20);
             p.advance(600);
             ASSERT_TRUE(p.f().Timer_Ishi.enabled());
         }},
        {"result", true, [](Program& p) {
             p.to_game(0);
             p.finish_game(40, 24);
         }},
    };
    for (const auto& m : moments) {
        SCOPED_TRACE(m.what);
        Program p;
        p.boot();
        m.reach(p);
        ui::Form& form = m.game_window ? static_cast<ui::Form&>(p.f()) : p.t();
        ui::Timer& watcher = m.game_window ? p.f().Timer_Sound : p.t().Timer_Sound;
        p.winmm.clear();
        form.close();
        EXPECT_EQ(p.winmm.commands, kMusicStops);
        EXPECT_FALSE(watcher.enabled());
        EXPECT_EQ(watcher.tag, "0");
        EXPECT_TRUE(p.app.ended());
        p.advance(5000);
        EXPECT_EQ(p.winmm.commands, kMusicStops) << "nothing runs after the end";
    }
}

// The whole program on the clock: the title, a game against the cat played
// by clicking the first legal cell, and back to the title.
TEST_F(Title, AWholeGameAgainstTheCatAndBackToTheTitle) {
    boot();
    click_background();
    click(t(), t().img_click[0]);
    advance(3000);
    ASSERT_TRUE(f().visible());
    random.push(2, 2);  // the user plays white: the cat opens
    click(f(), f().img_jya[1]);
    EXPECT_EQ(h().User_Iro, 2);

    int user_moves = 0;
    for (int i = 0; i < 20000 && !f().img_tit.visible; ++i) {
        ASSERT_FALSE(app.message_box()) << app.message_box()->text;
        if (!users_turn()) {
            advance(100);
            continue;
        }
        ASSERT_EQ(h().Teban, h().User_Iro);
        int cell = -1;
        for (int k = 0; k < 64 && cell < 0; ++k)
            if (mdl_okeruXY(h(), k % 8, k / 8)) cell = k;
        ASSERT_GE(cell, 0) << "the engine offers a turn only with a move";
        click_cell(cell);
        ASSERT_EQ(f().main_Timer.tag, "5");
        ++user_moves;
    }
    ASSERT_TRUE(f().img_tit.visible);
    EXPECT_GT(user_moves, 5);
    mdl_IshiKazu(h());
    const int mine = h().Siro_Kazu, cats = h().Kuro_Kazu;
    EXPECT_EQ(f().img_win.visible, mine > cats);
    EXPECT_EQ(f().img_lose.visible, mine < cats);
    EXPECT_EQ(f().img_douten.visible, mine == cats);
    EXPECT_TRUE(f().lbl_charMsg.visible);
    EXPECT_EQ(f().lbl_IshiKazu[0].caption, std::to_string(cats));
    EXPECT_EQ(f().lbl_IshiKazu[1].caption, std::to_string(mine));
    for (int16_t side : {1, 2}) {
        h().Teban = side;
        EXPECT_EQ(mdl_okeruAri(h()), 0) << "the game ran to its end";
    }

    winmm.clear();
    click(f(), f().img_tit);
    EXPECT_FALSE(f().visible());
    EXPECT_TRUE(t().visible());
    EXPECT_EQ(winmm.commands, kMusicStarts);
    EXPECT_FALSE(menu_shown());
    EXPECT_TRUE(t().Timer1.enabled());
    EXPECT_FALSE(t().lbl_clickmsg.visible);
    for (int i = 0; i < 2 && !t().lbl_clickmsg.visible; ++i) advance(500);
    EXPECT_TRUE(t().lbl_clickmsg.visible) << "the blink brings the prompt back";
}

}  // namespace
