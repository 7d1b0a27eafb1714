// A seeded storm over the whole program on the virtual clock: presses and
// clicks at random points of either window (shown or hidden) at random
// moments, the refusal box dismissed at once or late, windows closed now and
// then and a fresh program started after each close, thousands of games of
// every character. The program's rules are checked after every event.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "cpu/mdl_CPU.h"
#include "game.h"
#include "match/match.h"
#include "state/mdl.h"

namespace {

// Counts every multimedia call and follows the music device: opening the
// alias while it is open is counted, as a real device would refuse it. The
// music now and then reports "stopped", so the loop watchers restart it.
class StormWinmm : public Winmm {
public:
    explicit StormWinmm(uint64_t seed) : rng_(seed) {}
    int64_t calls = 0;
    bool open = false;
    int reopened = 0;
    int32_t sndPlaySoundA(const uint8_t*, size_t, int32_t) override {
        ++calls;
        return 1;
    }
    int32_t mciSendStringA(const std::string& command, char* reply, int32_t length, int32_t) override {
        ++calls;
        if (command.rfind("open ", 0) == 0) {
            reopened += open;
            open = true;
        } else if (command == "close bgm") {
            open = false;
        }
        if (reply && length > 0) {
            const bool stopped = command == "status bgm mode" && rng_() % 40 == 0;
            std::snprintf(reply, size_t(length), "%s", stopped ? "stopped" : "playing");
        }
        return 0;
    }

private:
    std::mt19937_64 rng_;
};

// One run of the program, from its start to its close.
struct Program {
    explicit Program(uint64_t seed) : random(seed), winmm(seed * 31 + 7) {
        g.start();
        g.snd.snd_oki = std::vector<uint8_t>{'o', 0};
        g.snd.snd_kae = std::vector<uint8_t>{'k', 0};
    }
    ui::VirtualClock clock;
    ui::SeededRandom random;
    StormWinmm winmm;
    ui::App app{clock, random, "/opt/patapata"};
    Game g{app, winmm};
};

// What a refused event must leave alone.
struct Snapshot {
    int64_t calls;
    BoardTable ban;
    int16_t teban, user, chara, newc_flg, newc_kazu, newc_kaikin;
    std::string phase;
    bool phase_on, game_shown, title_shown, menu_on, splash_on, jya2_on;
    bool operator==(const Snapshot&) const = default;
};

// An endless loop inside a handler or the clock would hang the run without a
// word: when no event has finished for this long, name the seed and abort.
class Watchdog {
public:
    Watchdog(uint64_t seed, const std::atomic<int64_t>& beat)
        : thread_([this, seed, &beat] {
              std::unique_lock<std::mutex> lock(m_);
              int64_t last = -1;
              while (!cv_.wait_for(lock, std::chrono::seconds(30), [this] { return stop_; })) {
                  const int64_t now = beat.load(std::memory_order_relaxed);
                  if (now == last) {
                      std::fprintf(stderr, "seed %llu, event %lld: no event finished in 30 s: a hang\n",
                                   (unsigned long long)seed, (long long)now);
                      std::abort();
                  }
                  last = now;
              }
          }) {}
    ~Watchdog() {
        {
            std::lock_guard<std::mutex> lock(m_);
            stop_ = true;
        }
        cv_.notify_one();
        thread_.join();
    }

private:
    std::mutex m_;
    std::condition_variable cv_;
    bool stop_ = false;
    std::thread thread_;
};

constexpr int kCat = 0, kPanda = 1, kBeagle = 2;
// Longest stretch of virtual time the program may stay busy without waiting
// for the user: a whole game of CPU moves while the user passes, each at
// most 500 + 500 + a redraw of 19 stones + a 1500 ms pass message, plus the
// janken close, the start of play and the result.
constexpr int64_t kMaxBusyMs = 400'000;

class Storm {
public:
    Storm(int target, uint64_t seed) : target_(target), seed_(seed), rng_(seed), mind_(seed + 1) {}

    // Storms until `games` results against the target character, or fails.
    void run(int games, int64_t max_events) {
        Watchdog watchdog(seed_, beat_);
        start_program();
        while (!failed_ && games_[size_t(target_)] < games) {
            if (event_ >= max_events) {
                fail("too few games finished in the events allowed");
                break;
            }
            step();
        }
    }

