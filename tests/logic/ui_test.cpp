// The window services: timers on the virtual clock and click routing; and
// the whole-file reads the media come through.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <optional>
#include <thread>

#include "ui/files.h"
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
    // A press at one point and its release at another, by default the same.
    std::string at(double x, double y) { return drag(x, y, x, y); }
    std::string drag(double x0, double y0, double x1, double y1) {
        got.clear();
        app.mouse_down(p, x0, y0);
        app.mouse_up(p, x1, y1);
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

TEST_F(Clicks, TheClickBelongsToTheControlThePressWentTo) {
    struct Case {
        const char* what;
        double x0, y0, x1, y1;
        const char* want;
    };
    const Case cases[] = {
        {"press and release on one control", 20, 20, 45, 45, "front"},
        {"released on another control", 20, 20, 70, 15, "nothing"},
        {"released on another member of the array", 15, 65, 35, 65, "nothing"},
        {"released off the control, on the window", 20, 20, 20, 95, "nothing"},
        {"released outside the window", 20, 20, -5, 20, "nothing"},
    };
    p.back.visible = false;
    for (const Case& c : cases) EXPECT_EQ(drag(c.x0, c.y0, c.x1, c.y1), c.want) << c.what;
}

TEST_F(Clicks, APressOnTheWindowIsClickedWhereverInsideItIsReleased) {
    p.back.visible = false;
    p.front.enabled = false;
    // The press's own handler brings up a control under the pointer: the
    // click still belongs to the window.
    p.on_mouse_down = [this] { p.front.enabled = true; };
    EXPECT_EQ(drag(20, 20, 20, 20), "form");
    EXPECT_EQ(drag(80, 90, 20, 20), "form");
    EXPECT_EQ(drag(80, 90, 250, 20), "nothing") << "released outside the window";
}

TEST_F(Clicks, APressWhoseControlIsHiddenOrDisabledBeforeTheReleaseClicksNothing) {
    const std::pair<const char*, std::function<void()>> changes[] = {
        {"hidden", [this] { p.front.visible = false; }},
        {"disabled", [this] { p.front.enabled = false; }},
    };
    for (const auto& [what, change] : changes) {
        p.front.visible = p.front.enabled = true;
        p.front.on_mouse_down = [&change](int) { change(); };
        EXPECT_EQ(at(20, 20), "nothing") << what << " by its own press handler";
    }
}

TEST_F(Clicks, AReleaseWithoutItsPressClicksNothing) {
    got.clear();
    app.mouse_up(p, 20, 20);
    EXPECT_TRUE(got.empty()) << "no press at all";
    Panel other(app);
    other.show();
    app.mouse_down(other, 20, 20);
    app.mouse_up(p, 20, 20);
    EXPECT_TRUE(got.empty()) << "pressed in another window";
    app.mouse_down(p, 20, 20);
    app.msgbox("text", 48, "title");
    app.close_message_box();
    app.mouse_up(p, 20, 20);
    EXPECT_EQ(got, (std::vector<std::string>{"front"})) << "a box that came and went between";
    got.clear();
    app.mouse_up(p, 20, 20);
    EXPECT_TRUE(got.empty()) << "one release completes one press";
}

TEST_F(Services, ALateTimerFiresOnceAndCountsOnFromThatFiring) {
    ui::Timer t;
    make(t, "a", 200);
    t.set_enabled(true);
    clock.now = 1000;  // the loop was held up for a second
    app.run_due();
    EXPECT_EQ(fired, (std::vector<std::string>{"a@1000"}));
    app.advance(199);
    EXPECT_EQ(fired.size(), 1u);
    app.advance(1);
    EXPECT_EQ(fired, (std::vector<std::string>{"a@1000", "a@1200"}));
}

TEST_F(Services, AWindowsTimersCountFromItsFirstShowing) {
    struct Window : ui::Form {
        explicit Window(ui::App& app) : ui::Form(app) {
            add_timer(on_at_design, "on_at_design", 500, true, "");
            add_timer(on_by_load, "on_by_load", 100, false, "");
            add_timer(off, "off", 100, false, "");
            on_load = [this] { on_by_load.set_enabled(true); };
        }
        ui::Timer on_at_design, on_by_load, off;
    } w(app);
    for (ui::Timer* t : w.timers) {
        const std::string name = t->name;
        t->on_tick = [this, name] { fired.push_back(name + "@" + std::to_string(clock.now)); };
    }
    clock.now = 300;  // the display and the pictures coming up
    w.show();
    app.advance(500);
    EXPECT_EQ(fired, (std::vector<std::string>{"on_by_load@400", "on_by_load@500", "on_by_load@600",
                                               "on_by_load@700", "on_at_design@800", "on_by_load@800"}));
    w.hide();
    w.on_by_load.set_enabled(false);
    app.advance(400);
    fired.clear();
    w.show();
    app.advance(500);
    EXPECT_EQ(fired, (std::vector<std::string>{"on_at_design@1300"})) << "a later showing leaves the count alone";
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

// Each case in a fresh folder under the system temp folder, removed afterwards.
struct ReadFile : ::testing::Test {
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "filesXXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override {
        if (!dir_.empty()) std::filesystem::remove_all(dir_);
    }
    std::string at(const char* name) const { return dir_ + "/" + name; }

    std::string dir_;
};

std::string write_file(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path;
}

// A file of the given length that holds no data blocks, so it costs nothing
// on disk; false if the file system will not make one that long.
bool make_sparse(const std::string& path, off_t length) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    const bool ok = ::ftruncate(fd, length) == 0;
    ::close(fd);
    return ok;
}

