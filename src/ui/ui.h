// The window services the game logic runs on, as a plain model: forms,
// controls, control arrays, timers, click routing, the message box, random
// draws and a clock. Nothing here knows SDL; the platform back end draws this
// model and feeds it events, tests drive it on a virtual clock.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace ui {

// A picture is the name of a picture file of the program ("stone_black");
// an empty name is no picture. Copying a control's picture copies the name.
struct Picture {
    std::string name;
    bool empty() const { return name.empty(); }
    bool operator==(const Picture&) const = default;
};

inline constexpr uint32_t rgb(int r, int g, int b) {
    return uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
}

enum class Kind { Picture, Label, Frame, Shape };
enum class Align { Left, Center };
enum class ShapeKind { Rectangle, Circle };

// Mouse pointer modes of a control: 0 the default cursor, 99 its own icon.
inline constexpr int kPointerDefault = 0;
inline constexpr int kPointerCustom = 99;

class Control {
public:
    Kind kind = Kind::Picture;
    std::string name;
    int index = -1;  // index within its control array, -1 for a single control
    Control* container = nullptr;

    double left = 0, top = 0, width = 0, height = 0;  // pixels, inside the container
    bool visible = true;
    bool enabled = true;
    std::string tag;
    std::string caption;
    Picture picture;

    // Labels.
    double font_pt = 9;
    bool bold = false;
    uint32_t fore_color = 0;
    Align align = Align::Left;
    bool autosize = false;

    // Frames and shapes.
    std::optional<uint32_t> back_color;  // none: transparent
    uint32_t border_color = 0;
    int border_width = 0;                // 0: no border
    ShapeKind shape = ShapeKind::Rectangle;

    // Pictures: a thin flat border around the cell.
    bool flat_border = false;

    // Mouse pointer: the icon shows when the mode is kPointerCustom.
    Picture mouse_icon;
    int mouse_pointer = kPointerDefault;

    std::function<void(int index)> on_click;
    std::function<void(int index)> on_mouse_down;

    // Children of a frame, front to back.
    std::vector<Control*> children;

    // Position in the form's client area.
    double abs_left() const { return left + (container ? container->abs_left() : 0); }
    double abs_top() const { return top + (container ? container->abs_top() : 0); }
    // Visible and enabled, counting the containers.
    bool shown() const { return visible && (!container || container->shown()); }
    bool usable() const { return shown() && enabled && (!container || container->usable()); }
    bool contains(double x, double y) const;
};

// A control array with the indexes First..Last.
template <int First, int Last>
class ControlArray {
public:
    Control& operator[](int i) { return items_.at(size_t(i - First)); }
    const Control& operator[](int i) const { return items_.at(size_t(i - First)); }
    static constexpr int first() { return First; }
    static constexpr int last() { return Last; }
    auto begin() { return items_.begin(); }
    auto end() { return items_.end(); }

private:
    std::array<Control, Last - First + 1> items_;
};

class App;

// A window timer. While on, its handler runs each time the interval has
// elapsed since it was switched on or last fired.
class Timer {
public:
    std::string name;
    std::string tag;
    std::function<void()> on_tick;

    int interval() const { return interval_; }
    bool enabled() const { return enabled_; }
    // Writing the interval of a running timer restarts its count.
    void set_interval(int ms);
    // Switching on a timer that is on changes nothing.
    void set_enabled(bool on);
    int64_t due() const { return due_; }

private:
    friend class App;
    friend class Form;
    App* app_ = nullptr;
    int interval_ = 0;
    bool enabled_ = false;
    int64_t due_ = 0;
};

class Form {
public:
    std::string name;
    std::string caption;
    int client_width = 0, client_height = 0;
    Picture background;
    Picture icon;
    std::function<void()> on_load;
    std::function<void()> on_unload;
    std::function<void()> on_click;
    std::function<void()> on_mouse_down;

    bool visible() const { return visible_; }
    bool loaded() const { return loaded_; }
    // The first showing runs the load step before the window becomes visible;
    // the timers that are on once the window is up count from then.
    void show();
    void hide() { visible_ = false; }
    // The user closes the window: its unload step runs.
    void close();

    // Top-level controls, front to back; frames hold their own children.
    std::vector<Control*> controls;
    // Every control of the form, for the back end and for tests.
    std::vector<Control*> all_controls;
    std::vector<Timer*> timers;

