// The two real windows as the user sees them: the whole game driven on the
// virtual clock, drawn by the SDL back end under X, each screen saved to
// <build>/screens/*.png and compared pixel by pixel with the pictures it is
// made of. Where a picture is opaque and nothing lies in front of it, the
// window must show exactly its pixels at its control's place.
#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_image.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "../logic/fixture.h"
#include "platform/sdl_backend.h"
#include "png_image.h"

namespace fs = std::filesystem;

namespace {

const fs::path kPictures = fs::path(PATAPATA_BUILD_DIR) / "pictures";
const fs::path kScreens = fs::path(PATAPATA_BUILD_DIR) / "screens";
constexpr const char* kCaption = "ぽてんなパタパタ！";
constexpr const char* kFont = "IPAPGothic";  // the family the back end draws with

std::string hex(uint32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%06X", v);
    return buf;
}

SDL_Rect intersect(const SDL_Rect& a, const SDL_Rect& b) {
    SDL_Rect r{0, 0, 0, 0};
    if (!SDL_IntersectRect(&a, &b, &r)) return SDL_Rect{0, 0, 0, 0};
    return r;
}

bool inside(const SDL_Rect& r, int x, int y) { return x >= r.x && y >= r.y && x < r.x + r.w && y < r.y + r.h; }

// A control's rectangle in whole pixels: each edge of the model's fractional
// position goes to the nearest pixel.
SDL_Rect rect_of(const ui::Control& c) {
    const double l = c.abs_left(), t = c.abs_top();
    const int x0 = int(std::lround(l)), y0 = int(std::lround(t));
    return SDL_Rect{x0, y0, int(std::lround(l + c.width)) - x0, int(std::lround(t + c.height)) - y0};
}

// The part of the window a control may paint: its rectangle cut by its
// containers and the client area.
SDL_Rect visible_rect(const ui::Form& form, const ui::Control& c) {
    SDL_Rect r = intersect(rect_of(c), SDL_Rect{0, 0, form.client_width, form.client_height});
    for (const ui::Control* p = c.container; p; p = p->container) r = intersect(r, rect_of(*p));
    return r;
}

// The order the window paints in: back to front, each frame before its children.
void paint_order(const std::vector<ui::Control*>& list, std::vector<const ui::Control*>& out) {
    for (auto it = list.rbegin(); it != list.rend(); ++it) {
        out.push_back(*it);
        paint_order((*it)->children, out);
    }
}

// Screenshots of the two windows of one whole program, which runs on the
// virtual clock with scripted draws and no sound.
struct Screens : ::testing::Test, GameFixture {
    std::unique_ptr<platform::SdlBackend> backend;
    std::unique_ptr<platform::TextRenderer> text;

    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
        backend = std::make_unique<platform::SdlBackend>(app, kPictures.string());
        std::string error;
        ASSERT_TRUE(backend->init(error)) << error;
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(kPictures))
            if (e.path().extension() == ".png") names.push_back(e.path().stem().string());
        ASSERT_TRUE(backend->load_pictures(names, error)) << error;
        text = std::make_unique<platform::TextRenderer>();
        ASSERT_TRUE(text->open(kFont, error)) << error;
        fs::create_directories(kScreens);
        g.start();
    }
    void TearDown() override {
        text.reset();  // its fonts go before the back end closes SDL_ttf
        backend.reset();
    }

    // Lets the windows follow the model, then saves and reads back one of them.
    std::unique_ptr<Image> shot_to(const ui::Form& form, const fs::path& png) {
        backend->step(0);
        EXPECT_TRUE(backend->save_screenshot(form, png.string())) << png;
        auto image = std::make_unique<Image>(png);
        EXPECT_TRUE(image->ok()) << png;
        return image;
    }
    std::unique_ptr<Image> shot(const ui::Form& form, const std::string& name) {
        return shot_to(form, kScreens / (name + ".png"));
    }

    void expect_window(const ui::Form& form, int w, int h) {
        SDL_Window* win = backend->window_of(form);
        ASSERT_NE(win, nullptr) << form.name;
        int ww = 0, wh = 0;
        SDL_GetWindowSize(win, &ww, &wh);
        EXPECT_EQ(ww, w) << form.name;
        EXPECT_EQ(wh, h) << form.name;
        EXPECT_STREQ(SDL_GetWindowTitle(win), kCaption);
        EXPECT_TRUE(SDL_GetWindowFlags(win) & SDL_WINDOW_SHOWN);
    }

    // Where a control draws anything at all (a picture's transparent parts
    // counted too): nothing behind it is checked there. A hollow rectangle
    // paints only its border, outside `hole`.
    struct Paint {
        SDL_Rect area{0, 0, 0, 0};
        SDL_Rect hole{0, 0, 0, 0};
        bool covers(int x, int y) const { return inside(area, x, y) && !inside(hole, x, y); }
    };
    Paint paint_of(const ui::Form& form, const ui::Control& c) {
        Paint p;
        if (!c.shown()) return p;
        switch (c.kind) {
        case ui::Kind::Picture:
            if (!c.picture.empty() || c.flat_border) p.area = visible_rect(form, c);
            break;
        case ui::Kind::Frame:
            if (c.back_color) p.area = visible_rect(form, c);
            break;
        case ui::Kind::Shape: {
            p.area = visible_rect(form, c);
            const int b = c.border_width;
            if (c.shape == ui::ShapeKind::Rectangle && !c.back_color)
                p.hole = b > 0 ? SDL_Rect{p.area.x + b, p.area.y + b, p.area.w - 2 * b, p.area.h - 2 * b} : p.area;
            break;
        }
        case ui::Kind::Label:
            if (c.caption.empty() && !c.back_color) break;
            p.area = visible_rect(form, c);
            if (c.autosize) {
                // It grows to its text; only its container cuts it.
                const int px = int(std::lround(c.font_pt * 96.0 / 72.0));
                SDL_Rect r = rect_of(c);
                r.w = std::max(r.w, text->text_width(c.caption, px, c.bold));
                r.h = std::max(r.h, text->line_height(px, c.bold));
                p.area = intersect(r, c.container ? visible_rect(form, *c.container)
                                                  : SDL_Rect{0, 0, form.client_width, form.client_height});
            }
            break;
        }
        return p;
    }
    // What the shown controls painted after `c` (after the background when none) cover.
    struct Front {
        std::vector<Paint> paints;
        bool covers(int x, int y) const {
            return std::any_of(paints.begin(), paints.end(), [&](const Paint& p) { return p.covers(x, y); });
        }
    };
    Front in_front_of(const ui::Form& form, const ui::Control* c) {
        std::vector<const ui::Control*> order;
        paint_order(form.controls, order);
        Front front;
        auto it = c ? std::find(order.begin(), order.end(), c) + 1 : order.begin();
        for (; it < order.end(); ++it)
            if (Paint p = paint_of(form, **it); p.area.w > 0 && p.area.h > 0) front.paints.push_back(p);
        return front;
    }

    // The picture shows at the control's place, exactly where it is opaque
    // and nothing is in front; returns how many pixels were compared.
    int expect_picture(const Image& s, const ui::Form& form, const ui::Control& c, const std::string& picture) {
        SCOPED_TRACE(c.name + (c.index >= 0 ? "(" + std::to_string(c.index) + ")" : "") + " showing " + picture);
        EXPECT_TRUE(c.shown());
        Image src(kPictures / (picture + ".png"));
        EXPECT_TRUE(src.ok());
        if (!src.ok()) return 0;
        const SDL_Rect r = rect_of(c), clip = visible_rect(form, c);
        const auto front = in_front_of(form, &c);
        int compared = 0, wrong = 0;
        std::string first;
        for (int y = 0; y < std::min(src.h(), r.h); ++y)
            for (int x = 0; x < std::min(src.w(), r.w); ++x) {
                const int wx = r.x + x, wy = r.y + y;
                if (!inside(clip, wx, wy) || !src.opaque(x, y)) continue;
                if (c.flat_border && (x == 0 || y == 0 || x == r.w - 1 || y == r.h - 1)) continue;
                if (front.covers(wx, wy)) continue;
                ++compared;
                if (s.rgb(wx, wy) != src.rgb(x, y) && wrong++ == 0)
                    first = "(" + std::to_string(wx) + ", " + std::to_string(wy) + ") shows " + hex(s.rgb(wx, wy)) +
                            ", the picture has " + hex(src.rgb(x, y));
            }
        EXPECT_EQ(wrong, 0) << "of " << compared << " pixels; first at " << first;
        EXPECT_GT(compared, r.w * r.h / 4) << "too little of it is visible to judge";
        return compared;
    }

    // The window's background picture shows in the area wherever no control paints.
    void expect_background(const Image& s, const ui::Form& form, const SDL_Rect& area) {
        Image bg(kPictures / (form.background.name + ".png"));
        ASSERT_TRUE(bg.ok());
        const auto front = in_front_of(form, nullptr);
        int compared = 0, wrong = 0;
        std::string first;
        for (int y = area.y; y < area.y + area.h; ++y)
            for (int x = area.x; x < area.x + area.w; ++x) {
                if (front.covers(x, y)) continue;
                ++compared;
                if (s.rgb(x, y) != bg.rgb(x, y) && wrong++ == 0)
                    first = "(" + std::to_string(x) + ", " + std::to_string(y) + ") shows " + hex(s.rgb(x, y)) +
                            ", the background has " + hex(bg.rgb(x, y));
            }
        EXPECT_EQ(wrong, 0) << "of " << compared << " pixels; first at " << first;
        EXPECT_GT(compared, 0);
    }

    // Pixels of a label's text: the window with and without its caption.
    struct Ink {
        int pixels = 0;
        bool outside = false;     // a changed pixel outside the label's place
        bool own_colour = false;  // some pixel in the label's colour exactly
        int left = 1 << 30, right = -1;  // the columns it spans
    };
    Ink ink_of(ui::Form& form, ui::Control& label) {
        const fs::path scratch = fs::temp_directory_path() / ("patapata_ink_" + std::to_string(getpid()) + ".png");
        auto with = shot_to(form, scratch);
        const std::string caption = label.caption;
        label.caption.clear();
        auto without = shot_to(form, scratch);
        label.caption = caption;
        backend->step(0);
        fs::remove(scratch);
        Ink ink;
        const SDL_Rect r = paint_of(form, label).area;
        for (int y = 0; y < with->h(); ++y)
            for (int x = 0; x < with->w(); ++x) {
                if (with->rgb(x, y) == without->rgb(x, y)) continue;
                ++ink.pixels;
                ink.outside |= !inside(r, x, y);
                ink.own_colour |= with->rgb(x, y) == label.fore_color;
                ink.left = std::min(ink.left, x);
                ink.right = std::max(ink.right, x);
            }
        return ink;
    }

    // Every label with a text shows it in one line that fits its place, drawn
    // there in its colour.
    void expect_labels_readable(ui::Form& form) {
        for (ui::Control* c : form.all_controls) {
            if (c->kind != ui::Kind::Label || !c->shown() || c->caption.empty()) continue;
            SCOPED_TRACE(c->name + (c->index >= 0 ? "(" + std::to_string(c->index) + ")" : "") + " \"" +
                         c->caption + "\"");
            const int px = int(std::lround(c->font_pt * 96.0 / 72.0));
            const SDL_Rect r = paint_of(form, *c).area;
            const int width = text->text_width(c->caption, px, c->bold);
            EXPECT_LE(width, r.w) << "the text is cut at the right";
            EXPECT_LE(text->line_height(px, c->bold), r.h) << "the text is cut at the bottom";
            if (!c->autosize) {
                EXPECT_EQ(text->lines(c->caption, px, c->bold, r.w).size(), 1u) << "wrapped: lines below are cut";
            }
            const Ink ink = ink_of(form, *c);
            EXPECT_GT(ink.pixels, 10);
            EXPECT_FALSE(ink.outside);
            EXPECT_TRUE(ink.own_colour) << "colour " << hex(c->fore_color);
            if (c->align == ui::Align::Center && !c->autosize) {
                EXPECT_NEAR(ink.left - r.x, r.x + r.w - 1 - ink.right, 3) << "centred";
            } else {
                EXPECT_NEAR(ink.left, r.x, 3) << "from the left edge";
            }
        }
    }

    // Puts colour(k) in every cell of the model and lets the board redraw
    // follow it; then the game holds still.
    template <class Colour>
    void fill_board(Colour colour) {
        for (int k = 0; k < 64; ++k) h().Ban.cells[size_t(k)] = int16_t(colour(k));
        mdl_IshiHyouji(g);
        for (int i = 0; i < 100 && f().Timer_Ishi.enabled(); ++i) advance(200);
        ASSERT_FALSE(f().Timer_Ishi.enabled());
        f().main_Timer.set_enabled(false);
    }
};