// A bound Unix socket's name at the path; empty if none could be made.
std::string make_socket(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return std::string();
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool bound = fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    if (fd >= 0) ::close(fd);  // the socket's name stays
    return bound ? path : std::string();
}

// The bytes this process has read so far, whatever from; none if the kernel
// does not say.
std::optional<uint64_t> bytes_read_by_process() {
    std::ifstream io("/proc/self/io");
    for (std::string key; io >> key;) {
        uint64_t value = 0;
        if (!(io >> value)) break;
        if (key == "rchar:") return value;
    }
    return std::nullopt;
}

struct ReadOutcome {
    bool in_time = false;
    bool threw = false;
    std::optional<std::vector<uint8_t>> bytes;
};

// read_file on a thread of its own, so that a read that waits on a pipe fails
// the test instead of hanging it: past the deadline a writer opens the pipe
// and leaves at once, which lets the waiting open through to an empty read.
ReadOutcome read_within_seconds(const std::string& path, int seconds) {
    ReadOutcome out;
    std::promise<void> done;
    std::future<void> finished = done.get_future();
    std::thread reader([&] {
        try {
            out.bytes = ui::read_file(path);
        } catch (...) {
            out.threw = true;
        }
        done.set_value();
    });
    out.in_time = finished.wait_for(std::chrono::seconds(seconds)) == std::future_status::ready;
    if (!out.in_time) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0) ::close(fd);
    }
    reader.join();
    return out;
}

struct RefusedCase {
    const char* what;
    std::function<std::string(const ReadFile&)> make;  // the path to read; empty: not here
};

TEST_F(ReadFile, RefusesAtOnceWhatIsNoMediaFileAndReadsNothingOfIt) {
    const std::vector<RefusedCase> cases = {
        {"missing", [](const ReadFile& t) { return t.at("missing.wav"); }},
        {"a folder",
         [](const ReadFile& t) {
             std::filesystem::create_directory(t.at("folder.wav"));
             return t.at("folder.wav");
         }},
        {"unreadable",
         [](const ReadFile& t) {
             const std::string path = write_file(t.at("locked.wav"), {'R', 'I', 'F', 'F'});
             ::chmod(path.c_str(), 0);
             // Root reads it all the same: no case to try then.
             return ::access(path.c_str(), R_OK) == 0 ? std::string() : path;
         }},
        {"a named pipe with no writer",
         [](const ReadFile& t) {
             return ::mkfifo(t.at("pipe.wav").c_str(), 0644) == 0 ? t.at("pipe.wav") : "";
         }},
        {"a character device", [](const ReadFile&) { return std::string("/dev/null"); }},
        {"a socket", [](const ReadFile& t) { return make_socket(t.at("socket.wav")); }},
        {"a terabyte, sparse",
         [](const ReadFile& t) {
             const std::string path = t.at("huge.wav");
             const bool made = make_sparse(path, off_t(1) << 40) ||
                               make_sparse(path, off_t(ui::kMaxMediaBytes) + 1);
             return made ? path : std::string();
         }},
        {"a byte over the limit",
         [](const ReadFile& t) {
             const std::string path = t.at("over.wav");
             return make_sparse(path, off_t(ui::kMaxMediaBytes) + 1) ? path : std::string();
         }},
    };
    for (const RefusedCase& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = c.make(*this);
        if (path.empty()) continue;  // this system cannot make one
        const auto before = bytes_read_by_process();
        const ReadOutcome got = read_within_seconds(path, 5);
        const auto after = bytes_read_by_process();
        EXPECT_TRUE(got.in_time) << "read_file waited on it";
        EXPECT_FALSE(got.threw);
        EXPECT_EQ(got.bytes, std::nullopt);
        if (before && after) {
            EXPECT_LT(*after - *before, uint64_t(1) << 20) << "it was read, then refused";
        }
    }
}

