// The SDL2_mixer and FluidSynth back end on SDL's dummy audio driver: real
// decoding, synthesis and mixing, no sound card needed.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <SDL.h>
#include <glib.h>

#include "platform/winmm_sdl.h"
#include "ui/files.h"

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

// A WAV file image of mono 16-bit samples at 22.05 kHz, followed by the 0 byte
// the game appends (which must not be taken for audio).
std::vector<uint8_t> wav(const std::vector<int16_t>& samples) {
    const uint32_t rate = 22050, data = uint32_t(samples.size()) * 2;
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
    for (int16_t x : samples) put16(v, uint16_t(x));
    v.push_back(0);
    return v;
}

std::vector<uint8_t> tone_wav(double seconds, double hz) {
    std::vector<int16_t> samples(size_t(seconds * 22050));
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = int16_t(8000 * std::sin(2 * M_PI * hz * double(i) / 22050));
    return wav(samples);
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
        {"empty", {}, std::nullopt},
    };
    for (const LengthCase& c : cases) {
        SCOPED_TRACE(c.what);
        auto got = midi_file_seconds(c.file);
        ASSERT_EQ(got.has_value(), c.seconds.has_value());
        if (c.seconds) {
            EXPECT_NEAR(*got, *c.seconds, 1e-9);
        }
    }
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

// The platform's own soundfont, as the game finds it.
std::optional<std::string> system_soundfont() { return find_soundfont(default_soundfonts()); }

// What reaches file descriptor 2 while it lives, FluidSynth's and SDL's
// writes included.
class StderrCapture {
public:
    StderrCapture() : file_(std::tmpfile()) {
        std::fflush(stderr);
        saved_ = dup(2);
        if (file_) dup2(fileno(file_), 2);
    }
    ~StderrCapture() {
        restore();
        if (file_) std::fclose(file_);
    }
    std::string text() {
        restore();
        std::string out;
        if (!file_) return "(no capture)";
        std::rewind(file_);
        char buf[512];
        for (size_t n; (n = std::fread(buf, 1, sizeof buf, file_)) > 0;) out.append(buf, n);
        return out;
    }

private:
    void restore() {
        if (saved_ < 0) return;
        std::fflush(stderr);
        dup2(saved_, 2);
        close(saved_);
        saved_ = -1;
    }
    std::FILE* file_;
    int saved_ = -1;
};

struct LookupCase {
    const char* what;
    std::vector<std::string> names;  // in the temporary folder
    const char* found;               // nullptr: none
};

