// The SDL back end on a real X display (Xvfb): what a window shows, where the
// mouse goes, the message box, and the program's start-up checks.
#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_image.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>

#include "platform/sdl_backend.h"
#include "png_image.h"
#include "ui/files.h"
#include "ui/ui.h"

// Last: the X11 headers behind it define words like None and Bool.
#include <SDL_syswm.h>

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kBg = 0xC8C8C8, kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF,
                   kYellow = 0xFFFF00;

bool have_tool(const char* name) {
    return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

bool write_png(const fs::path& path, int w, int h, uint32_t rgb) {
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888);
    if (!s) return false;
    SDL_FillRect(s, nullptr, SDL_MapRGB(s->format, Uint8(rgb >> 16), Uint8(rgb >> 8), Uint8(rgb)));
    const bool ok = IMG_SavePNG(s, path.c_str()) == 0;
    SDL_FreeSurface(s);
    return ok;
}

class TestForm : public ui::Form {
public:
    explicit TestForm(ui::App& app) : ui::Form(app) {
        caption = "テスト窓";
        client_width = 300;
        client_height = 220;
        background = {"bg"};
        icon = {"icon"};
        // Front to back.
        add(cover, ui::Kind::Picture, "cover", 10, 10, 30, 30).picture = {"green"};
        cover.visible = false;
        add(lbl, ui::Kind::Label, "lbl", 10, 150, 200, 30);
        lbl.caption = "あいうABC";
        lbl.font_pt = 14.25;
        lbl.bold = true;
        lbl.fore_color = 0x000000;
        add(pic, ui::Kind::Picture, "pic", 10.4, 9.6, 30, 30).picture = {"red"};  // the picture is 40 wide
        pic.on_click = [this](int) { ++pic_clicks; };
        add(cell, ui::Kind::Picture, "cell", 10, 60, 32, 32).flat_border = true;
        add(dot, ui::Kind::Shape, "dot", 60, 60, 20, 20).shape = ui::ShapeKind::Circle;
        dot.back_color = 0x000000;
        add(frame, ui::Kind::Frame, "frame", 150, 20, 100, 80);
        frame.back_color = kBlue;
        add(child, ui::Kind::Picture, "child", 10, 10, 20, 20, &frame).picture = {"green"};
        child.on_click = [this](int) { ++child_clicks; };
        add(overflow, ui::Kind::Picture, "overflow", 70, 50, 60, 60, &frame).picture = {"yellow"};
        on_click = [this] { ++form_clicks; };
        app.register_form(*this);
    }

    ui::Control cover, lbl, pic, cell, dot, frame, child, overflow;
    int pic_clicks = 0, child_clicks = 0, form_clicks = 0;
};

class BackendTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
        char tmpl[] = "/tmp/patapata_backend_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        backend_ = std::make_unique<platform::SdlBackend>(app_, dir_.string());
        std::string error;
        ASSERT_TRUE(backend_->init(error)) << error;
        ASSERT_TRUE(write_png(dir_ / "bg.png", 300, 220, kBg));
        ASSERT_TRUE(write_png(dir_ / "red.png", 40, 30, kRed));
        ASSERT_TRUE(write_png(dir_ / "green.png", 20, 20, kGreen));
        ASSERT_TRUE(write_png(dir_ / "yellow.png", 60, 60, kYellow));
        ASSERT_TRUE(write_png(dir_ / "icon.png", 16, 16, kRed));
        ASSERT_TRUE(backend_->load_pictures({"bg", "red", "green", "yellow", "icon"}, error)) << error;
        form_ = std::make_unique<TestForm>(app_);
    }

    void TearDown() override {
        form_.reset();
        backend_.reset();
        if (!dir_.empty()) fs::remove_all(dir_);
    }

    unsigned long xid(SDL_Window* w) {
        SDL_SysWMinfo info;
        SDL_VERSION(&info.version);
        if (!w || !SDL_GetWindowWMInfo(w, &info) || info.subsystem != SDL_SYSWM_X11) return 0;
        return static_cast<unsigned long>(info.info.x11.window);
    }

    // Steps the real loop until the condition holds or three seconds pass.
    bool pump_until(const std::function<bool()>& done) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        while (!done()) {
            if (std::chrono::steady_clock::now() > until) return false;
            backend_->step(10);
        }
        return true;
    }

    // Real pointer input through the X server when xdotool is there.
    void mouse(SDL_Window* w, int x, int y, bool click) {
        const unsigned long id = xid(w);
        if (id && have_tool("xdotool")) {
            std::string cmd = "xdotool mousemove --window " + std::to_string(id) + " " + std::to_string(x) +
                              " " + std::to_string(y) + (click ? " click 1" : "");
            ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
            return;
        }
        SDL_WarpMouseInWindow(w, x, y);
        if (!click) return;
        for (Uint32 type : {SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP}) {
            SDL_Event e{};
            e.type = type;
            e.button.windowID = SDL_GetWindowID(w);
            e.button.button = SDL_BUTTON_LEFT;
            e.button.x = x;
            e.button.y = y;
            SDL_PushEvent(&e);
        }
    }

    void key_return(SDL_Window* w) {
        const unsigned long id = xid(w);
        if (id && have_tool("xdotool")) {
            std::string cmd = "xdotool key --window " + std::to_string(id) + " Return";
            ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
            return;
        }
        SDL_Event e{};
        e.type = SDL_KEYDOWN;
        e.key.windowID = SDL_GetWindowID(w);
        e.key.keysym.sym = SDLK_RETURN;
        SDL_PushEvent(&e);
    }

    ui::SteadyClock clock_;
    ui::SeededRandom random_{1};
    ui::App app_{clock_, random_, "/nonexistent"};
    fs::path dir_;
    std::unique_ptr<platform::SdlBackend> backend_;
    std::unique_ptr<TestForm> form_;
};