constexpr uid_t kNobody = 65534;

// The reason read_file gives for the path, and whether the path was opened
// (not just looked at) meanwhile, as inotify saw it. As the given user, in a
// process of its own, when it is not this process's.
struct Refusal {
    bool refused = false;
    ui::FileError error;
    bool opened = false;
};

Refusal refusal_of(const std::string& path, uid_t as) {
    Refusal r;
    if (as != ::geteuid()) {
        // The child reports the fault as its exit status.
        const pid_t child = ::fork();
        if (child == 0) {
            if (::setgid(as) != 0 || ::setuid(as) != 0) ::_exit(100);
            ui::FileError e;
            const bool read = ui::read_file(path, &e).has_value();
            ::_exit(read ? 101 : int(e.fault));
        }
        int status = 0;
        if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return r;
        r.refused = WEXITSTATUS(status) < 100;
        r.error.fault = ui::FileFault(WEXITSTATUS(status));
        return r;
    }
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    const bool watched = watch >= 0 && ::inotify_add_watch(watch, path.c_str(), IN_OPEN) >= 0;
    r.refused = !ui::read_file(path, &r.error).has_value();
    if (watched) {
        alignas(inotify_event) char events[4096];
        r.opened = ::read(watch, events, sizeof events) > 0;
    }
    if (watch >= 0) ::close(watch);
    return r;
}

struct FaultCase {
    const char* what;
    std::function<std::string(const ReadFile&)> make;  // the path to read; empty: not here
    ui::FileFault fault;
    const char* text;        // the reason, as a message gives it
    bool opened_ok = false;  // whether opening it is fine (it is a regular file)
    uid_t as = ::geteuid();  // read as this user
};

