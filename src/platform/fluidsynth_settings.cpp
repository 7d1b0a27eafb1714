// The synthesizer that SDL2_mixer sets up for each piece, made lighter and
// quiet. The music plays all the time, and FluidSynth's reverb and chorus run
// on every audio block whether a note sounds or not: with its finest sample
// interpolation they cost about half of the program's CPU at rest. FluidSynth
// also reports a damaged piece on stderr at every replay, where the game
// reports nothing. SDL2_mixer offers no way to change any of this, so the
// program's own definitions of the two constructors below come first in symbol
// lookup, hand over to FluidSynth's and adjust what they made. Where SDL2_mixer
// doesn't use FluidSynth, they are never called.
#include <dlfcn.h>

extern "C" {

struct fluid_settings_t;
struct fluid_synth_t;
fluid_settings_t* new_fluid_settings();
fluid_synth_t* new_fluid_synth(fluid_settings_t* settings);

fluid_settings_t* new_fluid_settings() {
    using Create = fluid_settings_t* (*)();
    using SetInt = int (*)(fluid_settings_t*, const char*, int);
    using SetLog = void* (*)(int, void*, void*);
    static const auto create = reinterpret_cast<Create>(dlsym(RTLD_NEXT, "new_fluid_settings"));
    static const auto set_int = reinterpret_cast<SetInt>(dlsym(RTLD_NEXT, "fluid_settings_setint"));
    static const auto set_log = reinterpret_cast<SetLog>(dlsym(RTLD_NEXT, "fluid_set_log_function"));
    if (set_log)  // every level, panic to debug, logs nowhere
        for (int level = 0; level < 5; ++level) set_log(level, nullptr, nullptr);
    fluid_settings_t* settings = create ? create() : nullptr;
    if (settings && set_int) {
        set_int(settings, "synth.reverb.active", 0);
        set_int(settings, "synth.chorus.active", 0);
    }
    return settings;
}

fluid_synth_t* new_fluid_synth(fluid_settings_t* settings) {
    using Create = fluid_synth_t* (*)(fluid_settings_t*);
    using SetInterp = int (*)(fluid_synth_t*, int, int);
    static const auto create = reinterpret_cast<Create>(dlsym(RTLD_NEXT, "new_fluid_synth"));
    static const auto set_interp =
        reinterpret_cast<SetInterp>(dlsym(RTLD_NEXT, "fluid_synth_set_interp_method"));
    fluid_synth_t* synth = create ? create(settings) : nullptr;
    constexpr int kAllChannels = -1, kLinear = 1;
    if (synth && set_interp) set_interp(synth, kAllChannels, kLinear);
    return synth;
}

}  // extern "C"