    std::array<int, 3> games_{}, wins_{};
    int64_t event_ = 0;
    int programs_ = 0, unlocks_ = 0, boxes_ = 0;
    int64_t longest_busy_ = 0;

private:
    // --- the storm's own dice ---------------------------------------------
    double uniform() { return std::uniform_real_distribution<double>(0, 1)(rng_); }
    bool chance(double p) { return uniform() < p; }
    int below(int n) { return int(rng_() % uint64_t(n)); }
    int64_t delay() {
        const double r = uniform();
        if (r < 0.2) return 0;
        if (r < 0.6) return 1 + below(200);
        if (r < 0.85) return 200 + below(800);
        return 1000 + below(3000);
    }

    Hensu& h() { return p_->g.hensu; }
    TitleForm& t() { return p_->g.title_f; }
    bool game_exists() const { return p_->g.main_f_exists(); }
    MainForm& f() { return p_->g.main_f(); }

    // --- the program's life -----------------------------------------------
    void start_program() {
        p_ = std::make_unique<Program>(rng_());
        ++programs_;
        hooked_ = false;
        busy_ms_ = 0;
        // The beagle needs the unlock, which lasts one run: the storm grants
        // it, or leaves the streak one win short and the user plays the panda
        // in earnest until a win brings it.
        sharp_ = false;
        if (target_ == kBeagle && chance(0.75)) {
            h().newc_Kaikin = 1;
        } else if (target_ == kBeagle || (target_ == kPanda && chance(0.3))) {
            h().newc_Kazu = 2;
            sharp_ = true;
        }
    }

    // The result is checked inside the very tick that judges the game.
    void hook_phase_engine() {
        if (hooked_ || !game_exists()) return;
        hooked_ = true;
        ui::Timer& t = f().main_Timer;
        t.on_tick = [this, judge = t.on_tick] {
            const bool result = f().main_Timer.tag == "7";
            judge();
            if (result) on_result();
        };
    }

    void step() {
        beat_.store(++event_, std::memory_order_relaxed);
        ui::App& app = p_->app;
        if (app.message_box()) {
            const double r = uniform();
            if (r < 0.4) {
                app.close_message_box();
            } else if (r < 0.75) {
                advance(delay());
            } else {
                const Snapshot before = snapshot();
                pointer();
                expect(snapshot() == before, "an event went through the message box");
            }
        } else if (chance(1.0 / 6000)) {
            close_window();
        } else if (chance(0.42)) {
            advance(delay());
        } else {
            pointer();
        }
        hook_phase_engine();
        check();
    }

    void advance(int64_t ms) {
        if (!waiting()) busy_ms_ += ms;
        p_->app.advance(ms);
    }

    void close_window() {
        const bool game_window = game_exists() && chance(0.5);
        ui::Form& form = game_window ? static_cast<ui::Form&>(f()) : t();
        form.close();
        expect(p_->app.ended(), "a closed window left the program running");
        expect(!p_->winmm.open, "a closed window left the music open");
        const Snapshot before = snapshot();
        p_->app.advance(5000);
        pointer();
        expect(snapshot() == before, "the program went on after its end");
        start_program();
    }

    // --- pointer events ---------------------------------------------------
    struct Point {
        double x, y;
    };
    Point inside(const ui::Control& c) {
        return {c.abs_left() + uniform() * c.width, c.abs_top() + uniform() * c.height};
    }
    Point anywhere(const ui::Form& form) {
        return {uniform() * form.client_width, uniform() * form.client_height};
    }

    void pointer() {
        // Mostly the window that shows; sometimes either, hidden or not.
        ui::Form* form = &t();
        if (game_exists() && (chance(0.15) ? chance(0.5) : f().visible())) form = &f();
        const bool hidden = !form->visible();
        const Snapshot before = snapshot();
        const bool had_box = p_->app.message_box().has_value();
        const Point at = form == &t() ? title_point() : game_point();
        ui::App& app = p_->app;
        const double kind = uniform();
        if (kind < 0.7) {
            app.mouse_down(*form, at.x, at.y);
            app.mouse_up(*form, at.x, at.y);
        } else if (kind < 0.8) {  // released somewhere else
            app.mouse_down(*form, at.x, at.y);
            const Point to = form == &t() ? title_point() : game_point();
            app.mouse_up(*form, to.x, to.y);
        } else if (kind < 0.9) {
            app.mouse_down(*form, at.x, at.y);
        } else {
            app.mouse_up(*form, at.x, at.y);
        }
        if (hidden) expect(snapshot() == before, "a hidden window took a pointer event");
        if (!had_box && app.message_box()) {
            ++boxes_;
            const ui::MessageBox& box = *app.message_box();
            expect(box.text == "そこは置けません！" && box.style == 48 && box.title == "ぽてんなパタパタ！",
                   "a box other than the refusal");
            // Only an empty cell reaches the placement test, in the user's
            // turn or after a game that ended with empty cells.
            MainForm& m = f();
            expect(!m.main_Timer.enabled() && !m.Timer_Ishi.enabled() && h().Teban == h().User_Iro &&
                       (m.main_Timer.tag == "3" || m.main_Timer.tag == "7"),
                   "the refusal outside the user's turn");
        }
    }

