// The multimedia calls played through SDL2_mixer: sound effects from WAV
// images in memory on one channel, and a small MCI command interpreter for
// one MIDI device (FluidSynth with a General MIDI soundfont).
#pragma once

#include <SDL_mixer.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <utility>

#include "sound/winmm.h"

// The playing time of a Standard MIDI File up to its last end of track,
// following its tempo changes; none if the file cannot be read as one.
std::optional<double> midi_file_seconds(const std::string& path);

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

inline constexpr const char* kDefaultSoundfont = "/usr/share/sounds/sf2/TimGM6mb.sf2";

class SdlWinmm : public Winmm {
public:
    // Opens the audio device if there is one; without it every call fails quietly.
    explicit SdlWinmm(const std::string& soundfont = kDefaultSoundfont);
    ~SdlWinmm() override;
    SdlWinmm(const SdlWinmm&) = delete;
    SdlWinmm& operator=(const SdlWinmm&) = delete;

    // Starts loading a piece in the background, so that the first "open" of
    // it need not wait while the synthesizer reads its soundfont.
    void preload(const std::string& path);

    int32_t sndPlaySoundA(const uint8_t* image, size_t size, int32_t flags) override;
    int32_t mciSendStringA(const std::string& command, char* reply, int32_t length,
                           int32_t callback_window) override;

    // For inspection: whether audio came up, and what the effect channel holds.
    bool audio_open() const { return audio_open_; }
    bool midi_available() const { return audio_open_ && have_soundfont_; }
    static constexpr int kEffectChannel = 0;
    const Mix_Chunk* current_effect() const { return effect_; }
    bool effect_playing() const;

private:
    // A file's last write time and size: a loaded piece is reused while they hold.
    using Stamp = std::pair<std::filesystem::file_time_type, uintmax_t>;
    struct Piece {
        Mix_Music* music = nullptr;
        Stamp stamp;
    };
    static std::optional<Stamp> stamp_of(const std::string& path);
    static std::optional<Piece> load_piece(const std::string& path);
    void finish_preload();
    int32_t mci_open(const std::string& path, const std::string& alias);
    int32_t reply_text(const char* text, char* reply, int32_t length);
    void close_music();
    int32_t start_music();
    bool music_playing() const;
    static void count_mixed(void* self, Uint8* stream, int len);

    bool sdl_audio_ = false;   // our share of the SDL audio subsystem
    bool audio_open_ = false;  // Mix_OpenAudio succeeded
    bool have_soundfont_ = false;
    Mix_Chunk* effect_ = nullptr;
    Mix_Music* music_ = nullptr;  // the open device's piece, one of pieces_
    // Loading a piece takes the synthesizer a tenth of a second, so pieces
    // stay loaded after "close" and are only loaded again if the file changed.
    std::map<std::string, Piece> pieces_;
    std::thread preloader_;  // while it runs, it alone touches pieces_
    std::string alias_;  // empty while no device is open
    // FluidSynth keeps a piece "playing" for seconds after its last event, so
    // the end is judged from the file's own length against the audio played.
    std::optional<double> piece_seconds_;
    std::atomic<uint64_t> mixed_bytes_{0};
    uint64_t bytes_per_second_ = 0;
};
