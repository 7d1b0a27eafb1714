// The multimedia calls played through SDL2_mixer and FluidSynth: sound
// effects from WAV images in memory on SDL2_mixer's one channel, and a small
// MCI command interpreter for one MIDI device, whose synthesizer renders into
// the mixer's music hook.
#pragma once

#include <SDL_mixer.h>
#include <fluidsynth.h>
#include <sys/types.h>

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "sound/winmm.h"

// The playing time of a Standard MIDI File's bytes up to its last end of
// track, following its tempo changes; none if they cannot be read as one.
std::optional<double> midi_file_seconds(const std::vector<uint8_t>& file);

// The first of the candidates that is a readable regular file, if any.
std::optional<std::string> find_soundfont(const std::vector<std::string>& candidates);

// The system's General MIDI soundfont first, then the ones Debian packages.
std::vector<std::string> default_soundfonts();

// MCI error codes the interpreter answers with.
namespace mci_error {
inline constexpr int32_t kUnrecognizedCommand = 261;
inline constexpr int32_t kHardware = 262;
inline constexpr int32_t kInvalidDeviceName = 263;
inline constexpr int32_t kCannotLoadDriver = 266;
inline constexpr int32_t kFileNotFound = 275;
inline constexpr int32_t kOutOfRange = 282;
inline constexpr int32_t kDuplicateAlias = 289;
inline constexpr int32_t kInvalidFile = 296;
inline constexpr int32_t kParamOverflow = 299;
}  // namespace mci_error

class SdlWinmm : public Winmm {
public:
    // Opens the audio device if there is one; without it every call fails
    // quietly. The music uses the first readable soundfont of the list.
    explicit SdlWinmm(const std::vector<std::string>& soundfonts = default_soundfonts());
    ~SdlWinmm() override;
    SdlWinmm(const SdlWinmm&) = delete;
    SdlWinmm& operator=(const SdlWinmm&) = delete;

    // Starts the synthesizer's set-up in the background, soundfont and all,
    // and reads and checks the given pieces there, so that no "open" waits
    // for either. Only the first call (or the first "open") starts it.
    void preload(const std::vector<std::string>& pieces);

    int32_t sndPlaySoundA(const uint8_t* image, size_t size, int32_t flags) override;
    int32_t mciSendStringA(const std::string& command, char* reply, int32_t length,
                           int32_t callback_window) override;

    // For inspection: whether audio came up, and what the effect channel holds.
    bool audio_open() const { return audio_open_; }
    bool midi_available() const { return audio_open_ && soundfont_.has_value(); }
    static constexpr int kEffectChannel = 0;
    const Mix_Chunk* current_effect() const { return effect_; }
    bool effect_playing() const;
    // Waits for the background set-up (starting it if need be) and returns
    // its synthesizer, or none if there is no music.
    fluid_synth_t* synth_when_ready();

private:
    struct Stamp {
        time_t seconds = 0;
        long nanoseconds = 0;
        off_t size = 0;
        ino_t inode = 0;
        bool operator==(const Stamp&) const = default;
    };
    struct Piece {
        Stamp stamp;
        std::vector<uint8_t> bytes;
        double seconds = 0;
    };
    // A file read and checked as a piece, or why not: not readable at all, or
    // not a MIDI file.
    struct Loaded {
        std::shared_ptr<const Piece> piece;
        int32_t error = 0;
    };
    static std::optional<Stamp> stamp_of(const std::string& path);
    static Loaded load_piece(const std::string& path);
    void start_setup(const std::vector<std::string>& pieces);
    void set_up(const std::vector<std::string>& pieces);
    void make_synth();
    int32_t mci_open(const std::string& path, const std::string& alias);
    int32_t mci_command(const std::vector<std::string>& w, char* reply, int32_t length);
    int32_t reply_text(const char* text, char* reply, int32_t length);
    // The rest run under music_mutex_.
    void start_player();
    void drop_player();
    bool music_playing() const;
    static void render(void* self, Uint8* stream, int len);

    bool sdl_audio_ = false;   // our share of the SDL audio subsystem
    bool audio_open_ = false;  // Mix_OpenAudio succeeded
    int rate_ = 0, channels_ = 0;
    std::optional<std::string> soundfont_;
    Mix_Chunk* effect_ = nullptr;
    std::string alias_;  // empty while no device is open

    // Pieces read by the set-up or by "open", kept while their files don't change.
    std::mutex pieces_mutex_;
    std::map<std::string, std::shared_ptr<const Piece>> pieces_;

    std::thread setup_;
    bool setup_started_ = false;

    // Shared with the audio thread and the set-up, always under this lock,
    // which the music hook takes too. (SDL2_mixer 2.6 doesn't tell which
    // audio device it opened, so the device's own lock is out of reach.)
    // Under it nothing calls into SDL, whose device lock the hook runs under.
    mutable std::mutex music_mutex_;
    fluid_settings_t* settings_ = nullptr;
    fluid_synth_t* synth_ = nullptr;   // set once the soundfont is in
    bool setup_failed_ = false;
    std::shared_ptr<const Piece> piece_;  // the open device's
    bool play_waiting_ = false;  // "play" came before the synthesizer was ready
    fluid_player_t* player_ = nullptr;
    uint64_t frames_played_ = 0;  // since the player started
    uint64_t piece_frames_ = 0;
};