    Point title_point() {
        const double r = uniform();
        if (r < 0.35) {
            int line = target_;
            if (target_ == kBeagle && h().newc_Kaikin != 1) line = kPanda;  // on to the unlock
            if (chance(0.3)) line = below(3);
            return inside(t().img_click[line]);
        }
        if (r < 0.45) return inside(t().lbl_clickmsg);
        return anywhere(t());
    }

    Point game_point() {
        MainForm& m = f();
        const double r = uniform();
        if (r < 0.45) {
            if (users_turn() && chance(sharp_ ? 0.95 : 0.6)) return inside(m.img_ishi[users_cell()]);
            return inside(m.img_ishi[below(64)]);
        }
        if (r < 0.6) return inside(m.img_jya[below(3)]);
        if (r < 0.7) return inside(m.img_tit);
        return anywhere(m);
    }

    // A legal cell: the beagle's own judgement, always when the user is out
    // to unlock it, otherwise half the time; any legal cell the other half.
    int users_cell() {
        Hensu copy = h();
        copy.Teban = copy.User_Iro;
        if (sharp_ || chance(0.5)) {
            copy.chara_No = kBeagle;
            const int cell = mdl_CPU_choose(copy, mind_);
            if (cell >= 0) return cell;
        }
        std::vector<int> legal;
        for (int i = 0; i < 64; ++i)
            if (mdl_okeruXY(copy, i % 8, i / 8)) legal.push_back(i);
        return legal.empty() ? below(64) : legal[size_t(below(int(legal.size())))];
    }

    // --- the model's state ------------------------------------------------
    Snapshot snapshot() {
        const bool game = game_exists();
        return {p_->winmm.calls,
                h().Ban,
                h().Teban,
                h().User_Iro,
                h().chara_No,
                h().newc_Flg,
                h().newc_Kazu,
                h().newc_Kaikin,
                game ? f().main_Timer.tag : "",
                game && f().main_Timer.enabled(),
                game && f().visible(),
                t().visible(),
                t().Timer1.enabled(),
                t().Timer2.enabled(),
                game && f().Timer_jya2.enabled()};
    }

    // The engine rests in the user's turn: phase "3", neither timer on.
    bool users_turn() {
        return game_exists() && f().main_Timer.tag == "3" && !f().main_Timer.enabled() &&
               !f().Timer_Ishi.enabled();
    }

    // The program waits for the user: the box, the prompt or the menu, the
    // janken hands, the user's turn, or the result's way back.
    bool waiting() {
        if (p_->app.message_box() || p_->app.ended()) return true;
        if (t().visible()) return !t().Timer2.enabled();
        if (!game_exists() || !f().visible()) return false;
        MainForm& m = f();
        if (m.main_Timer.enabled() || m.Timer_Ishi.enabled() || m.Timer_jya2.enabled() ||
            m.Timer_newc.enabled())
            return false;
        const std::string& phase = m.main_Timer.tag;
        return phase == "3" || (phase == "7" && m.img_tit.visible) ||
               (phase == "1" && m.sentaku_fra.visible && m.Timer_jya.enabled());
    }

