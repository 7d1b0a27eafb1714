#include "platform/winmm_sdl.h"

#include <SDL.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

void ignore_alsa_error(const char*, int, const char*, int, const char*, ...) {}

// Without a sound card ALSA writes its complaints to stderr by itself; the
// game reports nothing. The library stays loaded so that SDL finds the
// handler in place when it opens ALSA.
void silence_alsa() {
    void* alsa = SDL_LoadObject("libasound.so.2");
    if (!alsa) return;
    using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
    using SetHandler = int (*)(Handler);
    if (auto set = reinterpret_cast<SetHandler>(SDL_LoadFunction(alsa, "snd_lib_error_set_handler")))
        set(ignore_alsa_error);
}

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

// Reads a MIDI file's tracks, bounds-checked throughout.
class SmfReader {
public:
    explicit SmfReader(std::vector<uint8_t> bytes) : b_(std::move(bytes)) {}
    bool ok() const { return ok_; }
    size_t pos() const { return pos_; }
    void seek(size_t p) {
        if (p > b_.size()) ok_ = false; else pos_ = p;
    }
    uint32_t byte() {
        if (pos_ >= b_.size()) { ok_ = false; return 0; }
        return b_[pos_++];
    }
    uint32_t be(int n) {
        uint32_t v = 0;
        for (int i = 0; i < n; ++i) v = v << 8 | byte();
        return v;
    }
    uint32_t vlq() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            uint32_t c = byte();
            v = v << 7 | (c & 0x7F);
            if (!(c & 0x80)) return v;
        }
        ok_ = false;
        return 0;
    }
    bool tag(const char* t) {
        for (int i = 0; i < 4; ++i)
            if (byte() != uint8_t(t[i])) ok_ = false;
        return ok_;
    }

private:
    std::vector<uint8_t> b_;
    size_t pos_ = 0;
    bool ok_ = true;
};

}  // namespace