TEST_F(BackendTest, DrawsTheFormAsLaidOut) {
    TestForm& f = *form_;
    backend_->step(0);
    EXPECT_EQ(backend_->window_of(f), nullptr) << "no window before the form is shown";
    f.show();
    backend_->step(0);
    SDL_Window* w = backend_->window_of(f);
    ASSERT_NE(w, nullptr);
    int ww = 0, wh = 0;
    SDL_GetWindowSize(w, &ww, &wh);
    EXPECT_EQ(ww, 300);
    EXPECT_EQ(wh, 220);
    EXPECT_STREQ(SDL_GetWindowTitle(w), "テスト窓");
    EXPECT_FALSE(SDL_GetWindowFlags(w) & SDL_WINDOW_RESIZABLE);

    const fs::path png = dir_ / "shot.png";
    ASSERT_TRUE(backend_->save_screenshot(f, png.string()));
    Image s(png);
    ASSERT_TRUE(s.ok());
    ASSERT_EQ(s.w(), 300);
    EXPECT_EQ(s.rgb(2, 2), kBg);
    EXPECT_EQ(s.rgb(20, 20), kRed) << "the hidden cover in front isn't drawn";
    EXPECT_EQ(s.rgb(10, 10), kRed) << "10.4, 9.6 round to 10, 10";
    EXPECT_EQ(s.rgb(45, 20), kBg) << "the 40-wide picture is cut at its 30-wide control";
    EXPECT_EQ(s.rgb(200, 40), kBlue) << "the frame's colour";
    EXPECT_EQ(s.rgb(165, 35), kGreen) << "a child in front of its frame";
    EXPECT_EQ(s.rgb(230, 80), kYellow) << "a child partly outside its frame";
    EXPECT_EQ(s.rgb(255, 80), kBg) << "the part outside the frame is cut off";
    EXPECT_EQ(s.rgb(160, 105), kBg);
    EXPECT_EQ(s.rgb(10, 75), 0x404040u) << "the flat border of a cell";
    EXPECT_EQ(s.rgb(25, 75), kBg) << "a cell without a picture is transparent inside";
    EXPECT_EQ(s.rgb(70, 70), 0x000000u) << "the circle's middle";
    EXPECT_EQ(s.rgb(61, 61), kBg) << "outside the circle, in its corner";
    int ink = 0;
    for (int y = 150; y < 180; ++y)
        for (int x = 10; x < 210; ++x) ink += s.rgb(x, y) != kBg;
    EXPECT_GT(ink, 150) << "the label's text";
    for (int y = 182; y < 220; ++y) ASSERT_EQ(s.rgb(100, y), kBg) << "nothing below the label at " << y;

    // What the X server shows is what was drawn.
    if (have_tool("import") && xid(w)) {
        const fs::path screen = dir_ / "screen.png";
        const std::string cmd = "import -window " + std::to_string(xid(w)) + " " + screen.string();
        ASSERT_EQ(std::system(cmd.c_str()), 0);
        Image x(screen);
        ASSERT_TRUE(x.ok());
        EXPECT_EQ(x.rgb(200, 40), kBlue);
        EXPECT_EQ(x.rgb(20, 20), kRed);
    }
}

