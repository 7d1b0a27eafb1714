// The SDL2_mixer back end on SDL's dummy audio driver: real decoding and
// mixing, no sound card needed.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <SDL.h>

#include "platform/winmm_sdl.h"

namespace {

class DummyAudio : public ::testing::Environment {
public:
    void SetUp() override { setenv("SDL_AUDIODRIVER", "dummy", 1); }
};
[[maybe_unused]] auto* const dummy_audio = ::testing::AddGlobalTestEnvironment(new DummyAudio);

void put16(std::vector<uint8_t>& v, uint32_t x) {
    v.push_back(uint8_t(x));
    v.push_back(uint8_t(x >> 8));
}
void put32(std::vector<uint8_t>& v, uint32_t x) {
    put16(v, x & 0xFFFF);
    put16(v, x >> 16);
}

// A WAV file image of a mono 16-bit sine, followed by the 0 byte the game
// appends (which must not be taken for audio).
std::vector<uint8_t> tone_wav(double seconds, double hz) {
    const uint32_t rate = 22050, frames = uint32_t(seconds * rate), data = frames * 2;
    std::vector<uint8_t> v = {'R', 'I', 'F', 'F'};
    put32(v, 36 + data);
    for (char c : std::string("WAVEfmt ")) v.push_back(uint8_t(c));
    put32(v, 16);
    put16(v, 1);  // PCM
    put16(v, 1);  // mono
    put32(v, rate);
    put32(v, rate * 2);
    put16(v, 2);
    put16(v, 16);
    for (char c : std::string("data")) v.push_back(uint8_t(c));
    put32(v, data);
    for (uint32_t i = 0; i < frames; ++i)
        put16(v, uint16_t(int16_t(8000 * std::sin(2 * M_PI * hz * i / rate))));
    v.push_back(0);
    return v;
}

std::vector<uint8_t> vlq(uint32_t t) {
    std::vector<uint8_t> v = {uint8_t(t & 0x7F)};
    while (t >>= 7) v.insert(v.begin(), uint8_t(0x80 | (t & 0x7F)));
    return v;
}

// A MIDI file of the given tracks (raw event bytes, end of track appended).
std::vector<uint8_t> smf(const std::vector<std::vector<uint8_t>>& tracks, uint16_t division) {
    std::vector<uint8_t> f = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, uint8_t(tracks.size() > 1),
                              0, uint8_t(tracks.size()), uint8_t(division >> 8),
                              uint8_t(division)};
    for (auto track : tracks) {
        for (uint8_t b : {0x00, 0xFF, 0x2F, 0x00}) track.push_back(b);
        for (char c : std::string("MTrk")) f.push_back(uint8_t(c));
        for (int shift = 24; shift >= 0; shift -= 8) f.push_back(uint8_t(track.size() >> shift));
        f.insert(f.end(), track.begin(), track.end());
    }
    return f;
}

