// FluidSynth's reverb and chorus run on every audio block whether or not a
// note is sounding, and cost about a third of the synthesizer's CPU while the
// music plays. SDL2_mixer offers no way to switch them off, so the settings it
// creates for each piece are adjusted here: the program's own definition of
// new_fluid_settings comes first in symbol lookup and hands over to
// FluidSynth's. Where SDL2_mixer doesn't use FluidSynth, this is never called.
#include <dlfcn.h>

extern "C" {

struct fluid_settings_t;
fluid_settings_t* new_fluid_settings();

fluid_settings_t* new_fluid_settings() {
    using Create = fluid_settings_t* (*)();
    using SetInt = int (*)(fluid_settings_t*, const char*, int);
    static const auto create = reinterpret_cast<Create>(dlsym(RTLD_NEXT, "new_fluid_settings"));
    static const auto set_int = reinterpret_cast<SetInt>(dlsym(RTLD_NEXT, "fluid_settings_setint"));
    fluid_settings_t* settings = create ? create() : nullptr;
    if (settings && set_int) {
        set_int(settings, "synth.reverb.active", 0);
        set_int(settings, "synth.chorus.active", 0);
    }
    return settings;
}

}  // extern "C"
