#include "platform/winmm_sdl.h"

#include <SDL.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>

namespace {

// Splits a command into words; a double-quoted word may hold spaces.
// Returns false on an unterminated quote.
bool split_words(const std::string& command, std::vector<std::string>& words) {
    size_t i = 0, n = command.size();
    while (i < n) {
        while (i < n && std::isspace(static_cast<unsigned char>(command[i]))) ++i;
        if (i >= n) break;
        std::string w;
        if (command[i] == '"') {
            size_t close = command.find('"', i + 1);
            if (close == std::string::npos) return false;
            w = command.substr(i + 1, close - i - 1);
            i = close + 1;
        } else {
            while (i < n && !std::isspace(static_cast<unsigned char>(command[i]))) w += command[i++];
        }
        words.push_back(std::move(w));
    }
    return true;
}

// MCI keywords are not case sensitive.
bool is(const std::string& word, const char* keyword) {
    if (word.size() != std::strlen(keyword)) return false;
    for (size_t i = 0; i < word.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(word[i])) != keyword[i]) return false;
    return true;
}

bool readable(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return bool(in);
}

uint32_t le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

}  // namespace

SdlWinmm::SdlWinmm(const std::string& soundfont) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return;
    sdl_audio_ = true;
    if (Mix_OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, 1024) != 0) return;
    audio_open_ = true;
    Mix_AllocateChannels(1);
    // FluidSynth reads the soundfont each time a piece is loaded, so it is set
    // once here; the environment variable covers builds that only look there.
    if (readable(soundfont)) {
        have_soundfont_ = true;
        Mix_SetSoundFonts(soundfont.c_str());
        setenv("SDL_SOUNDFONTS", soundfont.c_str(), 0);
    }
}

SdlWinmm::~SdlWinmm() {
    if (audio_open_) {
        Mix_HaltChannel(-1);
        if (effect_) Mix_FreeChunk(effect_);
        close_music();
        Mix_CloseAudio();
    }
    if (sdl_audio_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool SdlWinmm::effect_playing() const {
    return audio_open_ && Mix_Playing(kEffectChannel) != 0;
}

int32_t SdlWinmm::sndPlaySoundA(const uint8_t* image, int32_t /*flags*/) {
    if (!audio_open_ || !image) return 0;
    // Only a pointer comes in: the RIFF header tells how long the image is.
    if (std::memcmp(image, "RIFF", 4) != 0) return 0;
    uint64_t length = uint64_t(le32(image + 4)) + 8;
    if (length > 0x7fffffff) return 0;
    SDL_RWops* rw = SDL_RWFromConstMem(image, int(length));
    if (!rw) return 0;
    Mix_Chunk* next = Mix_LoadWAV_RW(rw, 1);
    if (!next) return 0;
    // A new sound cuts off the one still playing.
    Mix_HaltChannel(kEffectChannel);
    if (effect_) Mix_FreeChunk(effect_);
    effect_ = next;
    if (Mix_PlayChannel(kEffectChannel, effect_, 0) < 0) return 0;
    return 1;
}

void SdlWinmm::close_music() {
    if (music_) {
        Mix_HaltMusic();
        Mix_FreeMusic(music_);
        music_ = nullptr;
    }
    alias_.clear();
}

int32_t SdlWinmm::reply_text(const char* text, char* reply, int32_t length) {
    if (!reply || length <= 0) return 0;
    size_t n = std::strlen(text);
    if (n + 1 > size_t(length)) {
        std::memcpy(reply, text, size_t(length) - 1);
        reply[length - 1] = '\0';
        return mci_error::kParamOverflow;
    }
    std::memcpy(reply, text, n + 1);
    return 0;
}

int32_t SdlWinmm::mci_open(const std::string& path, const std::string& alias) {
    if (!alias_.empty()) return mci_error::kDuplicateAlias;
    if (!readable(path)) return mci_error::kFileNotFound;
    if (!audio_open_) return mci_error::kHardware;
    if (!have_soundfont_) return mci_error::kCannotLoadDriver;
    Mix_Music* m = Mix_LoadMUS(path.c_str());
    if (!m) return mci_error::kInvalidFile;
    music_ = m;
    alias_ = alias;
    // Kept in lower case: aliases, like keywords, match in any case.
    for (char& c : alias_) c = char(std::tolower(static_cast<unsigned char>(c)));
    return 0;
}

int32_t SdlWinmm::mciSendStringA(const std::string& command, char* reply, int32_t length,
                                 int32_t /*callback_window*/) {
    if (reply && length > 0) reply[0] = '\0';
    std::vector<std::string> w;
    if (!split_words(command, w) || w.empty()) return mci_error::kUnrecognizedCommand;

    const std::string& verb = w[0];
    if (is(verb, "open")) {
        if (w.size() != 4 || !is(w[2], "alias") || w[3].empty())
            return mci_error::kUnrecognizedCommand;
        return mci_open(w[1], w[3]);
    }
    if (!is(verb, "play") && !is(verb, "status") && !is(verb, "stop") && !is(verb, "close"))
        return mci_error::kUnrecognizedCommand;
    if (w.size() < 2 || alias_.empty() || !is(w[1], alias_.c_str()))
        return mci_error::kInvalidDeviceName;

    if (is(verb, "play")) {
        if (w.size() == 2) {
            // Already playing: MCI carries on without a restart.
            if (Mix_PlayingMusic()) return 0;
        } else if (w.size() == 4 && is(w[2], "from")) {
            if (w[3] != "0") return mci_error::kOutOfRange;
        } else {
            return mci_error::kUnrecognizedCommand;
        }
        return Mix_PlayMusic(music_, 1) == 0 ? 0 : mci_error::kHardware;
    }
    if (is(verb, "status")) {
        if (w.size() != 3 || !is(w[2], "mode")) return mci_error::kUnrecognizedCommand;
        return reply_text(Mix_PlayingMusic() ? "playing" : "stopped", reply, length);
    }
    if (w.size() != 2) return mci_error::kUnrecognizedCommand;
    if (is(verb, "stop")) {
        Mix_HaltMusic();
        return 0;
    }
    close_music();  // "close"
    return 0;
}
