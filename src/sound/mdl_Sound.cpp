#include "sound/mdl_Sound.h"

#include <cstring>

#include "state/hensu.h"
#include "ui/files.h"

namespace {

// The whole file plus one 0 byte, or nothing when it cannot be read (an empty
// one included): a sound that is not there.
std::optional<std::vector<uint8_t>> read_image(const std::string& path) {
    auto bytes = ui::read_file(path);
    if (bytes) bytes->push_back(0);
    return bytes;
}

}  // namespace

void mdl_Sound_Load(MdlSound& s, const std::string& folder) {
    s.snd_oki = read_image(folder + "/s_oki.wav");
    s.snd_kae = read_image(folder + "/s_kae.wav");
}

void play_sound(Winmm& w, const std::optional<std::vector<uint8_t>>& snd) {
    if (!snd || snd->empty()) return;
    w.sndPlaySoundA(snd->data(), snd->size(), 5);  // asynchronous, from memory
}

void music_start(MdlSound& s, Winmm& w, ui::Timer& timer_sound, const std::string& folder,
                 const std::string& file) {
    s.mci_Ret = w.mciSendStringA("open \"" + folder + "/" + file + "\" alias bgm", nullptr, 0, 0);
    s.mci_Ret = w.mciSendStringA("play bgm", nullptr, 0, 0);
    // Tag "1" tells the watcher to start the piece again when it ends.
    timer_sound.tag = "1";
    timer_sound.set_enabled(true);
}

void music_stop(MdlSound& s, Winmm& w, ui::Timer& timer_sound) {
    timer_sound.set_enabled(false);
    timer_sound.tag = "0";
    s.mci_Ret = w.mciSendStringA("stop bgm", nullptr, 0, 0);
    s.mci_Ret = w.mciSendStringA("close bgm", nullptr, 0, 0);
}

void timer_sound_tick(MdlSound& s, Winmm& w, ui::Timer& timer_sound) {
    s.mci_Ret = w.mciSendStringA("status bgm mode", s.mci_Status, 255, 0);
    if (std::strncmp(s.mci_Status, "stopped", 7) != 0) return;
    if (timer_sound.tag == "1")
        s.mci_Ret = w.mciSendStringA("play bgm from 0", nullptr, 0, 0);
    else
        music_stop(s, w, timer_sound);
}

void mdl_Music_Speed(Hensu& h, MdlSound& s, Winmm& w, ui::Timer& timer_sound,
                     const std::string& folder) {
    if (h.Kuro_Kazu + h.Siro_Kazu > 54 && h.Music_Speed_Flg == 0) {
        h.Music_Speed_Flg = 1;
        music_stop(s, w, timer_sound);
        music_start(s, w, timer_sound, folder, "bg_main_hi.mid");
    }
}