std::vector<uint8_t> cat(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// One marimba note of `ms` milliseconds at 120 bpm, 480 ticks a quarter.
std::vector<uint8_t> short_midi(int ms) {
    auto track = cat({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0xC0, 12, 0x00, 0x90, 72, 100},
                     cat(vlq(uint32_t(ms * 480 / 500)), {0x80, 72, 0}));
    return smf({track}, 480);
}

std::string temp_file(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::string path = (std::filesystem::temp_directory_path() /
                        (name + "_" + std::to_string(getpid()))).string();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path;
}

std::string status(SdlWinmm& w, int32_t* code = nullptr) {
    char reply[256];
    std::memset(reply, 'x', sizeof reply);
    int32_t r = w.mciSendStringA("status bgm mode", reply, 255, 0);
    if (code) *code = r;
    return reply;
}

struct LengthCase {
    const char* what;
    std::vector<uint8_t> file;
    std::optional<double> seconds;
};

TEST(MidiFileSeconds, FollowsTempoChangesAndTheLongestTrack) {
    const std::vector<uint8_t> two_notes = {0x00, 0x90, 60, 100, 0x83, 0x60, 0x80, 60, 0};
    const std::vector<uint8_t> whole = short_midi(300);
    const std::vector<LengthCase> cases = {
        {"one note, 120 bpm", short_midi(300), 0.3},
        {"no tempo at all means 120 bpm", smf({two_notes}, 480), 0.5},
        // 480 ticks at 120 bpm, then the tempo halves for 480 more.
        {"tempo change", smf({cat({0x00, 0x90, 60, 100, 0x83, 0x60, 0xFF, 0x51, 3, 0x0F, 0x42,
                                   0x40},
                                  {0x83, 0x60, 0x80, 60, 0})},
                             480),
         1.5},
        // Running status: the second note-off carries no status byte.
        {"running status", smf({{0x00, 0x90, 60, 100, 0x00, 64, 100, 0x83, 0x60, 0x80, 60, 0,
                                 0x83, 0x60, 64, 0}},
                               480),
         1.0},
        {"format 1, tempo track and a longer note track",
         smf({{0x00, 0xFF, 0x51, 3, 0x03, 0xD0, 0x90}, {0x00, 0x90, 60, 100, 0x87, 0x40, 0x80,
                                                        60, 0}},
             480),
         0.5},
        {"sysex skipped", smf({cat({0x00, 0xF0, 0x03, 0x7E, 0x7F, 0xF7}, two_notes)}, 480), 0.5},
        {"SMPTE: 25 frames of 40 ticks", smf({two_notes}, 0xE728), 0.48},
        {"not a MIDI file", tone_wav(0.1, 440), std::nullopt},
        {"cut short", std::vector<uint8_t>(whole.begin(), whole.end() - 6),
         std::nullopt},
    };
    for (const LengthCase& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = temp_file("len.mid", c.file);
        auto got = midi_file_seconds(path);
        ASSERT_EQ(got.has_value(), c.seconds.has_value());
        if (c.seconds) {
            EXPECT_NEAR(*got, *c.seconds, 1e-9);
        }
        std::filesystem::remove(path);
    }
    EXPECT_EQ(midi_file_seconds("/nonexistent/x.mid"), std::nullopt);
}

TEST(SdlWinmmEffects, ASoundPlaysFromMemoryAndTheNextCutsItOff) {
    SdlWinmm w;
    if (!w.audio_open()) GTEST_SKIP() << "no audio, even on the dummy driver";
    const auto first = tone_wav(1.0, 440), second = tone_wav(0.5, 880);

    EXPECT_EQ(w.sndPlaySoundA(first.data(), first.size(), 5), 1);
    const Mix_Chunk* a = w.current_effect();
    ASSERT_NE(a, nullptr);
    EXPECT_TRUE(w.effect_playing());

    EXPECT_EQ(w.sndPlaySoundA(second.data(), second.size(), 5), 1);
    const Mix_Chunk* b = w.current_effect();
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    EXPECT_TRUE(w.effect_playing());
    // Half the length: the second image was decoded, not the first replayed,
    // and the header's length was used rather than reading on past the data.
    int freq = 0, channels = 0;
    Uint16 format = 0;
    ASSERT_NE(Mix_QuerySpec(&freq, &format, &channels), 0);
    const uint32_t frame = uint32_t(channels * SDL_AUDIO_BITSIZE(format) / 8);
    EXPECT_NEAR(double(b->alen) / frame / freq, 0.5, 0.01);
    EXPECT_EQ(Mix_Playing(-1), 1);  // one channel only: the first is gone
}

TEST(SdlWinmmEffects, AnImageThatIsNotAWavFileIsRefused) {
    SdlWinmm w;
    if (!w.audio_open()) GTEST_SKIP() << "no audio, even on the dummy driver";
    const std::vector<uint8_t> junk = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0};
    EXPECT_EQ(w.sndPlaySoundA(junk.data(), junk.size(), 5), 0);
    EXPECT_EQ(w.sndPlaySoundA(nullptr, 0, 5), 0);
    EXPECT_EQ(w.current_effect(), nullptr);
    EXPECT_FALSE(w.effect_playing());
}

TEST(SdlWinmmEffects, AFileCutShortPlaysWhatThereIsAndReadsNoFurther) {
    SdlWinmm w;
    if (!w.audio_open()) GTEST_SKIP() << "no audio, even on the dummy driver";
    // The header still claims a whole second; the image holds a quarter of it,
    // in a block of exactly its size so that a read past it is caught.
    const auto whole = tone_wav(1.0, 440);
    const size_t kept = 44 + 22050 / 4 * 2;
    const std::unique_ptr<uint8_t[]> cut(new uint8_t[kept]);
    std::memcpy(cut.get(), whole.data(), kept);
    EXPECT_EQ(w.sndPlaySoundA(cut.get(), kept, 5), 1);
    ASSERT_NE(w.current_effect(), nullptr);
    int freq = 0, channels = 0;
    Uint16 format = 0;
    ASSERT_NE(Mix_QuerySpec(&freq, &format, &channels), 0);
    const uint32_t frame = uint32_t(channels * SDL_AUDIO_BITSIZE(format) / 8);
    EXPECT_LE(double(w.current_effect()->alen) / frame / freq, 0.26);

    EXPECT_EQ(w.sndPlaySoundA(cut.get(), 3, 5), 0);  // not even a whole "RIFF"
}