TEST_F(ReadFile, SaysWhyAFileIsRefusedAndOpensNothingButARegularFile) {
    // Root reads whatever it likes: the permission cases are read as nobody then.
    const uid_t reader = ::geteuid() == 0 ? kNobody : ::geteuid();
    const std::string too_large = "too large (more than 64 MiB)";
    const std::vector<FaultCase> cases = {
        {"missing", [](const ReadFile& t) { return t.at("missing.wav"); }, ui::FileFault::missing,
         "no such file", false},
        {"under a file, as if a folder",
         [](const ReadFile& t) { return write_file(t.at("plain.wav"), {'R'}) + "/s_oki.wav"; },
         ui::FileFault::missing, "no such file", false},
        {"permission denied",
         [](const ReadFile& t) {
             const std::string path = write_file(t.at("locked.wav"), {'R', 'I', 'F', 'F'});
             ::chmod(path.c_str(), 0);
             ::chmod(t.dir_.c_str(), 0755);  // the folder may be looked into
             return path;
         },
         ui::FileFault::denied, "permission denied", false, reader},
        {"in a folder it may not look into",
         [](const ReadFile& t) {
             ::mkdir(t.at("closed").c_str(), 0700);
             ::chmod(t.dir_.c_str(), 0755);
             return write_file(t.at("closed") + "/s_oki.wav", {'R', 'I', 'F', 'F'});
         },
         ui::FileFault::denied, "permission denied", false, reader},
        {"a terabyte, sparse",
         [](const ReadFile& t) {
             const std::string path = t.at("huge.wav");
             const bool made = make_sparse(path, off_t(1) << 40);
             return made ? path : std::string();
         },
         ui::FileFault::too_large, too_large.c_str(), true},
        {"a byte over the limit",
         [](const ReadFile& t) {
             const std::string path = t.at("over.wav");
             return make_sparse(path, off_t(ui::kMaxMediaBytes) + 1) ? path : std::string();
         },
         ui::FileFault::too_large, too_large.c_str(), true},
        {"empty", [](const ReadFile& t) { return write_file(t.at("empty.wav"), {}); }, ui::FileFault::empty,
         "empty", true},
        {"a folder",
         [](const ReadFile& t) {
             std::filesystem::create_directory(t.at("folder.wav"));
             return t.at("folder.wav");
         },
         ui::FileFault::not_regular, "not a regular file (a folder)"},
        {"a named pipe with no writer",
         [](const ReadFile& t) { return ::mkfifo(t.at("pipe.wav").c_str(), 0644) == 0 ? t.at("pipe.wav") : ""; },
         ui::FileFault::not_regular, "not a regular file (a named pipe)"},
        {"a link to a named pipe",
         [](const ReadFile& t) {
             const bool made = ::mkfifo(t.at("pipe2").c_str(), 0644) == 0 &&
                               ::symlink(t.at("pipe2").c_str(), t.at("link.wav").c_str()) == 0;
             return made ? t.at("link.wav") : "";
         },
         ui::FileFault::not_regular, "not a regular file (a named pipe)"},
        {"/dev/null", [](const ReadFile&) { return std::string("/dev/null"); }, ui::FileFault::not_regular,
         "not a regular file (a device)", true /* others may open it: not watched */},
        // A node of /dev/null's own: harmless should it be opened, and nobody
        // else opens it. Only root may make one.
        {"a character device",
         [](const ReadFile& t) {
             return ::mknod(t.at("tape.wav").c_str(), S_IFCHR | 0644, makedev(1, 3)) == 0 ? t.at("tape.wav") : "";
         },
         ui::FileFault::not_regular, "not a regular file (a device)"},
        {"a socket", [](const ReadFile& t) { return make_socket(t.at("socket.wav")); },
         ui::FileFault::not_regular, "not a regular file (a socket)"},
    };
    for (const FaultCase& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = c.make(*this);
        if (path.empty()) continue;  // this system cannot make one
        if (c.as != ::geteuid() && ::geteuid() != 0) continue;
        const Refusal got = refusal_of(path, c.as);
        EXPECT_TRUE(got.refused);
        EXPECT_EQ(int(got.error.fault), int(c.fault));
        if (c.as == ::geteuid()) {
            EXPECT_EQ(got.error.text(), c.text);
        } else {
            EXPECT_EQ(ui::FileError{c.fault}.text(), c.text);
        }
        if (!c.opened_ok) {
            EXPECT_FALSE(got.opened) << "it was opened before its type was known";
        }
    }
}

TEST_F(ReadFile, TakesARegularFileWholeUpToTheLimit) {
    // Zeros, a 0x1A, line ends and high bytes: raw bytes, nothing translated.
    const std::vector<uint8_t> sound = {'R', 'I', 'F', 'F', 0, 0x1A, 0xFF, '\r', '\n', 7, 0};
    ui::FileError error;
    EXPECT_EQ(ui::read_file(write_file(at("sound.wav"), sound), &error), sound);
    EXPECT_EQ(error.fault, ui::FileFault::none);
    EXPECT_EQ(ui::read_file(write_file(at("byte.wav"), {0})), std::vector<uint8_t>{0});

    ASSERT_TRUE(make_sparse(at("limit.wav"), off_t(ui::kMaxMediaBytes)));
    const auto limit = ui::read_file(at("limit.wav"));
    ASSERT_TRUE(limit.has_value());
    EXPECT_EQ(limit->size(), ui::kMaxMediaBytes);
    EXPECT_TRUE(std::all_of(limit->begin(), limit->end(), [](uint8_t b) { return b == 0; }));
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
constexpr bool kAddressSanitizer = __has_feature(address_sanitizer);
#else
constexpr bool kAddressSanitizer = false;
#endif

// In a process of its own: read_file with room for what the process holds
// already and not for the file. 0 if it gave none back, 1 if the file, 2 if
// the room could not be set.
int read_with_no_room(const std::string& path) {
    long pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    const rlim_t cap = rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE)) + (rlim_t(16) << 20);
    const rlimit limit{cap, cap};
    if (pages <= 0 || setrlimit(RLIMIT_AS, &limit) != 0) return 2;
    return ui::read_file(path) ? 1 : 0;
}

TEST_F(ReadFile, MemoryRunningOutMeansNoFileRatherThanAThrow) {
    if (kAddressSanitizer) GTEST_SKIP() << "the sanitizer's allocator stops the program itself";
    const std::string path = at("big.wav");
    ASSERT_TRUE(make_sparse(path, off_t(ui::kMaxMediaBytes)));
    EXPECT_EXIT(std::_Exit(read_with_no_room(path)), ::testing::ExitedWithCode(0), "");
}

}  // namespace