    // The front-most visible and enabled control at (x, y), or none.
    Control* hit(double x, double y) const;
    // The front-most visible control at (x, y), enabled or not.
    Control* hit_visible(double x, double y) const;
    bool in_client_area(double x, double y) const {
        return x >= 0 && y >= 0 && x < client_width && y < client_height;
    }

protected:
    // Layout helpers: add a control (to a frame when `in` is given), front to back.
    Control& add(Control& c, Kind kind, std::string name, double left, double top, double width,
                 double height, Control* in = nullptr);
    template <int F, int L>
    void name_array(ControlArray<F, L>& a, const std::string& name) {
        for (int i = F; i <= L; ++i) {
            a[i].name = name;
            a[i].index = i;
        }
    }
    Timer& add_timer(Timer& t, std::string name, int interval, bool enabled, std::string tag);

public:
    explicit Form(App& app) : app_(app) {}
    virtual ~Form() = default;
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;
    App& app() { return app_; }

private:
    App& app_;
    bool visible_ = false;
    bool loaded_ = false;
};

// The clock behind the timers: milliseconds from an arbitrary start.
class Clock {
public:
    virtual ~Clock() = default;
    virtual int64_t now_ms() = 0;
};

class VirtualClock : public Clock {
public:
    int64_t now_ms() override { return now; }
    int64_t now = 0;
};

class SteadyClock : public Clock {
public:
    int64_t now_ms() override;
};

// Rnd: a uniform value in [0, 1).
class Random {
public:
    virtual ~Random() = default;
    virtual double rnd() = 0;
    // Int(N * Rnd + 1): a value 1..N.
    int draw(int n) { return int(n * rnd()) + 1; }
};

// Seeded once, from the clock at start-up, or from a test's seed.
class SeededRandom : public Random {
public:
    explicit SeededRandom(uint64_t seed) : gen_(seed) {}
    static uint64_t clock_seed();
    double rnd() override { return std::uniform_real_distribution<double>(0.0, 1.0)(gen_); }

private:
    std::mt19937_64 gen_;
};

struct MessageBox {
    std::string text;
    int style = 0;
    std::string title;
};

// The program: its clock, random draws, timers, forms, message box and end.
class App {
public:
    App(Clock& clock, Random& random, std::string folder)
        : clock_(clock), random_(random), folder_(std::move(folder)) {}

    int64_t now() { return clock_.now_ms(); }
    Random& random() { return random_; }
    // The folder of the program file, without a trailing separator.
    const std::string& path() const { return folder_; }

    // A modal message box: while it is open no window takes input; timers go on.
    void msgbox(std::string text, int style, std::string title);
    const std::optional<MessageBox>& message_box() const { return box_; }
    void close_message_box() { box_.reset(); }

    // Run by every Form::show once the form counts as visible: the back end
    // puts its window on screen there and then.
    std::function<void(Form&)> on_show;

    void end() { ended_ = true; }
    bool ended() const { return ended_; }

    void register_timer(Timer& t);
    void register_form(Form& f) { forms_.push_back(&f); }
    const std::vector<Form*>& forms() const { return forms_; }
    const std::vector<Timer*>& timers() const { return timers_; }

    // When the next timer is due, if any is on.
    std::optional<int64_t> next_due() const;
    // Runs every tick due up to the clock's present time. Ticks due at the same
    // moment run in the order the timers were registered (forms in creation
    // order, each in its layout's timer order).
    int run_due();
    // Virtual clock only: moves time forward by ms, running every tick on the way.
    void advance(int64_t ms);

    // The left button at client position (x, y), from the back end or a test;
    // refused while a box is open. The press goes to the front-most visible
    // and enabled control there, else to the window, and runs its press
    // handler. The release completes the click of that press only: on the
    // same control, if it is still visible and enabled and the pointer is
    // over it; on the window, if the pointer is inside it.
    void mouse_down(Form& f, double x, double y);
    void mouse_up(Form& f, double x, double y);

private:
    struct Press {
        Form* form;
        Control* control;  // none: the window itself
    };

    Clock& clock_;
    Random& random_;
    std::string folder_;
    std::optional<MessageBox> box_;
    std::optional<Press> press_;  // the press the next release completes
    bool ended_ = false;
    std::vector<Timer*> timers_;
    std::vector<Form*> forms_;
};

}  // namespace ui