TEST_F(BackendTest, RedrawsOnlyWhenSomethingShownChanges) {
    TestForm& f = *form_;
    ui::Timer idle;
    int ticks = 0;
    idle.on_tick = [&] {
        ++ticks;
        f.pic.tag = std::to_string(ticks);  // not drawn
        f.cover.picture = {"red"};          // on a hidden control
    };
    app_.register_timer(idle);
    idle.set_interval(15);
    f.show();
    // Let the window's first exposure arrive: that is a redraw of its own.
    for (int i = 0; i < 3; ++i) backend_->step(30);
    const int frames = backend_->frames_drawn(f);
    ASSERT_GE(frames, 1);

    idle.set_enabled(true);
    // step(-1) must wake for the timer alone, with no event coming.
    while (ticks < 4) backend_->step(-1);
    EXPECT_EQ(backend_->frames_drawn(f), frames);

    idle.on_tick = [&] { f.lbl.caption = "かわった"; };
    ASSERT_TRUE(pump_until([&] { return f.lbl.caption == "かわった"; }));
    EXPECT_EQ(backend_->frames_drawn(f), frames + 1);
    backend_->step(0);
    EXPECT_EQ(backend_->frames_drawn(f), frames + 1);
}

TEST_F(BackendTest, ClicksReachTheControlUnderThePointer) {
    TestForm& f = *form_;
    f.show();
    backend_->step(0);
    SDL_Window* w = backend_->window_of(f);
    ASSERT_NE(w, nullptr);

    mouse(w, 20, 20, true);
    ASSERT_TRUE(pump_until([&] { return f.pic_clicks == 1; }));
    mouse(w, 165, 35, true);
    ASSERT_TRUE(pump_until([&] { return f.child_clicks == 1; }));
    mouse(w, 120, 120, true);
    ASSERT_TRUE(pump_until([&] { return f.form_clicks == 1; }));
    EXPECT_EQ(f.pic_clicks, 1);
    EXPECT_EQ(f.child_clicks, 1);
}

TEST_F(BackendTest, CursorComesFromTheControlOrItsContainer) {
    TestForm& f = *form_;
    f.pic.mouse_icon = {"icon"};
    f.pic.mouse_pointer = ui::kPointerCustom;
    f.frame.mouse_icon = {"yellow"};
    f.frame.mouse_pointer = ui::kPointerCustom;
    f.child.mouse_icon = {"red"};  // mode 0: the frame decides
    f.show();
    backend_->step(0);
    SDL_Window* w = backend_->window_of(f);

    mouse(w, 20, 20, false);
    EXPECT_TRUE(pump_until([&] { return backend_->cursor_icon() == "icon"; })) << backend_->cursor_icon();
    mouse(w, 165, 35, false);
    EXPECT_TRUE(pump_until([&] { return backend_->cursor_icon() == "yellow"; })) << backend_->cursor_icon();
    mouse(w, 120, 120, false);
    EXPECT_TRUE(pump_until([&] { return backend_->cursor_icon().empty(); })) << backend_->cursor_icon();
    // The game switches a control's pointer while the mouse rests.
    mouse(w, 165, 35, false);
    ASSERT_TRUE(pump_until([&] { return backend_->cursor_icon() == "yellow"; }));
    f.frame.mouse_pointer = ui::kPointerDefault;
    backend_->step(0);
    EXPECT_EQ(backend_->cursor_icon(), "");
}