    // --- checks -----------------------------------------------------------
    std::string state() {
        std::ostringstream s;
        s << "title " << (t().visible() ? "shown" : "hidden") << ", Timer2 " << t().Timer2.enabled();
        if (game_exists()) {
            MainForm& m = f();
            s << "; main_f " << (m.visible() ? "shown" : "hidden") << ", phase \"" << m.main_Timer.tag
              << "\" " << (m.main_Timer.enabled() ? "on" : "off") << ", Timer_Ishi " << m.Timer_Ishi.enabled()
              << " \"" << m.Timer_Ishi.tag << "\", Timer_jya " << m.Timer_jya.enabled() << ", Timer_jya2 "
              << m.Timer_jya2.enabled() << ", Timer_newc " << m.Timer_newc.enabled() << ", lbl_msg \""
              << m.lbl_msg.caption << "\"";
        }
        s << "; box " << p_->app.message_box().has_value() << ", chara " << h().chara_No << ", user "
          << h().User_Iro << ", Teban " << h().Teban << ", counts " << h().Kuro_Kazu << "/" << h().Siro_Kazu
          << ", t " << p_->clock.now;
        return s.str();
    }
    void fail(const std::string& what) {
        if (failed_) return;
        failed_ = true;
        ADD_FAILURE() << "seed " << seed_ << ", event " << event_ << ": " << what << "\n  " << state();
    }
    bool expect(bool ok, const char* what) {
        if (!ok) fail(what);
        return ok;
    }

    void check() {
        for (int16_t c : h().Ban.cells)
            if (!expect(c == kEmpty || c == kBlack || c == kWhite, "a cell of Ban holds a mark or junk"))
                return;
        if (p_->app.ended()) return;
        const bool game = game_exists();
        expect(t().visible() != (game && f().visible()), "not exactly one window shows");
        if (t().Timer2.enabled())
            expect(t().img_vs[h().chara_No].visible || t().img_newc.visible,
                   "no splash during the hand-over");
        // One tune at a time, and a loop watcher on exactly while it is open.
        const bool title_music = t().Timer_Sound.enabled();
        const bool game_music = game && f().Timer_Sound.enabled();
        expect(p_->winmm.reopened == 0, "the music opened over an open tune");
        expect(!(title_music && game_music), "both windows watch the music");
        expect(p_->winmm.open == (title_music || game_music), "the music device and its watcher disagree");
        if (game) check_game_window();
        check_moving_on();
    }

    void check_game_window() {
        MainForm& m = f();
        const std::string& phase = m.main_Timer.tag;
        if (!expect(phase.size() == 1 && phase[0] >= '0' && phase[0] <= '7',
                    "the phase tag is not \"0\"..\"7\""))
            return;
        // At most one step pending. A janken answered on the abandoned
        // game's panel while a new game's "0" is pending is the one overlap:
        // the new game's reset switches the close timer off.
        const int pending =
            m.main_Timer.enabled() + m.Timer_Ishi.enabled() + m.Timer_jya2.enabled() + m.Timer_newc.enabled();
        const bool new_game_over_janken =
            pending == 2 && m.main_Timer.enabled() && phase == "0" && m.Timer_jya2.enabled();
        expect(pending <= 1 || new_game_over_janken, "more than one phase step pending");
        expect(m.Timer_Ishi.enabled() || m.Timer_Ishi.tag == "0", "the idle redraw cursor is not \"0\"");
        if (phase >= "2") expect(!m.sentaku_fra.visible, "the janken panel lies over a game in play");
        for (int i = 0; i < 64; ++i) {
            const ui::Control& cell = m.img_ishi[i];
            const bool ok = cell.tag == "0"   ? cell.picture.empty()
                            : cell.tag == "1" ? cell.picture == m.main_img_ishi[1].picture
                            : cell.tag == "2" ? cell.picture == m.main_img_ishi[2].picture
                                              : false;
            if (!expect(ok, "a cell picture and its tag disagree")) return;
        }
        if (users_turn()) {
            board_agrees("in the user's turn");
            expect(h().Teban == h().User_Iro, "the user's turn with Teban on the CPU's colour");
            expect(mdl_okeruAri(h()) == 1, "the user's turn without a legal move");
            expect(m.lbl_msg.caption == "あなたの番です。", "the user's turn without its message");
            expect(m.Frame1.mouse_icon == m.main_img_ishi[h().User_Iro].picture,
                   "the user's turn without the user's stone as cursor");
        }
    }

    // The counts, the cell pictures and the two labels all follow Ban.
    void board_agrees(const char* when) {
        MainForm& m = f();
        int black = 0, white = 0;
        for (int i = 0; i < 64; ++i) {
            const int16_t v = h().Ban.cells[size_t(i)];
            black += v == kBlack;
            white += v == kWhite;
            const std::string& tag = m.img_ishi[i].tag;
            if (tag.size() != 1 || tag[0] - '0' != v)
                return fail(std::string(when) + ": cell " + std::to_string(i) + " shows \"" + tag +
                            "\", Ban holds " + std::to_string(v));
        }
        if (h().Kuro_Kazu != black || h().Siro_Kazu != white)
            return fail(std::string(when) + ": the counts differ from Ban's " + std::to_string(black) + "/" +
                        std::to_string(white));
        if (m.lbl_IshiKazu[0].caption != std::to_string(black) ||
            m.lbl_IshiKazu[1].caption != std::to_string(white))
            fail(std::string(when) + ": the count labels read " + m.lbl_IshiKazu[0].caption + "/" +
                 m.lbl_IshiKazu[1].caption);
    }

