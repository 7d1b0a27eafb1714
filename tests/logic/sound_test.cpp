// The sound module against a recording stand-in for the multimedia calls.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "sound/mdl_Sound.h"
#include "state/hensu.h"
#include "ui/ui.h"

namespace {

using Commands = std::vector<std::string>;

class RecordingWinmm : public Winmm {
public:
    struct Play {
        const uint8_t* image;
        size_t size;
        int32_t flags;
    };
    Commands commands;
    std::vector<Play> plays;
    std::vector<int32_t> reply_lengths;  // of the commands given a reply buffer
    std::string status_reply;           // what "status ..." writes back
    std::map<std::string, int32_t> codes;  // return codes by command, 0 otherwise

    int32_t sndPlaySoundA(const uint8_t* image, size_t size, int32_t flags) override {
        plays.push_back({image, size, flags});
        return 1;
    }
    int32_t mciSendStringA(const std::string& command, char* reply, int32_t length,
                           int32_t) override {
        commands.push_back(command);
        if (reply) {
            reply_lengths.push_back(length);
            if (command.rfind("status", 0) == 0) {
                size_t n = std::min(status_reply.size(), size_t(length) - 1);
                std::memcpy(reply, status_reply.data(), n);
                reply[n] = '\0';
            }
        }
        auto it = codes.find(command);
        return it == codes.end() ? 0 : it->second;
    }
};

class SoundTest : public ::testing::Test {
protected:
    SoundTest() { app.register_timer(timer); timer.set_interval(500); }

    ui::VirtualClock clock;
    ui::SeededRandom random{1};
    ui::App app{clock, random, "/opt/x"};
    ui::Timer timer;
    MdlSound s;
    RecordingWinmm w;
};

TEST_F(SoundTest, MusicStartOpensThePieceOnBgmAndArmsTheWatcher) {
    w.codes["play bgm"] = 7;
    music_start(s, w, timer, "/opt/x", "bg_main.mid");
    EXPECT_EQ(w.commands, (Commands{"open \"/opt/x/bg_main.mid\" alias bgm", "play bgm"}));
    EXPECT_TRUE(timer.enabled());
    EXPECT_EQ(timer.tag, "1");
    EXPECT_EQ(s.mci_Ret, 7);  // the result of the last command is kept
}

TEST_F(SoundTest, MusicStopDisarmsTheWatcherThenStopsAndCloses) {
    music_start(s, w, timer, "/opt/x", "bg_main.mid");
    w.commands.clear();
    music_stop(s, w, timer);
    EXPECT_EQ(w.commands, (Commands{"stop bgm", "close bgm"}));
    EXPECT_FALSE(timer.enabled());
    EXPECT_EQ(timer.tag, "0");
}

struct WatchCase {
    const char* status;
    const char* tag;
    Commands then;  // commands after the status query
    bool still_on;
    const char* tag_after;
};

class WatcherTest : public SoundTest, public ::testing::WithParamInterface<WatchCase> {};

TEST_P(WatcherTest, RestartsOrClosesOnlyOnStopped) {
    const WatchCase& c = GetParam();
    timer.set_enabled(true);
    timer.tag = c.tag;
    w.status_reply = c.status;
    timer_sound_tick(s, w, timer);

    ASSERT_FALSE(w.commands.empty());
    EXPECT_EQ(w.commands.front(), "status bgm mode");
    EXPECT_EQ(w.reply_lengths.front(), 255);
    EXPECT_EQ(Commands(w.commands.begin() + 1, w.commands.end()), c.then);
    EXPECT_EQ(timer.enabled(), c.still_on);
    EXPECT_EQ(timer.tag, c.tag_after);
}

INSTANTIATE_TEST_SUITE_P(
    Status, WatcherTest,
    ::testing::Values(
        WatchCase{"stopped", "1", {"play bgm from 0"}, true, "1"},
        WatchCase{"stopped", "0", {"stop bgm", "close bgm"}, false, "0"},
        WatchCase{"stopped", "", {"stop bgm", "close bgm"}, false, "0"},
        WatchCase{"stopped at end", "1", {"play bgm from 0"}, true, "1"},
        WatchCase{"playing", "1", {}, true, "1"},
        WatchCase{"playing", "0", {}, true, "0"},
        WatchCase{"", "1", {}, true, "1"},
        WatchCase{"Stopped", "1", {}, true, "1"},
        WatchCase{"stoppe", "1", {}, true, "1"}),
    // Named by position: the cases hold pointers, which differ from run to run.
    [](const auto& info) { return std::to_string(info.index); });

TEST_F(SoundTest, AStaleStoppedReplyDoesNotCountAfterAnEmptyOne) {
    w.status_reply = "stopped";
    timer.tag = "1";
    timer_sound_tick(s, w, timer);
    w.commands.clear();
    w.status_reply = "";
    timer_sound_tick(s, w, timer);
    EXPECT_EQ(w.commands, (Commands{"status bgm mode"}));
}

const Commands kSwitch = {"stop bgm", "close bgm", "open \"/opt/x/bg_main_hi.mid\" alias bgm",
                          "play bgm"};

struct SpeedCase {
    int16_t kuro, siro, flg;
    bool switches;
};

class MusicSpeedTest : public SoundTest, public ::testing::WithParamInterface<SpeedCase> {};

TEST_P(MusicSpeedTest, SwitchesToTheFastPieceAboveFiftyFourStones) {
    const SpeedCase& c = GetParam();
    Hensu h;
    h.Kuro_Kazu = c.kuro;
    h.Siro_Kazu = c.siro;
    h.Music_Speed_Flg = c.flg;
    timer.tag = "1";
    timer.set_enabled(true);
    mdl_Music_Speed(h, s, w, timer, "/opt/x");
    if (c.switches) {
        EXPECT_EQ(w.commands, kSwitch);
        EXPECT_EQ(h.Music_Speed_Flg, 1);
    } else {
        EXPECT_TRUE(w.commands.empty());
        EXPECT_EQ(h.Music_Speed_Flg, c.flg);
    }
    EXPECT_TRUE(timer.enabled());
    EXPECT_EQ(timer.tag, "1");
}

INSTANTIATE_TEST_SUITE_P(Stones, MusicSpeedTest,
                         ::testing::Values(SpeedCase{30, 24, 0, false},
                                           SpeedCase{30, 25, 0, true},
                                           SpeedCase{0, 55, 0, true},
                                           SpeedCase{40, 24, 0, true},
                                           SpeedCase{30, 25, 1, false},
                                           SpeedCase{10, 5, 0, false}),
    // Named by position: the cases hold pointers, which differ from run to run.
    [](const auto& info) { return std::to_string(info.index); });

TEST_F(SoundTest, FastPieceStartsOnlyOncePerGame) {
    Hensu h;
    h.Kuro_Kazu = 30;
    h.Siro_Kazu = 25;
    mdl_Music_Speed(h, s, w, timer, "/opt/x");
    h.Kuro_Kazu = 33;
    h.Siro_Kazu = 27;
    mdl_Music_Speed(h, s, w, timer, "/opt/x");
    EXPECT_EQ(w.commands, kSwitch);
}

// A fresh folder under the system temp folder, removed afterwards.
class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "sndXXXXXX").string();
        path_ = mkdtemp(pattern.data());
    }
    ~TempFolder() { std::filesystem::remove_all(path_); }
    const std::string& path() const { return path_; }
    void write(const std::string& name, const std::vector<uint8_t>& bytes) const {
        std::ofstream(path_ + "/" + name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }

private:
    std::string path_;
};

