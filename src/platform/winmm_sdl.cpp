#include "platform/winmm_sdl.h"

#include <SDL.h>
#include <glib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

#include "platform/memory.h"
#include "ui/files.h"

namespace {

// Enough for the game's music: the fast piece, at its busiest, sounds 58
// voices at once with TimGM6mb, counting the notes still dying away; the
// rest leaves room for a soundfont that layers a few of its instruments.
constexpr int kPolyphony = 96;
// The level SDL2_mixer drove FluidSynth at (1.2 at full music volume, against
// FluidSynth's own 0.2), which the pieces are mixed for.
constexpr double kGain = 1.2;

void ignore_glib_message(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

// What the soundfont loaders may say through GLib, kept quiet: complaints,
// never an error. A fatal message (an error, or a critical made fatal by
// G_DEBUG) matches no handler set for these levels and reaches GLib's default
// handler, which prints it before the process aborts.
constexpr GLogLevelFlags kLoaderLevels = GLogLevelFlags(G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_WARNING |
                                                        G_LOG_LEVEL_MESSAGE | G_LOG_LEVEL_INFO |
                                                        G_LOG_LEVEL_DEBUG);

// FluidSynth reports a damaged piece or soundfont on stderr, and so does the
// GLib beneath it: a file that is no SF2 goes on to libinstpatch's DLS
// loader, whose checks complain through g_log in the default domain (it has
// none of its own). The game reports nothing. Done once, before any
// synthesizer exists, as the settings are global. (Neither library logs to
// GLib in its structured form, which would bypass the handler.)
void quiet_fluidsynth() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (int level = 0; level < LAST_LOG_LEVEL; ++level)
            fluid_set_log_function(level, nullptr, nullptr);
        g_log_set_handler(nullptr, kLoaderLevels, ignore_glib_message, nullptr);
    });
}

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

uint32_t le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// Reads a MIDI file's tracks, bounds-checked throughout.
class SmfReader {
public:
    explicit SmfReader(const std::vector<uint8_t>& bytes) : b_(bytes) {}
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
    const std::vector<uint8_t>& b_;
    size_t pos_ = 0;
    bool ok_ = true;
};

}  // namespace