TEST_F(BackendTest, MessageBoxIsModalAndClosesOnEnterOrOk) {
    TestForm& f = *form_;
    f.show();
    backend_->step(0);
    SDL_Window* w = backend_->window_of(f);
    ASSERT_NE(w, nullptr);

    app_.msgbox("ゲームを終了しますか？", 48, "かくにん");
    backend_->step(0);
    SDL_Window* box = backend_->message_box_window();
    ASSERT_NE(box, nullptr);
    EXPECT_NE(box, w);
    EXPECT_STREQ(SDL_GetWindowTitle(box), "かくにん");
    EXPECT_TRUE(SDL_GetWindowFlags(box) & SDL_WINDOW_SHOWN);
    int fx, fy, fw, fh, bx, by, bw, bh;
    SDL_GetWindowPosition(w, &fx, &fy);
    SDL_GetWindowSize(w, &fw, &fh);
    SDL_GetWindowPosition(box, &bx, &by);
    SDL_GetWindowSize(box, &bw, &bh);
    EXPECT_NEAR(bx + bw / 2, fx + fw / 2, 2) << "centred over the game window";
    EXPECT_NEAR(by + bh / 2, fy + fh / 2, 2);

    // A click on the game window (clear of the box) is refused; the key comes
    // after it in the X event queue, so by the time the box has closed the
    // click has been dealt with.
    mouse(w, 3, 3, true);
    key_return(box);
    ASSERT_TRUE(pump_until([&] { return !app_.message_box() && !backend_->message_box_window(); }));
    EXPECT_EQ(f.form_clicks, 0);
    mouse(w, 3, 3, true);
    ASSERT_TRUE(pump_until([&] { return f.form_clicks == 1; }));

    // The OK button, in the middle of the bottom strip.
    app_.msgbox("もういちど", 48, "かくにん");
    backend_->step(0);
    box = backend_->message_box_window();
    ASSERT_NE(box, nullptr);
    SDL_GetWindowSize(box, &bw, &bh);
    mouse(box, 5, bh - 5, true);  // beside the button: stays open
    mouse(box, bw / 2, bh - 23, true);
    ASSERT_TRUE(pump_until([&] { return !app_.message_box(); }));
    EXPECT_EQ(f.form_clicks, 1);
}

// How dark each pixel of the message box's text is (0 white, 255 black),
// cut to where its ink is: the white part right of the icon, above the
// button's strip.
struct Ink {
    int w = 0, h = 0;
    std::vector<int> dark;
    int at(int x, int y) const { return dark[size_t(y * w + x)]; }
};

Ink box_ink(SDL_Window* box) {
    Ink ink;
    SDL_Surface* shown = box ? SDL_GetWindowSurface(box) : nullptr;
    SDL_Surface* s = shown ? SDL_ConvertSurfaceFormat(shown, SDL_PIXELFORMAT_ARGB8888, 0) : nullptr;
    if (!s) return ink;
    auto darkness = [s](int x, int y) {
        const uint32_t p = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(s->pixels) + y * s->pitch)[x];
        return 255 - int(((p >> 16 & 0xFF) + (p >> 8 & 0xFF) + (p & 0xFF)) / 3);
    };
    const int left = 52;  // the icon ends at 48
    int strip = 0;
    while (strip < s->h && darkness(2, strip) == 0) ++strip;
    int x0 = s->w, y0 = strip, x1 = -1, y1 = -1;
    for (int y = 0; y < strip; ++y)
        for (int x = left; x < s->w; ++x)
            if (darkness(x, y) > 16) {
                x0 = std::min(x0, x), y0 = std::min(y0, y);
                x1 = std::max(x1, x), y1 = std::max(y1, y);
            }
    if (x1 >= 0) {
        ink.w = x1 - x0 + 1;
        ink.h = y1 - y0 + 1;
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) ink.dark.push_back(darkness(x, y));
    }
    SDL_FreeSurface(s);
    return ink;
}

// Whether `part` shows in `whole` exactly, somewhere.
bool contains(const Ink& whole, const Ink& part) {
    for (int oy = 0; oy + part.h <= whole.h; ++oy)
        for (int ox = 0; ox + part.w <= whole.w; ++ox) {
            bool same = true;
            for (int y = 0; y < part.h && same; ++y)
                for (int x = 0; x < part.w && same; ++x) same = whole.at(ox + x, oy + y) == part.at(x, y);
            if (same) return true;
        }
    return false;
}