struct BadCommand {
    const char* command;
    int32_t code;
};

class SdlWinmmBadCommands : public ::testing::TestWithParam<BadCommand> {};

TEST_P(SdlWinmmBadCommands, FailWithAnMciCodeAndAnEmptyReply) {
    SdlWinmm w;
    char reply[16] = "unchanged";
    EXPECT_EQ(w.mciSendStringA(GetParam().command, reply, sizeof reply, 0), GetParam().code);
    EXPECT_STREQ(reply, "");
}

INSTANTIATE_TEST_SUITE_P(
    Mci, SdlWinmmBadCommands,
    ::testing::Values(BadCommand{"close bgm", mci_error::kInvalidDeviceName},
                      BadCommand{"stop bgm", mci_error::kInvalidDeviceName},
                      BadCommand{"play bgm", mci_error::kInvalidDeviceName},
                      BadCommand{"status bgm mode", mci_error::kInvalidDeviceName},
                      BadCommand{"fly bgm", mci_error::kUnrecognizedCommand},
                      BadCommand{"", mci_error::kUnrecognizedCommand},
                      BadCommand{"open \"/tmp/x.mid alias bgm", mci_error::kUnrecognizedCommand},
                      BadCommand{"open \"/nonexistent/bg_main.mid\" alias bgm",
                                 mci_error::kFileNotFound}),
    // Named by position: the cases hold pointers, which differ from run to run.
    [](const auto& info) { return std::to_string(info.index); });

class SdlWinmmMusic : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = temp_file("short.mid", short_midi(300));
        if (!w_.midi_available()) GTEST_SKIP() << "no audio device or no soundfont";
        int32_t r = w_.mciSendStringA("open \"" + path_ + "\" alias bgm", nullptr, 0, 0);
        if (r == mci_error::kInvalidFile)
            GTEST_SKIP() << "SDL_mixer cannot play MIDI here: " << Mix_GetError();
        ASSERT_EQ(r, 0);
    }
    void TearDown() override { std::filesystem::remove(path_); }

    // Real time, since the piece really plays; bounded well below a second
    // past the piece's own length.
    // Seconds until the status reads "stopped", or none within the cap.
    std::optional<double> seconds_until_stopped() {
        auto start = std::chrono::steady_clock::now();
        auto give_up = start + std::chrono::milliseconds(1500);
        while (std::chrono::steady_clock::now() < give_up) {
            if (status(w_) == "stopped")
                return std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
                    .count();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return std::nullopt;
    }

    SdlWinmm w_;
    std::string path_;
};

TEST_F(SdlWinmmMusic, PlaysToItsEndThenReadsStopped) {
    EXPECT_EQ(status(w_), "stopped");  // opened, not yet playing
    ASSERT_EQ(w_.mciSendStringA("play bgm", nullptr, 0, 0), 0);
    int32_t code = -1;
    EXPECT_EQ(status(w_, &code), "playing");
    EXPECT_EQ(code, 0);
    // At the piece's own end, not when FluidSynth lets the last note ring out.
    auto took = seconds_until_stopped();
    ASSERT_TRUE(took.has_value());
    EXPECT_GT(*took, 0.2);
    EXPECT_LT(*took, 0.8);

    // The watcher's restart.
    ASSERT_EQ(w_.mciSendStringA("play bgm from 0", nullptr, 0, 0), 0);
    EXPECT_EQ(status(w_), "playing");
}

TEST_F(SdlWinmmMusic, StopAndCloseEndTheDevice) {
    ASSERT_EQ(w_.mciSendStringA("play bgm", nullptr, 0, 0), 0);
    EXPECT_EQ(w_.mciSendStringA("stop bgm", nullptr, 0, 0), 0);
    EXPECT_EQ(status(w_), "stopped");
    EXPECT_EQ(w_.mciSendStringA("close bgm", nullptr, 0, 0), 0);
    EXPECT_EQ(w_.mciSendStringA("close bgm", nullptr, 0, 0), mci_error::kInvalidDeviceName);
    int32_t code = 0;
    EXPECT_EQ(status(w_, &code), "");
    EXPECT_EQ(code, mci_error::kInvalidDeviceName);
    // Closed, the alias can be opened again.
    EXPECT_EQ(w_.mciSendStringA("open \"" + path_ + "\" alias bgm", nullptr, 0, 0), 0);
}