// The title window from the prompt to the splash, by menu line.
struct TitleCase {
    const char* name;
    int line;
    bool unlocked;      // the beagle unlocked: three-line menu
    bool new_challenger;
    const char* menu;
    const char* splash;
};

void PrintTo(const TitleCase& c, std::ostream* os) { *os << c.name; }

class TitleScreens : public Screens, public ::testing::WithParamInterface<TitleCase> {};

TEST_P(TitleScreens, PromptMenuAndSplash) {
    const TitleCase& tc = GetParam();
    TitleForm& tf = t();
    auto prompt = shot(tf, "title_prompt");
    expect_window(tf, 480, 360);
    expect_background(*prompt, tf, SDL_Rect{0, 0, 480, 360});
    expect_labels_readable(tf);  // "Please click" and the version

    advance(500);
    ASSERT_FALSE(tf.lbl_clickmsg.visible);
    auto blink_off = shot(tf, "title_prompt_off");
    expect_background(*blink_off, tf, SDL_Rect{0, 0, 480, 360});  // the prompt's place too

    h().newc_Kaikin = tc.unlocked;
    h().newc_Flg = tc.new_challenger;
    app.mouse_down(tf, 20, 20);
    app.mouse_up(tf, 20, 20);
    auto menu = shot(tf, std::string("title_") + tc.menu);
    ui::Control& shown_menu = tf.img_start[tc.unlocked ? 1 : 0];
    expect_picture(*menu, tf, shown_menu, tc.menu);
    // The click zones draw nothing: around the menu the background is untouched.
    expect_background(*menu, tf, SDL_Rect{0, 0, 480, 360});

    click(tf, tf.img_click[tc.line]);
    auto splash = shot(tf, std::string("title_") + tc.name);
    ui::Control& shown_splash = tc.new_challenger ? tf.img_newc : tf.img_vs[tc.line];
    EXPECT_EQ(expect_picture(*splash, tf, shown_splash, tc.splash), 480 * 360) << "covers the whole window";
}