// The box's text is 12 px, where 置 has a dozen rows for its ten horizontal
// strokes. Drawn legibly they stay apart, in greys; the font's own hinting
// snaps them onto the same rows instead, and the middle of the character
// comes out a solid black block (46% of its box black, a 5 x 5 square).
TEST_F(BackendTest, TheMessageBoxKeepsTheStrokesOfAComplexCharacterApart) {
    TestForm& f = *form_;
    f.show();
    backend_->step(0);
    auto ink_of = [&](const std::string& text) {
        app_.msgbox(text, 48, "かくにん");
        backend_->step(0);
        Ink ink = box_ink(backend_->message_box_window());
        app_.close_message_box();
        backend_->step(0);
        return ink;
    };
    const Ink glyph = ink_of("置");
    const Ink message = ink_of("そこは置けません！");
    ASSERT_GT(glyph.w, 6);
    ASSERT_GT(glyph.h, 6);
    EXPECT_LE(glyph.w, 13);
    EXPECT_LE(glyph.h, 13);
    EXPECT_TRUE(contains(message, glyph)) << "the message draws it as it draws it alone";

    std::string drawn = "\n置 as drawn:\n";
    for (int y = 0; y < glyph.h; ++y) {
        for (int x = 0; x < glyph.w; ++x) drawn += " .+xX#"[std::min(5, (glyph.at(x, y) + 42) / 50)];
        drawn += '\n';
    }
    int inked = 0, black = 0;
    for (int v : glyph.dark) {
        inked += v > 64;
        black += v >= 224;
    }
    EXPECT_GE(inked, 30) << "the character is drawn" << drawn;
    EXPECT_LT(double(black) / double(glyph.dark.size()), 0.15)
        << black << " of " << glyph.dark.size() << " pixels black" << drawn;
    // No 3 x 3 square all but black: at this size a stroke is a pixel wide.
    int squares = 0;
    for (int y = 0; y + 3 <= glyph.h; ++y)
        for (int x = 0; x + 3 <= glyph.w; ++x) {
            bool all = true;
            for (int dy = 0; dy < 3 && all; ++dy)
                for (int dx = 0; dx < 3 && all; ++dx) all = glyph.at(x + dx, y + dy) >= 192;
            squares += all;
        }
    EXPECT_EQ(squares, 0) << "squares of 3 x 3 black pixels" << drawn;
}

// SDL asks about windows as it reads the events about them, and under a
// window manager a window may be gone by then. Xlib's own handler would end
// the program on the BadWindow; the test binary would end with it.
TEST_F(BackendTest, AQuestionAboutAWindowGoneMeanwhileEndsNothing) {
    form_->show();
    backend_->step(0);
    SDL_Window* w = backend_->window_of(*form_);
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    ASSERT_TRUE(w && SDL_GetWindowWMInfo(w, &info) && info.subsystem == SDL_SYSWM_X11);
    Display* d = info.info.x11.display;
    const Window gone = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
    XDestroyWindow(d, gone);
    XSync(d, False);

    int x = 0, y = 0;
    Window child = 0;
    EXPECT_FALSE(XTranslateCoordinates(d, gone, DefaultRootWindow(d), 0, 0, &x, &y, &child));
    XWindowAttributes attributes;
    EXPECT_FALSE(XGetWindowAttributes(d, gone, &attributes));
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = gone;
    e.xclient.format = 32;
    XSendEvent(d, gone, False, NoEventMask, &e);
    XSync(d, False);
    EXPECT_TRUE(backend_->window_of(*form_));
}

TEST_F(BackendTest, HiddenFormHidesItsWindowAndClosingEnds) {
    TestForm& f = *form_;
    f.on_unload = [&] { app_.end(); };
    f.show();
    backend_->step(0);
    SDL_Window* w = backend_->window_of(f);
    ASSERT_NE(w, nullptr);
    f.hide();
    backend_->step(0);
    EXPECT_TRUE(SDL_GetWindowFlags(w) & SDL_WINDOW_HIDDEN);
    f.show();
    backend_->step(0);
    EXPECT_EQ(backend_->window_of(f), w) << "the same window comes back";
    EXPECT_TRUE(SDL_GetWindowFlags(w) & SDL_WINDOW_SHOWN);

    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = SDL_WINDOWEVENT_CLOSE;
    e.window.windowID = SDL_GetWindowID(w);
    // Under a message box the close button does nothing.
    app_.msgbox("まって", 48, "");
    SDL_PushEvent(&e);
    backend_->step(0);
    EXPECT_FALSE(app_.ended());
    app_.close_message_box();
    SDL_PushEvent(&e);
    backend_->run();  // returns once the unload has ended the program
    EXPECT_TRUE(app_.ended());
}

