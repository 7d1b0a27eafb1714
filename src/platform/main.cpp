// The program: checks that it can show itself, then runs the title window.
#define SDL_MAIN_HANDLED

#include <unistd.h>

#include <cstdio>
#include <exception>
#include <set>
#include <string>
#include <vector>

#include "game.h"
#include "platform/sdl_backend.h"
#include "platform/winmm_sdl.h"
#include "sound/winmm.h"
#include "ui/ui.h"

namespace {

// The folder of the program file, without a trailing slash.
std::string program_folder() {
    std::vector<char> buf(4096);
    const ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size() - 1);
    if (n <= 0) return ".";
    std::string exe(buf.data(), size_t(n));
    const size_t slash = exe.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : exe.substr(0, slash);
}

void collect(const ui::Form& form, std::set<std::string>& names) {
    for (const std::string& n : {form.background.name, form.icon.name})
        if (!n.empty()) names.insert(n);
    for (const ui::Control* c : form.all_controls) {
        if (!c->picture.empty()) names.insert(c->picture.name);
        if (!c->mouse_icon.empty()) names.insert(c->mouse_icon.name);
    }
}

// Every picture the two layouts name, read off a throwaway copy of the game
// that is built but never started.
std::vector<std::string> layout_pictures(const std::string& folder) {
    ui::VirtualClock clock;
    ui::SeededRandom random(1);
    ui::App app(clock, random, folder);
    SilentWinmm silent;
    Game probe(app, silent);
    probe.main_f();
    std::set<std::string> names;
    for (const ui::Form* form : app.forms()) collect(*form, names);
    return {names.begin(), names.end()};
}

int run() {
    const std::string folder = program_folder();
    ui::SteadyClock clock;
    ui::SeededRandom random(ui::SeededRandom::clock_seed());
    ui::App app(clock, random, folder);
    SdlWinmm winmm;
    // The synthesizer and both pieces load while the display and the pictures come up.
    winmm.preload({folder + "/bg_main.mid", folder + "/bg_main_hi.mid"});
    Game game(app, winmm);

    platform::SdlBackend backend(app, folder + "/pictures");
    std::string error;
    if (!backend.init(error, layout_pictures(folder))) {
        std::fprintf(stderr, "patapata: %s\n", error.c_str());
        return 1;
    }
    game.start();
    backend.run();
    return 0;
}

}  // namespace

int main() {
    int status = 1;
    try {
        status = run();
    } catch (const std::exception& e) {
        // Nothing the game throws is expected; whatever it is, say it plainly.
        std::fprintf(stderr, "patapata: %s\n", e.what());
    }
    SDL_Quit();
    return status;
}