INSTANTIATE_TEST_SUITE_P(, TitleScreens,
                         ::testing::Values(TitleCase{"easy", 0, false, false, "menu2", "splash_0"},
                                           TitleCase{"hard", 1, false, false, "menu2", "splash_1"},
                                           TitleCase{"expert", 2, true, false, "menu3", "splash_2"},
                                           TitleCase{"new_challenger", 2, true, true, "menu3", "splash_newc"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Screens, JankenPanelCoversTheBoard) {
    to_game(1);
    MainForm& mf = f();
    ASSERT_TRUE(mf.sentaku_fra.shown());
    advance(50);  // the first turn of the CPU's hands
    auto s = shot(mf, "game_janken");
    expect_window(mf, 478, 360);
    EXPECT_FALSE(backend->window_of(t()) && (SDL_GetWindowFlags(backend->window_of(t())) & SDL_WINDOW_SHOWN))
        << "the title window has gone";

    // The panel's picture fills the board's 273 x 273 and not a pixel more:
    // no cell shows through, the 281-pixel picture is cut at the panel's edge.
    ASSERT_EQ(rect_of(mf.sentaku_fra).x, 184);
    ASSERT_EQ(rect_of(mf.sentaku_fra).y, 24);
    EXPECT_GT(expect_picture(*s, mf, mf.Image1, "jya_panel"), 273 * 273 / 2);
    for (const SDL_Rect& ring : {SDL_Rect{183, 23, 283, 1}, SDL_Rect{183, 23, 1, 283},
                                 SDL_Rect{457, 23, 8, 283}, SDL_Rect{183, 297, 283, 8}})
        expect_background(*s, mf, ring);

    for (int i = 0; i < 3; ++i) expect_picture(*s, mf, mf.img_jya[i], "jya_user_" + std::to_string(i));
    expect_picture(*s, mf, mf.img_jyacha[1], "jya_face_1");
    // The CPU's hands take turns, one at a time.
    int cpu_hands = 0;
    for (int i = 0; i < 3; ++i) {
        if (!mf.img_jyacpu[i].visible) continue;
        ++cpu_hands;
        expect_picture(*s, mf, mf.img_jyacpu[i], "jya_cpu_" + std::to_string(i));
    }
    EXPECT_EQ(cpu_hands, 1);
    expect_picture(*s, mf, mf.main_img_ishi[1], "stone_black");
    expect_picture(*s, mf, mf.main_img_ishi[2], "stone_white");
    expect_labels_readable(mf);

    // Scissors against a coin toss the user wins: black, and the CPU's paper.
    random.push(1, 2);
    click(mf, mf.img_jya[1]);
    auto won = shot(mf, "game_janken_won");
    expect_picture(*won, mf, mf.img_jya[1], "jya_user_1");
    expect_picture(*won, mf, mf.img_jyacpu[2], "jya_cpu_2");
    expect_picture(*won, mf, mf.img_ico, "stone_black");
    // The other two hands are gone: the panel's picture shows in their place.
    EXPECT_FALSE(mf.img_jya[0].visible || mf.img_jya[2].visible);
    expect_picture(*won, mf, mf.Image1, "jya_panel");
    expect_labels_readable(mf);
}

// Cell k's picture area on the window.
SDL_Rect cell_rect(int k) { return SDL_Rect{192 + 32 * (k % 8), 32 + 32 * (k / 8), 32, 32}; }

TEST_F(Screens, StonesSitOnTheThirtyTwoPixelGrid) {
    to_users_first_turn(0);
    MainForm& mf = f();
    auto s = shot(mf, "game_start");
    for (int k = 0; k < 64; ++k) {
        const SDL_Rect want = cell_rect(k), got = rect_of(mf.img_ishi[k]);
        ASSERT_TRUE(got.x == want.x && got.y == want.y && got.w == 32 && got.h == 32) << "cell " << k;
    }
    // The start position, and every other cell empty: the board's colour
    // inside a ring of grid lines, all cells alike.
    const uint32_t board = *mf.Frame1.back_color, grid = s->rgb(192, 32);
    EXPECT_NE(grid, board);
    const auto front = in_front_of(mf, &mf.img_ishi[0]);  // the four dots
    for (int k = 0; k < 64; ++k) {
        SCOPED_TRACE("cell " + std::to_string(k));
        if (k == 27 || k == 36) {
            expect_picture(*s, mf, mf.img_ishi[k], "stone_black");
            continue;
        }
        if (k == 28 || k == 35) {
            expect_picture(*s, mf, mf.img_ishi[k], "stone_white");
            continue;
        }
        const SDL_Rect r = cell_rect(k);
        int wrong = 0;
        for (int y = r.y; y < r.y + r.h; ++y)
            for (int x = r.x; x < r.x + r.w; ++x) {
                if (front.covers(x, y)) continue;
                const bool ring = x == r.x || y == r.y || x == r.x + 31 || y == r.y + 31;
                wrong += s->rgb(x, y) != (ring ? grid : board);
            }
        EXPECT_EQ(wrong, 0);
    }
    expect_picture(*s, mf, mf.img_char_main, mf.img_char_main.picture.name);
    expect_background(*s, mf, SDL_Rect{0, 0, 478, 360});
    expect_labels_readable(mf);

    // Every cell filled through the model and the board redraw, in a pattern
    // that no swap of rows and columns or shift by a cell would keep.
    auto colour = [](int k) { return k % 3 == 0 ? 1 : 2; };
    fill_board(colour);
    auto full = shot(mf, "game_full_board");
    for (int k = 0; k < 64; ++k) {
        SCOPED_TRACE("cell " + std::to_string(k));
        expect_picture(*full, mf, mf.img_ishi[k], colour(k) == 1 ? "stone_black" : "stone_white");
    }
    expect_labels_readable(mf);  // the counts "22" and "42"
}

// The result of a game, by outcome.
struct ResultCase {
    const char* name;
    int line, user;  // the CPU has the rest of the 64
    ui::Control MainForm::*banner;
    const char* picture;
};

void PrintTo(const ResultCase& c, std::ostream* os) { *os << c.name; }

class ResultScreens : public Screens, public ::testing::WithParamInterface<ResultCase> {};

TEST_P(ResultScreens, BannerBalloonAndWayBack) {
    const ResultCase& rc = GetParam();
    h().newc_Kaikin = rc.line == 2;  // the beagle's line is offered
    to_users_first_turn(rc.line);
    // A full board of the final score, the user black, then the judgement.
    fill_board([&](int k) { return k < rc.user ? 1 : 2; });
    ASSERT_EQ(h().Kuro_Kazu, rc.user);
    mdl_kekkaHantei(g);
    MainForm& mf = f();
    auto s = shot(mf, std::string("game_") + rc.name);
    expect_picture(*s, mf, mf.*rc.banner, rc.picture);
    for (auto other : {&MainForm::img_win, &MainForm::img_lose, &MainForm::img_douten}) {
        EXPECT_EQ((mf.*other).visible, other == rc.banner);
    }
    // The plain white plate around the banner.
    const SDL_Rect plate = visible_rect(mf, mf.Shp_tit), banner = visible_rect(mf, mf.*rc.banner);
    int plate_px = 0, wrong = 0;
    for (int y = plate.y; y < plate.y + plate.h; ++y)
        for (int x = plate.x; x < plate.x + plate.w; ++x)
            if (!inside(banner, x, y)) ++plate_px, wrong += s->rgb(x, y) != *mf.Shp_tit.back_color;
    EXPECT_GT(plate_px, 0);
    EXPECT_EQ(wrong, 0) << "of the plate's " << plate_px << " pixels";
    expect_picture(*s, mf, mf.img_tit, "tit_button");
    expect_picture(*s, mf, mf.img_hukidasi, "balloon");
    expect_picture(*s, mf, mf.img_char_main, mf.img_char_main.picture.name);
    expect_background(*s, mf, SDL_Rect{0, 0, 478, 360});
    expect_labels_readable(mf);  // the closing line in the balloon
}

INSTANTIATE_TEST_SUITE_P(, ResultScreens,
                         ::testing::Values(ResultCase{"win", 0, 40, &MainForm::img_win, "banner_win"},
                                           ResultCase{"lose", 1, 30, &MainForm::img_lose, "banner_lose"},
                                           ResultCase{"draw", 2, 32, &MainForm::img_douten, "banner_draw"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
