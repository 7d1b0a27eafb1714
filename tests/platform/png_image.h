// A PNG read back for pixel checks, as 0xAARRGGBB values.
#pragma once

#include <SDL.h>
#include <SDL_image.h>

#include <cstdint>
#include <filesystem>

class Image {
public:
    explicit Image(const std::filesystem::path& png) {
        if (SDL_Surface* raw = IMG_Load(png.c_str())) {
            s_ = SDL_ConvertSurfaceFormat(raw, SDL_PIXELFORMAT_ARGB8888, 0);
            SDL_FreeSurface(raw);
        }
    }
    ~Image() { SDL_FreeSurface(s_); }
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;
    bool ok() const { return s_ != nullptr; }
    int w() const { return s_->w; }
    int h() const { return s_->h; }
    uint32_t argb(int x, int y) const {
        auto* row = static_cast<const uint8_t*>(s_->pixels) + y * s_->pitch;
        return reinterpret_cast<const uint32_t*>(row)[x];
    }
    uint32_t rgb(int x, int y) const { return argb(x, y) & 0xFFFFFF; }
    bool opaque(int x, int y) const { return argb(x, y) >> 24 == 0xFF; }

private:
    SDL_Surface* s_ = nullptr;
};
