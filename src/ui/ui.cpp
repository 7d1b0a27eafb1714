#include "ui/ui.h"

#include <chrono>
#include <stdexcept>
#include <utility>

namespace ui {

bool Control::contains(double x, double y) const {
    double l = abs_left(), t = abs_top();
    return x >= l && x < l + width && y >= t && y < t + height;
}

void Timer::set_interval(int ms) {
    interval_ = ms;
    if (enabled_ && app_) due_ = app_->now() + interval_;
}

void Timer::set_enabled(bool on) {
    if (on == enabled_) return;
    enabled_ = on;
    if (on && app_) due_ = app_->now() + interval_;
}

void Form::show() {
    const bool first = !loaded_;
    if (first) {
        loaded_ = true;
        if (on_load) on_load();
    }
    visible_ = true;
    if (app_.on_show) app_.on_show(*this);
    // The window's timers start with the window on screen, not with the
    // work that came before (the display, the pictures, the load step).
    if (first)
        for (Timer* t : timers)
            if (t->enabled_) t->due_ = app_.now() + t->interval_;
}

void Form::close() {
    if (on_unload) on_unload();
}

namespace {

// Front to back through a list and, for frames, their children first: a
// control inside a frame lies in front of the frame itself.
Control* hit_in(const std::vector<Control*>& list, double x, double y, bool need_enabled) {
    for (Control* c : list) {
        // Shapes are drawings only: the mouse goes through them.
        if (c->kind == Kind::Shape || !c->visible || (need_enabled && !c->enabled)) continue;
        if (!c->children.empty() && c->contains(x, y)) {
            if (Control* inner = hit_in(c->children, x, y, need_enabled)) return inner;
        }
        if (c->contains(x, y)) return c;
    }
    return nullptr;
}

}  // namespace

Control* Form::hit(double x, double y) const { return hit_in(controls, x, y, true); }
Control* Form::hit_visible(double x, double y) const { return hit_in(controls, x, y, false); }

Control& Form::add(Control& c, Kind kind, std::string name, double left, double top,
                   double width, double height, Control* in) {
    c.kind = kind;
    if (!name.empty()) c.name = std::move(name);
    c.left = left;
    c.top = top;
    c.width = width;
    c.height = height;
    c.container = in;
    (in ? in->children : controls).push_back(&c);
    all_controls.push_back(&c);
    return c;
}

Timer& Form::add_timer(Timer& t, std::string name, int interval, bool enabled, std::string tag) {
    t.name = std::move(name);
    t.tag = std::move(tag);
    app_.register_timer(t);
    t.set_interval(interval);
    t.set_enabled(enabled);
    timers.push_back(&t);
    return t;
}

int64_t SteadyClock::now_ms() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

uint64_t SeededRandom::clock_seed() {
    return uint64_t(std::chrono::system_clock::now().time_since_epoch().count());
}

void App::msgbox(std::string text, int style, std::string title) {
    box_ = MessageBox{std::move(text), style, std::move(title)};
}

void App::register_timer(Timer& t) {
    t.app_ = this;
    timers_.push_back(&t);
}

std::optional<int64_t> App::next_due() const {
    std::optional<int64_t> best;
    for (const Timer* t : timers_)
        if (t->enabled_ && (!best || t->due_ < *best)) best = t->due_;
    return best;
}

int App::run_due() {
    int ran = 0;
    const int64_t until = now();
    // One tick at a time, always the earliest due one, so that a handler that
    // switches other timers on or off is seen by the next choice.
    while (!ended_) {
        Timer* next = nullptr;
        for (Timer* t : timers_)
            if (t->enabled_ && t->due_ <= until && (!next || t->due_ < next->due_)) next = t;
        if (!next) break;
        // A late timer fires once and counts its next interval from now:
        // missed intervals are not replayed.
        next->due_ = until + (next->interval_ > 0 ? next->interval_ : 1);
        if (next->on_tick) next->on_tick();
        ++ran;
    }
    return ran;
}

void App::advance(int64_t ms) {
    auto* vc = dynamic_cast<VirtualClock*>(&clock_);
    if (!vc) throw std::logic_error("advance needs the virtual clock");
    const int64_t target = vc->now + ms;
    while (!ended_) {
        std::optional<int64_t> due = next_due();
        if (!due || *due > target) break;
        if (*due > vc->now) vc->now = *due;
        run_due();
    }
    vc->now = target;
}

void App::mouse_down(Form& f, double x, double y) {
    press_.reset();
    if (box_ || ended_ || !f.visible()) return;
    Control* c = f.hit(x, y);
    press_ = Press{&f, c};
    if (c) {
        if (c->on_mouse_down) c->on_mouse_down(c->index);
    } else if (f.on_mouse_down) {
        f.on_mouse_down();
    }
}

void App::mouse_up(Form& f, double x, double y) {
    const std::optional<Press> press = std::exchange(press_, std::nullopt);
    if (!press || press->form != &f || box_ || ended_ || !f.visible()) return;
    if (Control* c = press->control) {
        if (c->usable() && c->contains(x, y) && c->on_click) c->on_click(c->index);
    } else if (f.in_client_area(x, y) && f.on_click) {
        f.on_click();
    }
}

}  // namespace ui