TEST(FindSoundfont, TheFirstReadableFileWins) {
    const auto dir = std::filesystem::temp_directory_path() / ("sf_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir / "folder.sf2");
    ASSERT_EQ(mkfifo((dir / "pipe.sf2").c_str(), 0644), 0);
    for (const char* name : {"first.sf2", "second.sf2"})
        std::ofstream(dir / name, std::ios::binary) << "sfbk";
    const std::vector<LookupCase> cases = {
        {"the first of two", {"first.sf2", "second.sf2"}, "first.sf2"},
        {"the order of the list, not of the names", {"second.sf2", "first.sf2"}, "second.sf2"},
        {"a missing file is skipped", {"missing.sf2", "second.sf2"}, "second.sf2"},
        {"a folder is skipped", {"folder.sf2", "first.sf2"}, "first.sf2"},
        // No writer ever comes: skipped at once, not waited on.
        {"a named pipe is skipped", {"pipe.sf2", "second.sf2"}, "second.sf2"},
        {"nothing readable", {"missing.sf2", "folder.sf2", "pipe.sf2"}, nullptr},
        {"an empty list", {}, nullptr},
    };
    for (const LookupCase& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> paths;
        for (const std::string& n : c.names) paths.push_back((dir / n).string());
        const auto got = find_soundfont(paths);
        if (c.found) {
            EXPECT_EQ(got, (dir / c.found).string());
        } else {
            EXPECT_EQ(got, std::nullopt);
        }
    }
    std::filesystem::remove_all(dir);
}

class SdlWinmmMusic : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = temp_file("short.mid", short_midi(300));
        if (!w_.midi_available()) GTEST_SKIP() << "no audio device or no soundfont";
        ASSERT_NE(w_.synth_when_ready(), nullptr);
        ASSERT_EQ(w_.mciSendStringA("open \"" + path_ + "\" alias bgm", nullptr, 0, 0), 0);
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

TEST_F(SdlWinmmMusic, PlaysToItsEndThenReadsStoppedAndAgainAfterARestart) {
    EXPECT_EQ(status(w_), "stopped");  // opened, not yet playing
    // The first play, then the watcher's restart: each plays the whole piece.
    for (const char* play : {"play bgm", "play bgm from 0"}) {
        SCOPED_TRACE(play);
        ASSERT_EQ(w_.mciSendStringA(play, nullptr, 0, 0), 0);
        int32_t code = -1;
        EXPECT_EQ(status(w_, &code), "playing");
        EXPECT_EQ(code, 0);
        // At the piece's own end, not when FluidSynth's player calls itself
        // done, seconds later.
        auto took = seconds_until_stopped();
        ASSERT_TRUE(took.has_value());
        EXPECT_GT(*took, 0.2);
        EXPECT_LT(*took, 0.8);
    }
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

TEST_F(SdlWinmmMusic, OneDeviceOneAlias) {
    EXPECT_EQ(w_.mciSendStringA("open \"" + path_ + "\" alias bgm", nullptr, 0, 0),
              mci_error::kDuplicateAlias);
    EXPECT_EQ(w_.mciSendStringA("OPEN \"" + path_ + "\" ALIAS Other", nullptr, 0, 0),
              mci_error::kDuplicateAlias);
    EXPECT_EQ(w_.mciSendStringA("play other", nullptr, 0, 0), mci_error::kInvalidDeviceName);
    EXPECT_EQ(w_.mciSendStringA("play bgm from 1000", nullptr, 0, 0), mci_error::kOutOfRange);
    EXPECT_EQ(w_.mciSendStringA("status bgm", nullptr, 0, 0), mci_error::kUnrecognizedCommand);
    EXPECT_EQ(status(w_), "stopped");  // none of those started anything
    EXPECT_EQ(w_.mciSendStringA("Play BGM", nullptr, 0, 0), 0);
    EXPECT_EQ(status(w_), "playing");
}

TEST_F(SdlWinmmMusic, AShortReplyBufferIsCutAndTerminated) {
    char reply[8];
    std::memset(reply, 'x', sizeof reply);
    EXPECT_EQ(w_.mciSendStringA("status bgm mode", reply, 4, 0), mci_error::kParamOverflow);
    EXPECT_STREQ(reply, "sto");
    EXPECT_EQ(reply[4], 'x');
}

// The mixer's output after the effect and the music, as the audio thread
// hands it on; statistics of both channels together.
class OutputProbe {
public:
    OutputProbe() { Mix_SetPostMix(&OutputProbe::take, this); }
    ~OutputProbe() { Mix_SetPostMix(nullptr, nullptr); }
    void start() {
        std::lock_guard lock(mutex_);
        on_ = true;
        n_ = 0;
        sum_ = sum_squares_ = 0;
    }
    // Waits, boundedly, for `samples` samples; their mean and the RMS of their
    // distance from it, or none if they did not come.
    std::optional<std::pair<double, double>> collect(size_t samples) {
        for (int i = 0; i < 200; ++i) {
            {
                std::lock_guard lock(mutex_);
                if (n_ >= samples) {
                    on_ = false;
                    const double mean = sum_ / double(n_);
                    const double variance = sum_squares_ / double(n_) - mean * mean;
                    return std::make_pair(mean, std::sqrt(std::max(variance, 0.0)));
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return std::nullopt;
    }

private:
    static void take(void* self, Uint8* stream, int len) {
        auto& p = *static_cast<OutputProbe*>(self);
        std::lock_guard lock(p.mutex_);
        if (!p.on_) return;
        const auto* s = reinterpret_cast<const int16_t*>(stream);
        for (int i = 0; i < len / 2; ++i) {
            p.sum_ += s[i];
            p.sum_squares_ += double(s[i]) * s[i];
        }
        p.n_ += size_t(len / 2);
    }
    std::mutex mutex_;
    bool on_ = false;
    size_t n_ = 0;
    double sum_ = 0, sum_squares_ = 0;
};

TEST(SdlWinmmOutput, ThePieceSoundsUnderAnEffectThatPlaysOnTop) {
    const std::string path = temp_file("mix.mid", short_midi(1500));
    SdlWinmm w;
    if (!w.midi_available()) GTEST_SKIP() << "no audio device or no soundfont";
    ASSERT_NE(w.synth_when_ready(), nullptr);
    int freq = 0, channels = 0;
    Uint16 format = 0;
    ASSERT_NE(Mix_QuerySpec(&freq, &format, &channels), 0);
    const size_t quarter_second = size_t(freq * channels / 4);
    // A level that does not move: whatever varies in the output is the music.
    const auto level = wav(std::vector<int16_t>(22050 * 2, 4000));
    OutputProbe probe;
    struct Round {
        const char* what;
        bool effect, music;
    };
    for (const Round r : {Round{"the effect alone", true, false},
                          Round{"the effect and the music", true, true},
                          Round{"the music alone", false, true}}) {
        SCOPED_TRACE(r.what);
        if (r.effect) {
            ASSERT_EQ(w.sndPlaySoundA(level.data(), level.size(), 5), 1);
        }
        if (r.music) {
            ASSERT_EQ(w.mciSendStringA("open \"" + path + "\" alias bgm", nullptr, 0, 0), 0);
            ASSERT_EQ(w.mciSendStringA("play bgm", nullptr, 0, 0), 0);
        }
        probe.start();
        const auto got = probe.collect(quarter_second);
        ASSERT_TRUE(got.has_value()) << "no audio came";
        const auto [mean, spread] = *got;
        EXPECT_NEAR(mean, r.effect ? 4000 : 0, 500);
        if (r.music) {
            EXPECT_GT(spread, 200);
        } else {
            EXPECT_LT(spread, 1);
        }
        EXPECT_EQ(w.effect_playing(), r.effect);
        if (r.music) {
            ASSERT_EQ(w.mciSendStringA("close bgm", nullptr, 0, 0), 0);
        }
        Mix_HaltChannel(SdlWinmm::kEffectChannel);
    }
    std::filesystem::remove(path);
}

TEST(SdlWinmmSynth, ItsSettingsAreTheOnesTheGameNeeds) {
    SdlWinmm w;
    if (!w.midi_available()) GTEST_SKIP() << "no audio device or no soundfont";
    fluid_synth_t* synth = w.synth_when_ready();
    ASSERT_NE(synth, nullptr);
    fluid_settings_t* settings = fluid_synth_get_settings(synth);
    int freq = 0, channels = 0;
    Uint16 format = 0;
    ASSERT_NE(Mix_QuerySpec(&freq, &format, &channels), 0);
    struct Setting {
        const char* name;
        double value;
    };
    // Reverb and chorus would run on every block, a note sounding or not;
    // another rate would play every piece at the wrong pitch and speed; the
    // whole soundfont's samples would take megabytes the pieces never use.
    for (const Setting& s : {Setting{"synth.reverb.active", 0}, Setting{"synth.chorus.active", 0},
                             Setting{"synth.sample-rate", double(freq)},
                             Setting{"synth.dynamic-sample-loading", 1}}) {
        SCOPED_TRACE(s.name);
        double value = -1;
        int number = -1;
        if (fluid_settings_get_type(settings, s.name) == FLUID_INT_TYPE) {
            ASSERT_EQ(fluid_settings_getint(settings, s.name, &number), FLUID_OK);
            value = number;
        } else {
            ASSERT_EQ(fluid_settings_getnum(settings, s.name, &value), FLUID_OK);
        }
        EXPECT_EQ(value, s.value);
    }
    EXPECT_EQ(fluid_synth_sfcount(synth), 1);  // the soundfont is in, once

    // Enough voices for the game's own pieces, start to end, with the same
    // soundfont, rate and polyphony: none is ever taken from a sounding note.
    const int polyphony = fluid_synth_get_polyphony(synth);
    fluid_settings_t* copy = new_fluid_settings();
    ASSERT_EQ(fluid_settings_setnum(copy, "synth.sample-rate", double(freq)), FLUID_OK);
    ASSERT_EQ(fluid_settings_setint(copy, "synth.polyphony", polyphony), FLUID_OK);
    ASSERT_EQ(fluid_settings_setint(copy, "synth.reverb.active", 0), FLUID_OK);
    ASSERT_EQ(fluid_settings_setint(copy, "synth.chorus.active", 0), FLUID_OK);
    fluid_synth_t* offline = new_fluid_synth(copy);
    ASSERT_NE(offline, nullptr);
    const auto soundfont = system_soundfont();
    ASSERT_TRUE(soundfont.has_value());
    ASSERT_NE(fluid_synth_sfload(offline, soundfont->c_str(), 1), FLUID_FAILED);
    for (const char* name : {"bg_main.mid", "bg_main_hi.mid"}) {
        SCOPED_TRACE(name);
        const auto bytes = ui::read_file(std::string(PATAPATA_SOURCE_DIR) + "/assets/media/" + name);
        ASSERT_TRUE(bytes.has_value());
        const auto seconds = midi_file_seconds(*bytes);
        ASSERT_TRUE(seconds.has_value());
        fluid_player_t* player = new_fluid_player(offline);
        ASSERT_EQ(fluid_player_add_mem(player, bytes->data(), bytes->size()), FLUID_OK);
        ASSERT_EQ(fluid_player_play(player), FLUID_OK);
        int most = 0;
        std::vector<int16_t> block(2 * 64);
        for (long frame = 0; frame < long(*seconds * freq); frame += 64) {
            fluid_synth_write_s16(offline, 64, block.data(), 0, 2, block.data(), 1, 2);
            most = std::max(most, fluid_synth_get_active_voice_count(offline));
        }
        EXPECT_GT(most, 0);
        EXPECT_LT(most, polyphony);
        delete_fluid_player(player);
        fluid_synth_system_reset(offline);
    }
    delete_fluid_synth(offline);
    delete_fluid_settings(copy);
}

struct Refusal {
    const char* what;
    std::vector<uint8_t> file;  // empty: a folder in its place
    int32_t open_code;           // 0: opens, and playing ends in silence
};

TEST(SdlWinmmQuiet, AFolderOrADamagedPieceIsRefusedWithoutAWord) {
    const auto real = ui::read_file(std::string(PATAPATA_SOURCE_DIR) + "/assets/media/bg_main.mid");
    ASSERT_TRUE(real.has_value());
    // The first 16 bytes kept, garbage after them, as the damaged-media runs do.
    std::vector<uint8_t> damaged(real->begin(), real->begin() + 16);
    for (size_t i = 16; i < real->size(); ++i) damaged.push_back(uint8_t(i * 131 + 7));
    // Ten seconds long in its framing, with an event FluidSynth refuses to read.
    const auto undefined_event =
        smf({cat({0x00, 0xC0, 12, 0x00, 0x90, 72, 100}, cat(vlq(9600), {0xF4, 0x01, 0x02}))}, 480);
    const std::vector<Refusal> cases = {
        {"a folder", {}, mci_error::kFileNotFound},
        {"damaged after its header", damaged, mci_error::kInvalidFile},
        {"a header alone", {'M', 'T', 'h', 'd'}, mci_error::kInvalidFile},
        {"an undefined event", undefined_event, 0},
    };
    for (const Refusal& c : cases) {
        SCOPED_TRACE(c.what);
        std::string path = temp_file("refused.mid", c.file);
        if (c.file.empty()) {
            std::filesystem::remove(path);
            std::filesystem::create_directory(path);
        }
        StderrCapture err;
        {
            SdlWinmm w;
            if (!w.midi_available()) GTEST_SKIP() << "no audio device or no soundfont";
            ASSERT_NE(w.synth_when_ready(), nullptr);
            EXPECT_EQ(w.mciSendStringA("open \"" + path + "\" alias bgm", nullptr, 0, 0),
                      c.open_code);
            if (c.open_code == 0) {
                ASSERT_EQ(w.mciSendStringA("play bgm", nullptr, 0, 0), 0);
                // FluidSynth gives up on it at once, long before its end.
                for (int i = 0; i < 100 && status(w) != "stopped"; ++i)
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
                EXPECT_EQ(status(w), "stopped");
            }
        }
        EXPECT_EQ(err.text(), "");
        std::filesystem::remove_all(path);
    }
}

TEST(SdlWinmmPreload, PreloadedPiecesOpenAndPlayAndABadOneStillFails) {
    const std::string good = temp_file("pre_good.mid", short_midi(300));
    const std::string bad = temp_file("pre_bad.mid", {'M', 'T', 'h', 'd'});
    SdlWinmm w;
    if (!w.midi_available()) GTEST_SKIP() << "no audio device or no soundfont";
    w.preload({good, bad});
    // Likely before the soundfont is in: the piece starts once it is.
    EXPECT_EQ(w.mciSendStringA("open \"" + good + "\" alias bgm", nullptr, 0, 0), 0);
    EXPECT_EQ(w.mciSendStringA("play bgm", nullptr, 0, 0), 0);
    EXPECT_EQ(status(w), "playing");
    ASSERT_NE(w.synth_when_ready(), nullptr);
    EXPECT_EQ(status(w), "playing");
    EXPECT_EQ(w.mciSendStringA("close bgm", nullptr, 0, 0), 0);

    EXPECT_EQ(w.mciSendStringA("open \"" + bad + "\" alias bgm", nullptr, 0, 0), mci_error::kInvalidFile);
    std::filesystem::remove(good);
    std::filesystem::remove(bad);
}

TEST(SdlWinmmSilent, WithoutASoundfontMusicFailsQuietly) {
    const std::string path = temp_file("nosf.mid", short_midi(300));
    SdlWinmm w({"/nonexistent/none.sf2", "/tmp"});
    EXPECT_FALSE(w.midi_available());
    EXPECT_NE(w.mciSendStringA("open \"" + path + "\" alias bgm", nullptr, 0, 0), 0);
    EXPECT_NE(w.mciSendStringA("play bgm", nullptr, 0, 0), 0);
    EXPECT_EQ(status(w), "");
    std::filesystem::remove(path);
}

struct DamagedSoundfont {
    const char* what;
    std::vector<uint8_t> bytes;
};

TEST(SdlWinmmSilent, ADamagedSoundfontLeavesTheMusicOffWithoutAWord) {
    const auto system = system_soundfont();
    if (!system) GTEST_SKIP() << "no soundfont to damage";
    // Its first 64 KiB: the header promises chunks the file no longer holds.
    std::vector<uint8_t> cut(65536);
    std::ifstream in(*system, std::ios::binary);
    in.read(reinterpret_cast<char*>(cut.data()), std::streamsize(cut.size()));
    cut.resize(size_t(in.gcount()));
    std::mt19937 noise(7);
    std::vector<uint8_t> random(65536);
    for (uint8_t& b : random) b = uint8_t(noise());
    const std::string piece = temp_file("damaged_sf.mid", short_midi(300));
    for (const DamagedSoundfont& c : {DamagedSoundfont{"cut short", cut},
                                      DamagedSoundfont{"random bytes", random}}) {
        SCOPED_TRACE(c.what);
        // First in the list: the game takes it, and does not go on to the next.
        const std::string path = temp_file("damaged.sf2", c.bytes);
        StderrCapture err;
        {
            SdlWinmm w({path, *system});
            if (!w.audio_open()) GTEST_SKIP() << "no audio, even on the dummy driver";
            w.preload({piece});
            EXPECT_EQ(w.synth_when_ready(), nullptr);
            EXPECT_EQ(w.mciSendStringA("open \"" + piece + "\" alias bgm", nullptr, 0, 0),
                      mci_error::kCannotLoadDriver);
            EXPECT_NE(w.mciSendStringA("play bgm", nullptr, 0, 0), 0);
            EXPECT_EQ(status(w), "");
        }
        EXPECT_EQ(err.text(), "");
        std::filesystem::remove(path);
    }
    std::filesystem::remove(piece);
}

// The soundfont loaders' complaints are kept quiet, and nothing else: a
// message of another domain is printed, and a fatal one is printed before
// the process ends.
TEST(SdlWinmmSilent, OnlyTheSoundfontLoadersComplaintsAreKeptQuiet) {
    SdlWinmm w({"/nonexistent/none.sf2"});  // from here on the handler is in place
    {
        StderrCapture err;
        // What libinstpatch says of a damaged soundfont, and a warning of its domain.
        g_log(nullptr, G_LOG_LEVEL_CRITICAL, "ipatch_container_init_iter: assertion 'quiet' failed");
        g_log(nullptr, G_LOG_LEVEL_WARNING, "a loader's warning");
        EXPECT_EQ(err.text(), "");
    }
    {
        StderrCapture err;
        g_log("Other", G_LOG_LEVEL_WARNING, "another domain's warning");
        g_log("GLib-GObject", G_LOG_LEVEL_CRITICAL, "another domain's critical");
        const std::string text = err.text();
        EXPECT_NE(text.find("Other-WARNING **"), std::string::npos) << text;
        EXPECT_NE(text.find("another domain's warning"), std::string::npos) << text;
        EXPECT_NE(text.find("GLib-GObject-CRITICAL **"), std::string::npos) << text;
        EXPECT_NE(text.find("another domain's critical"), std::string::npos) << text;
    }
    // Each in a fresh run of this test, to its death: audio threads run here.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(g_log(nullptr, G_LOG_LEVEL_ERROR, "an error of the loaders' domain"),
                 "ERROR \\*\\*.*an error of the loaders' domain");
    EXPECT_DEATH(
        {
            g_log_set_always_fatal(GLogLevelFlags(G_LOG_LEVEL_CRITICAL));  // as G_DEBUG=fatal-criticals does
            g_log(nullptr, G_LOG_LEVEL_CRITICAL, "a critical made fatal");
        },
        "CRITICAL \\*\\*.*a critical made fatal");
}

TEST(SdlWinmmSilent, WithoutAnAudioDeviceEveryCallFails) {
    if (SDL_WasInit(SDL_INIT_AUDIO))
        GTEST_SKIP() << "audio already opened elsewhere in this process";
    // A hint, not the environment: over SDL_AUDIODRIVER, and no setenv while
    // other threads may read it.
    SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "no_such_driver", SDL_HINT_OVERRIDE);
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
    SDL_ResetHint(SDL_HINT_AUDIODRIVER);
}

}  // namespace
