// The window services: timers on the virtual clock and click routing.
#include <gtest/gtest.h>

#include "ui/ui.h"

namespace {

struct Services : ::testing::Test {
    ui::VirtualClock clock;
    ui::SeededRandom random{1};
    ui::App app{clock, random, "/x"};
    std::vector<std::string> fired;

    void make(ui::Timer& t, const std::string& name, int interval) {
        t.name = name;
        app.register_timer(t);
        t.set_interval(interval);
        t.on_tick = [this, name] { fired.push_back(name + "@" + std::to_string(clock.now)); };

    }
};

TEST_F(Services, TimerFiresEachIntervalWhileOn) {
    ui::Timer t;
    make(t, "a", 100);
    t.set_enabled(true);
    app.advance(350);
    EXPECT_EQ(fired, (std::vector<std::string>{"a@100", "a@200", "a@300"}));
    t.set_enabled(false);
    app.advance(1000);
    EXPECT_EQ(fired.size(), 3u);
}

TEST_F(Services, SwitchingOnARunningTimerKeepsItsCount) {
    ui::Timer t;
    make(t, "a", 100);
    t.set_enabled(true);
    app.advance(60);
    t.set_enabled(true);
    app.advance(50);
    EXPECT_EQ(fired, (std::vector<std::string>{"a@100"}));
}

TEST_F(Services, WritingTheIntervalRestartsTheCount) {
    ui::Timer t;
    make(t, "a", 100);
    t.set_enabled(true);
    app.advance(60);
    t.set_interval(100);
    app.advance(60);
    EXPECT_TRUE(fired.empty());
    app.advance(40);
    EXPECT_EQ(fired, (std::vector<std::string>{"a@160"}));
}

TEST_F(Services, OffAndOnAgainCountsFromTheSwitch) {
    ui::Timer t;
    make(t, "a", 100);
    t.set_enabled(true);
    app.advance(90);
    t.set_enabled(false);
    t.set_enabled(true);
    app.advance(100);
    EXPECT_EQ(fired, (std::vector<std::string>{"a@190"}));
}

TEST_F(Services, TicksDueTogetherRunInRegistrationOrder) {
    ui::Timer first, second, third;
    make(first, "first", 50);
    make(second, "second", 100);
    make(third, "third", 100);
    third.set_enabled(true);
    second.set_enabled(true);
    first.set_enabled(true);
    app.advance(100);
    EXPECT_EQ(fired, (std::vector<std::string>{"first@50", "first@100", "second@100", "third@100"}));
}

TEST_F(Services, AHandlerSwitchingAnotherTimerOffStopsItsPendingTick) {
    ui::Timer a, b;
    make(a, "a", 100);
    make(b, "b", 100);
    a.on_tick = [&] { b.set_enabled(false); fired.push_back("a"); };
    a.set_enabled(true);
    b.set_enabled(true);
    app.advance(100);
    EXPECT_EQ(fired, (std::vector<std::string>{"a"}));
}

class Panel : public ui::Form {
public:
    explicit Panel(ui::App& app) : ui::Form(app) {
        client_width = 200;
        client_height = 100;
        add(front, ui::Kind::Picture, "front", 10, 10, 40, 40);
        add(label, ui::Kind::Label, "label", 60, 10, 40, 20);
        add(shape, ui::Kind::Shape, "shape", 0, 0, 200, 100);
        add(frame, ui::Kind::Frame, "frame", 100, 0, 100, 100);
        add(inner, ui::Kind::Picture, "inner", 10, 10, 30, 30, &frame);
        for (int i = 0; i < 3; ++i) {
            add(cells[i], ui::Kind::Picture, "", 10 + 20 * i, 60, 20, 20);
            cells[i].index = i;
        }
        add(back, ui::Kind::Picture, "back", 0, 0, 200, 100);
    }
    ui::Control front, label, shape, frame, inner, back;
    ui::ControlArray<0, 2> cells;
};

struct Clicks : Services {
    Panel p{app};
    std::vector<std::string> got;
    void SetUp() override {
        for (ui::Control* c : p.all_controls)
            c->on_click = [this, c](int i) { got.push_back(c->name + (i >= 0 ? std::to_string(i) : "")); };
        p.on_click = [this] { got.push_back("form"); };
        p.show();
    }
    std::string at(double x, double y) {
        got.clear();
        app.click(p, x, y);
        return got.empty() ? "nothing" : got[0];
    }
};

TEST_F(Clicks, GoesToTheFrontMostVisibleEnabledControl) {
    EXPECT_EQ(at(20, 20), "front");
    EXPECT_EQ(at(115, 15), "inner");   // a frame's children lie in front of it
    EXPECT_EQ(at(150, 80), "frame");
    EXPECT_EQ(at(35, 70), "1");        // array member with its index
    p.front.enabled = false;
    EXPECT_EQ(at(20, 20), "back");     // shapes let the mouse through
    p.back.visible = false;
    EXPECT_EQ(at(20, 20), "form");
}

TEST_F(Clicks, AHiddenOrDisabledContainerHidesItsChildren) {
    p.back.visible = false;
    p.frame.enabled = false;
    EXPECT_EQ(at(115, 15), "form");
    p.frame.enabled = true;
    p.frame.visible = false;
    EXPECT_EQ(at(115, 15), "form");
}

TEST_F(Clicks, AControlWithoutAHandlerSwallowsTheClick) {
    p.label.on_click = nullptr;
    EXPECT_EQ(at(70, 15), "nothing");
}

TEST_F(Clicks, NoInputWhileTheMessageBoxIsOpenButTimersGoOn) {
    ui::Timer t;
    make(t, "t", 10);
    t.set_enabled(true);
    app.msgbox("text", 48, "title");
    EXPECT_EQ(at(20, 20), "nothing");
    app.advance(10);
    EXPECT_EQ(fired.size(), 1u);
    app.close_message_box();
    EXPECT_EQ(at(20, 20), "front");
}

TEST(Random, DrawIsIntOfNTimesRndPlusOne) {
    struct Fixed : ui::Random {
        double v;
        double rnd() override { return v; }
    } r;
    const std::pair<double, int> cases[] = {{0.0, 1}, {0.4999, 1}, {0.5, 2}, {0.9999, 2}};
    for (auto [v, want] : cases) {
        r.v = v;
        EXPECT_EQ(r.draw(2), want) << v;
    }
    ui::SeededRandom s(7);
    for (int i = 0; i < 1000; ++i) {
        int d = s.draw(15);
        ASSERT_TRUE(d >= 1 && d <= 15);
    }
}

}  // namespace