std::optional<double> midi_file_seconds(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    SmfReader r(std::vector<uint8_t>((std::istreambuf_iterator<char>(in)),
                                     std::istreambuf_iterator<char>()));
    if (!r.tag("MThd")) return std::nullopt;
    uint32_t header = r.be(4);
    r.be(2);  // format
    uint32_t tracks = r.be(2), division = r.be(2);
    r.seek(8 + size_t(header));
    if (!r.ok() || division == 0) return std::nullopt;

    std::vector<std::pair<uint64_t, uint32_t>> tempos;  // tick, microseconds a quarter
    uint64_t end_tick = 0;
    for (uint32_t t = 0; t < tracks; ++t) {
        if (!r.tag("MTrk")) return std::nullopt;
        size_t stop = r.pos() + 4;
        stop += r.be(4);
        uint64_t tick = 0;
        uint32_t running = 0;
        while (r.ok() && r.pos() < stop) {
            tick += r.vlq();
            uint32_t status = r.byte();
            if (status == 0xFF) {
                uint32_t kind = r.byte(), len = r.vlq();
                size_t data = r.pos();
                if (kind == 0x51 && len == 3) tempos.emplace_back(tick, r.be(3));
                r.seek(data + len);
                if (kind == 0x2F) break;
            } else if (status == 0xF0 || status == 0xF7) {
                uint32_t len = r.vlq();
                r.seek(r.pos() + len);
            } else {
                if (status < 0x80) {  // running status: this was the first data byte
                    if (!running) return std::nullopt;
                    r.seek(r.pos() - 1);
                    status = running;
                }
                running = status;
                uint32_t kind = status & 0xF0;
                r.seek(r.pos() + (kind == 0xC0 || kind == 0xD0 ? 1 : 2));
            }
        }
        if (!r.ok()) return std::nullopt;
        end_tick = std::max(end_tick, tick);
        r.seek(stop);
    }
    if (!r.ok()) return std::nullopt;

    if (division & 0x8000) {  // SMPTE frames a second and ticks a frame
        int fps = -int(int8_t(division >> 8));
        int per_frame = int(division & 0xFF);
        if (fps <= 0 || per_frame == 0) return std::nullopt;
        return double(end_tick) / (fps * per_frame);
    }
    std::stable_sort(tempos.begin(), tempos.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    double seconds = 0;
    uint64_t at = 0;
    uint32_t tempo = 500000;  // 120 bpm until told otherwise
    for (const auto& [tick, us] : tempos) {
        if (tick >= end_tick) break;
        seconds += double(tick - at) * tempo / 1e6 / division;
        at = tick;
        tempo = us;
    }
    seconds += double(end_tick - at) * tempo / 1e6 / division;
    return seconds;
}

SdlWinmm::SdlWinmm(const std::string& soundfont) {
    silence_alsa();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return;
    sdl_audio_ = true;
    // 22.05 kHz: the synthesizer renders the music all the time, at half the
    // CPU of 44.1 kHz; the short clicks and the General MIDI pieces still
    // sound clean at this rate.
    if (Mix_OpenAudio(22050, MIX_DEFAULT_FORMAT, 2, 1024) != 0) return;
    audio_open_ = true;
    Mix_AllocateChannels(1);
    int freq = 0, channels = 0;
    Uint16 format = 0;
    Mix_QuerySpec(&freq, &format, &channels);
    bytes_per_second_ = uint64_t(freq) * uint64_t(channels) * (SDL_AUDIO_BITSIZE(format) / 8);
    Mix_SetPostMix(&SdlWinmm::count_mixed, this);
    // FluidSynth reads the soundfont each time a piece is loaded, so it is set
    // once here; the environment variable covers builds that only look there.
    if (readable(soundfont)) {
        have_soundfont_ = true;
        Mix_SetSoundFonts(soundfont.c_str());
        setenv("SDL_SOUNDFONTS", soundfont.c_str(), 0);
    }
}

SdlWinmm::~SdlWinmm() {
    finish_preload();
    if (audio_open_) {
        Mix_SetPostMix(nullptr, nullptr);
        Mix_HaltChannel(-1);
        if (effect_) Mix_FreeChunk(effect_);
        close_music();
        for (auto& [path, piece] : pieces_) Mix_FreeMusic(piece.music);
        Mix_CloseAudio();
    }
    if (sdl_audio_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

std::optional<SdlWinmm::Stamp> SdlWinmm::stamp_of(const std::string& path) {
    std::error_code e1, e2;
    Stamp s{std::filesystem::last_write_time(path, e1), std::filesystem::file_size(path, e2)};
    if (e1 || e2) return std::nullopt;
    return s;
}

std::optional<SdlWinmm::Piece> SdlWinmm::load_piece(const std::string& path) {
    auto stamp = stamp_of(path);
    Mix_Music* music = stamp ? Mix_LoadMUS(path.c_str()) : nullptr;
    if (!music) return std::nullopt;
    return Piece{music, *stamp};
}

void SdlWinmm::preload(const std::string& path) {
    finish_preload();
    if (!audio_open_ || !have_soundfont_ || pieces_.count(path)) return;
    preloader_ = std::thread([this, path] {
        if (auto piece = load_piece(path)) pieces_[path] = *piece;
        // SDL frees a thread's error text by itself only in threads it made.
        SDL_TLSCleanup();
    });
}

void SdlWinmm::finish_preload() {
    if (preloader_.joinable()) preloader_.join();
}

bool SdlWinmm::effect_playing() const {
    return audio_open_ && Mix_Playing(kEffectChannel) != 0;
}

int32_t SdlWinmm::sndPlaySoundA(const uint8_t* image, size_t size, int32_t /*flags*/) {
    finish_preload();
    if (!audio_open_ || !image || size < 8) return 0;
    if (std::memcmp(image, "RIFF", 4) != 0) return 0;
    // The RIFF header tells how long the file is, but a file cut short claims
    // more than there is: never read past the image.
    const uint64_t length = std::min<uint64_t>(uint64_t(le32(image + 4)) + 8, size);
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

void SdlWinmm::count_mixed(void* self, Uint8*, int len) {
    static_cast<SdlWinmm*>(self)->mixed_bytes_ += uint64_t(len);
}

int32_t SdlWinmm::start_music() {
    // Counting from just after the start is late by a buffer at most.
    int r = Mix_PlayMusic(music_, 1);
    mixed_bytes_ = 0;
    return r == 0 ? 0 : mci_error::kHardware;
}

bool SdlWinmm::music_playing() const {
    if (!Mix_PlayingMusic()) return false;
    return !piece_seconds_ || bytes_per_second_ == 0 ||
           double(mixed_bytes_.load()) / double(bytes_per_second_) < *piece_seconds_;
}

void SdlWinmm::close_music() {
    if (music_) {
        Mix_HaltMusic();
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
    auto it = pieces_.find(path);
    if (it != pieces_.end() && stamp_of(path) != it->second.stamp) {
        Mix_FreeMusic(it->second.music);
        pieces_.erase(it);
        it = pieces_.end();
    }
    if (it == pieces_.end()) {
        auto piece = load_piece(path);
        if (!piece) return mci_error::kInvalidFile;
        it = pieces_.emplace(path, *piece).first;
    }
    music_ = it->second.music;
    piece_seconds_ = midi_file_seconds(path);
    alias_ = alias;
    // Kept in lower case: aliases, like keywords, match in any case.
    for (char& c : alias_) c = char(std::tolower(static_cast<unsigned char>(c)));
    return 0;
}

int32_t SdlWinmm::mciSendStringA(const std::string& command, char* reply, int32_t length,
                                 int32_t /*callback_window*/) {
    finish_preload();
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
            if (music_playing()) return 0;
        } else if (w.size() == 4 && is(w[2], "from")) {
            if (w[3] != "0") return mci_error::kOutOfRange;
        } else {
            return mci_error::kUnrecognizedCommand;
        }
        return start_music();
    }
    if (is(verb, "status")) {
        if (w.size() != 3 || !is(w[2], "mode")) return mci_error::kUnrecognizedCommand;
        return reply_text(music_playing() ? "playing" : "stopped", reply, length);
    }
    if (w.size() != 2) return mci_error::kUnrecognizedCommand;
    if (is(verb, "stop")) {
        Mix_HaltMusic();
        return 0;
    }
    close_music();  // "close"
    return 0;
}