TEST_F(SdlWinmmMusic, AReopenedPieceIsLoadedAgainOnlyIfItsFileChanged) {
    const std::string open = "open \"" + path_ + "\" alias bgm";
    ASSERT_EQ(w_.mciSendStringA("close bgm", nullptr, 0, 0), 0);
    ASSERT_EQ(w_.mciSendStringA(open, nullptr, 0, 0), 0);
    ASSERT_EQ(w_.mciSendStringA("play bgm", nullptr, 0, 0), 0);
    EXPECT_EQ(status(w_), "playing");
    ASSERT_EQ(w_.mciSendStringA("close bgm", nullptr, 0, 0), 0);

    // The same name, now not a MIDI file: the piece kept from before must not play.
    temp_file("short.mid", {'n', 'o', 't', ' ', 'm', 'i', 'd', 'i'});
    EXPECT_EQ(w_.mciSendStringA(open, nullptr, 0, 0), mci_error::kInvalidFile);
    EXPECT_EQ(status(w_), "");
}

TEST(SdlWinmmPreload, APreloadedPieceOpensAndPlaysAndABadOneStillFails) {
    const std::string good = temp_file("pre_good.mid", short_midi(300));
    const std::string bad = temp_file("pre_bad.mid", {'M', 'T', 'h', 'd'});
    SdlWinmm w;
    if (!w.midi_available()) GTEST_SKIP() << "no audio device or no soundfont";
    w.preload(good);
    EXPECT_EQ(w.mciSendStringA("open \"" + good + "\" alias bgm", nullptr, 0, 0), 0);
    EXPECT_EQ(w.mciSendStringA("play bgm", nullptr, 0, 0), 0);
    EXPECT_EQ(status(w), "playing");
    EXPECT_EQ(w.mciSendStringA("close bgm", nullptr, 0, 0), 0);

    w.preload(bad);
    EXPECT_EQ(w.mciSendStringA("open \"" + bad + "\" alias bgm", nullptr, 0, 0), mci_error::kInvalidFile);
    std::filesystem::remove(good);
    std::filesystem::remove(bad);
}

TEST_F(SdlWinmmMusic, OneDeviceOneAlias) {
    EXPECT_EQ(w_.mciSendStringA("open \"" + path_ + "\" alias bgm", nullptr, 0, 0),
              mci_error::kDuplicateAlias);
    EXPECT_EQ(w_.mciSendStringA("play other", nullptr, 0, 0), mci_error::kInvalidDeviceName);
    EXPECT_EQ(w_.mciSendStringA("play bgm from 1000", nullptr, 0, 0), mci_error::kOutOfRange);
    EXPECT_EQ(w_.mciSendStringA("status bgm", nullptr, 0, 0), mci_error::kUnrecognizedCommand);
    EXPECT_EQ(status(w_), "stopped");  // none of those started anything
}

TEST_F(SdlWinmmMusic, AShortReplyBufferIsCutAndTerminated) {
    char reply[8];
    std::memset(reply, 'x', sizeof reply);
    EXPECT_EQ(w_.mciSendStringA("status bgm mode", reply, 4, 0), mci_error::kParamOverflow);
    EXPECT_STREQ(reply, "sto");
    EXPECT_EQ(reply[4], 'x');
}

TEST(SdlWinmmSilent, WithoutASoundfontMusicFailsQuietly) {
    const std::string path = temp_file("nosf.mid", short_midi(300));
    SdlWinmm w("/nonexistent/none.sf2");
    EXPECT_NE(w.mciSendStringA("open \"" + path + "\" alias bgm", nullptr, 0, 0), 0);
    EXPECT_NE(w.mciSendStringA("play bgm", nullptr, 0, 0), 0);
    EXPECT_EQ(status(w), "");
    std::filesystem::remove(path);
}

TEST(SdlWinmmSilent, WithoutAnAudioDeviceEveryCallFails) {
    if (SDL_WasInit(SDL_INIT_AUDIO))
        GTEST_SKIP() << "audio already opened elsewhere in this process";
    setenv("SDL_AUDIODRIVER", "no_such_driver", 1);
    {
        SdlWinmm w;
        EXPECT_FALSE(w.audio_open());
        const auto wav = tone_wav(0.1, 440);
        EXPECT_EQ(w.sndPlaySoundA(wav.data(), wav.size(), 5), 0);
        const std::string path = temp_file("nodev.mid", short_midi(300));
        EXPECT_NE(w.mciSendStringA("open \"" + path + "\" alias bgm", nullptr, 0, 0), 0);
        EXPECT_EQ(status(w), "");
        std::filesystem::remove(path);
    }
    setenv("SDL_AUDIODRIVER", "dummy", 1);
}

}  // namespace
