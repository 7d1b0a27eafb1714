// Sound effects kept in memory and the background music on the MCI alias "bgm".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sound/winmm.h"
#include "ui/ui.h"

struct Hensu;

struct MdlSound {
    // Whole WAV file images plus one 0 byte; unallocated when a file could not be read.
    std::optional<std::vector<uint8_t>> snd_oki;
    std::optional<std::vector<uint8_t>> snd_kae;
    int32_t mci_Ret = 0;
    char mci_Status[256] = {};
};

// Reads "s_oki.wav" and "s_kae.wav" of the program's folder into memory.
void mdl_Sound_Load(MdlSound& s, const std::string& folder);

// Plays a loaded sound image, asynchronously; nothing when it is not loaded.
void play_sound(Winmm& w, const std::optional<std::vector<uint8_t>>& snd);

// Starting a piece on a window: open folder/file as "bgm", play, watcher tag "1" and on.
void music_start(MdlSound& s, Winmm& w, ui::Timer& timer_sound, const std::string& folder,
                 const std::string& file);
// Stopping the music on a window: watcher off, tag "0", stop and close "bgm".
void music_stop(MdlSound& s, Winmm& w, ui::Timer& timer_sound);
// One tick of a window's loop watcher.
void timer_sound_tick(MdlSound& s, Winmm& w, ui::Timer& timer_sound);
// The fast arrangement once the board holds more than 54 stones, once per game.
void mdl_Music_Speed(Hensu& h, MdlSound& s, Winmm& w, ui::Timer& timer_sound,
                     const std::string& folder);