    // Unless it waits for the user, the program has a step due within the
    // longest timer of the flow, and it never stays busy for too long.
    void check_moving_on() {
        if (waiting()) {
            busy_ms_ = 0;
            return;
        }
        longest_busy_ = std::max(longest_busy_, busy_ms_);
        expect(busy_ms_ <= kMaxBusyMs, "busy too long without waiting for the user");
        const int64_t soon = p_->clock.now + 3000;
        auto due = [soon](const ui::Timer& t) { return t.enabled() && t.due() <= soon; };
        bool any = due(t().Timer2);
        if (game_exists()) {
            MainForm& m = f();
            any = any || due(m.main_Timer) || due(m.Timer_Ishi) || due(m.Timer_jya2) || due(m.Timer_newc);
        }
        expect(any, "stuck: not waiting for the user and no step due");
    }

    void on_result() {
        MainForm& m = f();
        Hensu& hv = h();
        if (!expect(hv.chara_No >= 0 && hv.chara_No <= 2, "a result against no character")) return;
        ++games_[size_t(hv.chara_No)];
        board_agrees("at the result");
        Hensu copy = hv;
        for (int16_t side : {kBlack, kWhite}) {
            copy.Teban = side;
            expect(mdl_okeruAri(copy) == 0, "a game judged while a side could still move");
        }
        const int user = hv.User_Iro == 1 ? hv.Kuro_Kazu : hv.Siro_Kazu;
        const int cpu = hv.User_Iro == 1 ? hv.Siro_Kazu : hv.Kuro_Kazu;
        wins_[size_t(hv.chara_No)] += user > cpu;
        expect(m.img_win.visible == (user > cpu) && m.img_lose.visible == (user < cpu) &&
                   m.img_douten.visible == (user == cpu),
               "the banner does not match the counts");
        expect(m.lbl_charMsg.visible && m.img_hukidasi.visible && !m.lbl_charMsg.caption.empty(),
               "no closing line");
        if (hv.newc_Flg == 1) {
            ++unlocks_;
            expect(m.Timer_newc.enabled() && !m.img_tit.visible, "the unlock without the way back by itself");
        } else {
            expect(m.img_tit.visible && m.img_tit.enabled && !m.Timer_newc.enabled(),
                   "a result without the back-to-title picture");
        }
    }

    int target_;
    uint64_t seed_;
    std::mt19937_64 rng_;
    ui::SeededRandom mind_;  // the user's own thinking
    std::unique_ptr<Program> p_;
    bool hooked_ = false;
    bool sharp_ = false;  // the user plays the panda for the unlock
    bool failed_ = false;
    int64_t busy_ms_ = 0;
    std::atomic<int64_t> beat_{0};
};

// PATAPATA_STORM_SEED replays or explores another seed.
uint64_t storm_seed(uint64_t fallback) {
    const char* s = std::getenv("PATAPATA_STORM_SEED");
    return s ? std::strtoull(s, nullptr, 10) : fallback;
}

void storm(int target, uint64_t seed, int games) {
    seed = storm_seed(seed);
    Storm s(target, seed);
    s.run(games, int64_t(games) * 5000);
    EXPECT_GE(s.games_[size_t(target)], games);
    std::printf(
        "storm seed %llu: games (won) cat %d (%d), panda %d (%d), beagle %d (%d); %lld events, "
        "%d programs, %d unlocks, %d boxes, longest busy %lld ms\n",
        (unsigned long long)seed, s.games_[0], s.wins_[0], s.games_[1], s.wins_[1], s.games_[2], s.wins_[2],
        (long long)s.event_, s.programs_, s.unlocks_, s.boxes_, (long long)s.longest_busy_);
}

TEST(Storm, GamesAgainstTheCat) { storm(kCat, 101, 1000); }
TEST(Storm, GamesAgainstThePanda) { storm(kPanda, 202, 1000); }
TEST(Storm, GamesAgainstTheBeagle) { storm(kBeagle, 303, 1000); }

}  // namespace