std::optional<double> midi_file_seconds(const std::vector<uint8_t>& file) {
    SmfReader r(file);
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

std::optional<std::string> find_soundfont(const std::vector<std::string>& candidates) {
    for (const std::string& path : candidates) {
        const int fd = ui::open_regular_file(path);
        if (fd < 0) continue;
        ::close(fd);
        return path;
    }
    return std::nullopt;
}

std::vector<std::string> default_soundfonts() {
    return {"/usr/share/sounds/sf2/default-GM.sf2", "/usr/share/sounds/sf2/TimGM6mb.sf2",
            "/usr/share/sounds/sf2/FluidR3_GM.sf2", "/usr/share/sounds/sf2/MuseScore_General.sf2"};
}

SdlWinmm::SdlWinmm(const std::vector<std::string>& soundfonts) {
    silence_alsa();
    quiet_fluidsynth();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return;
    sdl_audio_ = true;
    // 22.05 kHz: the synthesizer renders the music all the time, at half the
    // CPU of 44.1 kHz; the short clicks and the General MIDI pieces still
    // sound clean at this rate.
    if (Mix_OpenAudio(22050, MIX_DEFAULT_FORMAT, 2, 1024) != 0) return;
    audio_open_ = true;
    Mix_AllocateChannels(1);
    // The device may have been opened at another rate or channel count; the
    // sample format is the one asked for.
    Uint16 format = 0;
    if (Mix_QuerySpec(&rate_, &format, &channels_) == 0 || format != AUDIO_S16SYS || channels_ < 1)
        return;
    soundfont_ = find_soundfont(soundfonts);
    Mix_HookMusic(&SdlWinmm::render, this);
}

SdlWinmm::~SdlWinmm() {
    if (setup_.joinable()) setup_.join();
    if (audio_open_) {
        Mix_HookMusic(nullptr, nullptr);
        Mix_HaltChannel(-1);
        if (effect_) Mix_FreeChunk(effect_);
        Mix_CloseAudio();
    }
    // The audio thread is gone: nothing else uses the synthesizer now.
    if (player_) delete_fluid_player(player_);
    if (synth_) delete_fluid_synth(synth_);
    if (settings_) delete_fluid_settings(settings_);
    if (sdl_audio_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

std::optional<SdlWinmm::Stamp> SdlWinmm::stamp_of(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return Stamp{st.st_mtim.tv_sec, st.st_mtim.tv_nsec, st.st_size, st.st_ino};
}

SdlWinmm::Loaded SdlWinmm::load_piece(const std::string& path) {
    // Stamped before reading: a change while it is read shows at the next open.
    auto stamp = stamp_of(path);
    ui::FileError error;
    auto bytes = stamp ? ui::read_file(path, &error) : std::nullopt;
    // An empty file is there, and no MIDI file; whatever else keeps it from
    // being read makes it one that is not there.
    if (!bytes)
        return {nullptr, error.fault == ui::FileFault::empty ? mci_error::kInvalidFile : mci_error::kFileNotFound};
    auto seconds = midi_file_seconds(*bytes);
    if (!seconds) return {nullptr, mci_error::kInvalidFile};
    return {std::make_shared<const Piece>(Piece{*stamp, std::move(*bytes), *seconds}), 0};
}

void SdlWinmm::preload(const std::vector<std::string>& pieces) {
    if (audio_open_ && soundfont_) start_setup(pieces);
}

void SdlWinmm::start_setup(const std::vector<std::string>& pieces) {
    if (setup_started_) return;
    setup_started_ = true;
    try {
        setup_ = std::thread([this, pieces] {
            try {
                set_up(pieces);
            } catch (...) {
                // Out of memory: no music, like a soundfont that fails to load.
                std::lock_guard lock(music_mutex_);
                setup_failed_ = true;
                play_waiting_ = false;
            }
            // SDL frees a thread's error text by itself only in threads it made.
            SDL_TLSCleanup();
        });
    } catch (...) {
        std::lock_guard lock(music_mutex_);
        setup_failed_ = true;  // no thread, no music
    }
}

void SdlWinmm::set_up(const std::vector<std::string>& pieces) {
    // The pieces first: they take a moment, the soundfont most of the time.
    for (const std::string& path : pieces) {
        Loaded loaded = load_piece(path);
        if (!loaded.piece) continue;
        std::lock_guard lock(pieces_mutex_);
        pieces_[path] = std::move(loaded.piece);
    }
    make_synth();
    // Reading the soundfont leaves this thread's malloc arena holding
    // megabytes it no longer uses: give them back.
    platform::give_back_free_memory();
}

void SdlWinmm::make_synth() {
    fluid_settings_t* settings = new_fluid_settings();
    // No reverb or chorus: they run on every audio block whether a note sounds
    // or not. The player keeps time by the samples rendered, in the music
    // hook, rather than by a timer thread of its own. Its reset at the start
    // of a piece would set the interpolation back to the default, so
    // start_player resets instead. The pieces use a handful of the
    // soundfont's instruments: only theirs are read into memory, when a
    // piece selects them, rather than the whole soundfont's samples.
    bool ok = settings &&
              fluid_settings_setint(settings, "synth.reverb.active", 0) == FLUID_OK &&
              fluid_settings_setint(settings, "synth.chorus.active", 0) == FLUID_OK &&
              fluid_settings_setnum(settings, "synth.sample-rate", double(rate_)) == FLUID_OK &&
              fluid_settings_setint(settings, "synth.polyphony", kPolyphony) == FLUID_OK &&
              fluid_settings_setnum(settings, "synth.gain", kGain) == FLUID_OK &&
              fluid_settings_setstr(settings, "player.timing-source", "sample") == FLUID_OK &&
              fluid_settings_setint(settings, "player.reset-synth", 0) == FLUID_OK &&
              fluid_settings_setint(settings, "synth.dynamic-sample-loading", 1) == FLUID_OK;
    fluid_synth_t* synth = ok ? new_fluid_synth(settings) : nullptr;
    ok = synth && fluid_synth_set_interp_method(synth, -1, FLUID_INTERP_LINEAR) == FLUID_OK &&
         fluid_synth_sfload(synth, soundfont_->c_str(), 1) != FLUID_FAILED;
    {
        std::lock_guard lock(music_mutex_);
        if (ok) {
            settings_ = settings;
            synth_ = synth;
            if (play_waiting_) start_player();
        } else {
            setup_failed_ = true;
        }
        play_waiting_ = false;
    }
    if (!ok) {
        if (synth) delete_fluid_synth(synth);
        if (settings) delete_fluid_settings(settings);
    }
}

fluid_synth_t* SdlWinmm::synth_when_ready() {
    preload({});
    if (setup_.joinable()) setup_.join();
    return synth_;
}

bool SdlWinmm::effect_playing() const {
    return audio_open_ && Mix_Playing(kEffectChannel) != 0;
}

int32_t SdlWinmm::sndPlaySoundA(const uint8_t* image, size_t size, int32_t /*flags*/) {
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

void SdlWinmm::render(void* self, Uint8* stream, int len) {
    SdlWinmm& w = *static_cast<SdlWinmm*>(self);
    std::memset(stream, 0, size_t(len));  // silence in signed 16 bits
    std::lock_guard lock(w.music_mutex_);
    if (!w.player_) return;
    // Past the piece's end, once its last notes have died away, nothing sounds.
    if (w.frames_played_ >= w.piece_frames_ && fluid_synth_get_active_voice_count(w.synth_) == 0)
        return;
    const int frames = len / (2 * w.channels_);
    auto* out = reinterpret_cast<int16_t*>(stream);
    bool ok = true;
    if (w.channels_ >= 2) {
        // Left and right into the first two channels of each frame.
        ok = fluid_synth_write_s16(w.synth_, frames, out, 0, w.channels_, out, 1, w.channels_) ==
             FLUID_OK;
    } else {
        int16_t pairs[2 * 256];
        for (int done = 0; ok && done < frames;) {
            const int n = std::min(frames - done, 256);
            ok = fluid_synth_write_s16(w.synth_, n, pairs, 0, 2, pairs, 1, 2) == FLUID_OK;
            for (int i = 0; i < n; ++i)
                out[done + i] = int16_t((int(pairs[2 * i]) + pairs[2 * i + 1]) / 2);
            done += n;
        }
    }
    if (!ok) std::memset(stream, 0, size_t(len));
    w.frames_played_ += uint64_t(frames);
}

void SdlWinmm::start_player() {
    drop_player();
    // A fresh start: the last piece's notes and controllers go, and the
    // interpolation, which the reset sets back to the default, is set again.
    if (fluid_synth_system_reset(synth_) != FLUID_OK ||
        fluid_synth_set_interp_method(synth_, -1, FLUID_INTERP_LINEAR) != FLUID_OK)
        return;
    fluid_player_t* player = new_fluid_player(synth_);
    if (!player) return;
    if (fluid_player_add_mem(player, piece_->bytes.data(), piece_->bytes.size()) != FLUID_OK ||
        fluid_player_play(player) != FLUID_OK) {
        delete_fluid_player(player);
        return;
    }
    player_ = player;
    frames_played_ = 0;
    piece_frames_ = uint64_t(std::ceil(piece_->seconds * rate_));
}

void SdlWinmm::drop_player() {
    if (player_) delete_fluid_player(player_);
    player_ = nullptr;
}

bool SdlWinmm::music_playing() const {
    if (play_waiting_) return true;
    // FluidSynth's player only calls itself done seconds after the last
    // event, so the end is judged from the piece's own length.
    return player_ && fluid_player_get_status(player_) == FLUID_PLAYER_PLAYING &&
           frames_played_ < piece_frames_;
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
    const auto stamp = stamp_of(path);
    if (!stamp) return mci_error::kFileNotFound;
    if (!audio_open_) return mci_error::kHardware;
    if (!soundfont_) return mci_error::kCannotLoadDriver;
    start_setup({});
    {
        std::lock_guard lock(music_mutex_);
        if (setup_failed_) return mci_error::kCannotLoadDriver;
    }

    std::shared_ptr<const Piece> piece;
    {
        std::lock_guard lock(pieces_mutex_);
        auto it = pieces_.find(path);
        if (it != pieces_.end() && it->second->stamp == *stamp) piece = it->second;
    }
    if (!piece) {
        // Not read beforehand, or the file changed since.
        Loaded loaded = load_piece(path);
        std::lock_guard lock(pieces_mutex_);
        if (!loaded.piece) {
            pieces_.erase(path);
            return loaded.error;
        }
        piece = pieces_[path] = std::move(loaded.piece);
    }
    {
        std::lock_guard lock(music_mutex_);
        piece_ = std::move(piece);
    }
    alias_ = alias;
    // Kept in lower case: aliases, like keywords, match in any case.
    for (char& c : alias_) c = char(std::tolower(static_cast<unsigned char>(c)));
    return 0;
}

int32_t SdlWinmm::mciSendStringA(const std::string& command, char* reply, int32_t length,
                                 int32_t /*callback_window*/) {
    if (reply && length > 0) reply[0] = '\0';
    try {
        std::vector<std::string> w;
        if (!split_words(command, w) || w.empty()) return mci_error::kUnrecognizedCommand;
        return mci_command(w, reply, length);
    } catch (...) {
        return mci_error::kHardware;  // out of memory
    }
}

int32_t SdlWinmm::mci_command(const std::vector<std::string>& w, char* reply, int32_t length) {
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
        const bool from_start = w.size() == 4 && is(w[2], "from");
        if (from_start && w[3] != "0") return mci_error::kOutOfRange;
        if (!from_start && w.size() != 2) return mci_error::kUnrecognizedCommand;
        std::lock_guard lock(music_mutex_);
        // Already playing: MCI carries on without a restart.
        if (from_start || !music_playing()) {
            if (synth_)
                start_player();
            else
                play_waiting_ = !setup_failed_;  // the set-up starts it when it is done
        }
        return 0;
    }
    if (is(verb, "status")) {
        if (w.size() != 3 || !is(w[2], "mode")) return mci_error::kUnrecognizedCommand;
        bool playing;
        {
            std::lock_guard lock(music_mutex_);
            playing = music_playing();
        }
        return reply_text(playing ? "playing" : "stopped", reply, length);
    }
    if (w.size() != 2) return mci_error::kUnrecognizedCommand;
    {
        std::lock_guard lock(music_mutex_);
        drop_player();
        play_waiting_ = false;
        if (is(verb, "close")) piece_.reset();
    }
    if (is(verb, "close")) alias_.clear();
    return 0;
}