std::vector<uint8_t> plus_zero(std::vector<uint8_t> v) {
    v.push_back(0);
    return v;
}

// What stands under each sound's name in the folder.
enum class Entry { file, missing, pipe };

struct LoadCase {
    Entry oki, kae;
};

class SoundLoadTest : public SoundTest, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(SoundLoadTest, ReadsEachFileWholeWithATrailingZero) {
    const LoadCase& c = GetParam();
    // Zeros, a 0x1A and high bytes inside: the files must be read as raw bytes.
    const std::vector<uint8_t> oki = {'R', 'I', 'F', 'F', 0, 0x1A, 0xFF, '\r', '\n', 7};
    const std::vector<uint8_t> kae = {'R', 'I', 'F', 'F', 0x80, 0, 0, 0, 0xFE};
    TempFolder dir;
    for (const auto& [entry, name, bytes] : {std::tuple{c.oki, "s_oki.wav", &oki},
                                             std::tuple{c.kae, "s_kae.wav", &kae}}) {
        if (entry == Entry::file) dir.write(name, *bytes);
        // A pipe no one writes to: a sound that is not there, not a wait.
        if (entry == Entry::pipe) {
            ASSERT_EQ(mkfifo((dir.path() + "/" + name).c_str(), 0644), 0);
        }
    }

    mdl_Sound_Load(s, dir.path());

    ASSERT_EQ(s.snd_oki.has_value(), c.oki == Entry::file);
    ASSERT_EQ(s.snd_kae.has_value(), c.kae == Entry::file);
    if (s.snd_oki) {
        EXPECT_EQ(*s.snd_oki, plus_zero(oki));
    }
    if (s.snd_kae) {
        EXPECT_EQ(*s.snd_kae, plus_zero(kae));
    }
}

INSTANTIATE_TEST_SUITE_P(Files, SoundLoadTest,
                         ::testing::Values(LoadCase{Entry::file, Entry::file},
                                           LoadCase{Entry::file, Entry::missing},
                                           LoadCase{Entry::missing, Entry::file},
                                           LoadCase{Entry::missing, Entry::missing},
                                           LoadCase{Entry::pipe, Entry::file}),
    // Named by position: the cases hold pointers, which differ from run to run.
    [](const auto& info) { return std::to_string(info.index); });

TEST_F(SoundTest, PlaySoundPassesTheImageAsynchronouslyFromMemory) {
    s.snd_oki = std::vector<uint8_t>{'R', 'I', 'F', 'F', 0};
    play_sound(w, s.snd_oki);
    ASSERT_EQ(w.plays.size(), 1u);
    EXPECT_EQ(w.plays[0].image, s.snd_oki->data());
    EXPECT_EQ(w.plays[0].size, s.snd_oki->size());
    EXPECT_EQ(w.plays[0].flags, 5);
}

TEST_F(SoundTest, PlaySoundWithoutALoadedImageCallsNothing) {
    play_sound(w, s.snd_kae);
    s.snd_kae = std::vector<uint8_t>{};
    play_sound(w, s.snd_kae);
    EXPECT_TRUE(w.plays.empty());
    EXPECT_TRUE(w.commands.empty());
}

}  // namespace
