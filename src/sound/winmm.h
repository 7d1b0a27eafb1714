// The two multimedia calls the game makes, as an interface: the platform
// back end plays through SDL2_mixer, tests record the calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class Winmm {
public:
    virtual ~Winmm() = default;
    // Plays a WAV file image of `size` bytes held in memory; flags 5 =
    // asynchronous, from memory. The size bounds what the player may read,
    // whatever the image's own header claims.
    virtual int32_t sndPlaySoundA(const uint8_t* image, size_t size, int32_t flags) = 0;
    // An MCI command string; a reply, if asked for, goes into reply[0..length).
    virtual int32_t mciSendStringA(const std::string& command, char* reply, int32_t length,
                                   int32_t callback_window) = 0;
};

// No sound at all: every call fails quietly.
class SilentWinmm : public Winmm {
public:
    int32_t sndPlaySoundA(const uint8_t*, size_t, int32_t) override { return 0; }
    int32_t mciSendStringA(const std::string&, char* reply, int32_t length, int32_t) override {
        if (reply && length > 0) reply[0] = '\0';
        return 263;  // MCI: invalid device name
    }
};