TEST_F(BackendTest, ReportsAPictureThatIsMissingOrCannotBeRead) {
    std::string error;
    EXPECT_FALSE(backend_->load_pictures({"red", "nothing_here"}, error));
    EXPECT_EQ(error, "missing picture: " + (dir_ / "nothing_here.png").string());

    fs::create_directory(dir_ / "folder.png");
    std::ofstream(dir_ / "damaged.png", std::ios::binary) << "\x89PNG\r\n\x1a\n and then nonsense";
    ASSERT_EQ(mkfifo((dir_ / "pipe.png").c_str(), 0600), 0);  // nobody ever writes to it
    std::ofstream(dir_ / "empty.png", std::ios::binary).close();
    std::ofstream(dir_ / "huge.png", std::ios::binary).close();
    fs::resize_file(dir_ / "huge.png", ui::kMaxMediaBytes + 1);  // sparse: nothing on disk
    // The reason names what is wrong with the file; a damaged one, the
    // decoder's complaint.
    const std::pair<const char*, const char*> cases[] = {{"folder", "not a regular file (a folder)"},
                                                         {"pipe", "not a regular file (a named pipe)"},
                                                         {"empty", "empty"},
                                                         {"huge", "too large (more than 64 MiB)"},
                                                         {"damaged", nullptr}};
    for (const auto& [name, why] : cases) {
        const std::string want = "cannot read the picture " + (dir_ / name).string() + ".png: ";
        error.clear();
        EXPECT_FALSE(backend_->load_pictures({"red", name, "green"}, error)) << name;
        EXPECT_EQ(error.substr(0, want.size()), want) << name;
        if (why) {
            EXPECT_EQ(error, want + why) << name;
        } else {
            EXPECT_GT(error.size(), want.size()) << name << ": the reason follows";
        }
    }
}

// The program itself.

struct Outcome {
    int status = -1;
    std::string err;
};

Outcome run_program(const std::string& command) {
    Outcome r;
    const std::string errfile = "/tmp/patapata_backend_err_" + std::to_string(getpid());
    const int rc = std::system((command + " 2>" + errfile + " >/dev/null").c_str());
    r.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    std::ifstream in(errfile);
    std::stringstream ss;
    ss << in.rdbuf();
    r.err = ss.str();
    std::remove(errfile.c_str());
    return r;
}

const std::string kProgram = std::string(PATAPATA_BUILD_DIR) + "/patapata";

TEST(Program, WithoutADisplaySaysSoAndFails) {
    Outcome r = run_program("env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER SDL_AUDIODRIVER=dummy timeout 20 " + kProgram);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("patapata: cannot open the display: "), std::string::npos) << r.err;
}

TEST(Program, WithAPictureMissingOrAFolderOrAPipeInItsPlaceSaysWhichAndFails) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
    enum class Fault { Missing, Folder, Pipe };
    const std::pair<Fault, const char*> cases[] = {{Fault::Missing, "patapata: missing picture: "},
                                                   {Fault::Folder, "patapata: cannot read the picture "},
                                                   {Fault::Pipe, "patapata: cannot read the picture "}};
    for (const auto& [fault, message] : cases) {
        char tmpl[] = "/tmp/patapata_program_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        const fs::path dir = tmpl;
        fs::copy_file(kProgram, dir / "patapata");
        fs::copy(fs::path(PATAPATA_BUILD_DIR) / "pictures", dir / "pictures");
        const fs::path picture = dir / "pictures" / "jya_panel.png";
        fs::remove(picture);
        if (fault == Fault::Folder) fs::create_directory(picture);
        if (fault == Fault::Pipe) {
            ASSERT_EQ(mkfifo(picture.c_str(), 0600), 0);
        }
        Outcome r = run_program("SDL_AUDIODRIVER=dummy timeout 20 " + (dir / "patapata").string());
        fs::remove_all(dir);
        EXPECT_EQ(r.status, 1) << message;
        EXPECT_EQ(r.err.rfind(message + picture.string(), 0), 0u) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << "one line: " << r.err;
    }
}

}  // namespace
