// A window of an ARGB visual shows what lies behind it through any pixel
// that isn't opaque: make_opaque, run on what is drawn before it is shown.
#include <gtest/gtest.h>

#include <memory>

#include "platform/sdl_backend.h"

namespace {

using Surface = std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)>;

Surface make(int w, int h, Uint32 format, Uint32 pixel) {
    Surface s(SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, format), SDL_FreeSurface);
    EXPECT_NE(s, nullptr) << SDL_GetError();
    SDL_FillRect(s.get(), nullptr, pixel);
    return s;
}

Uint32 at(SDL_Surface* s, int x, int y) {
    return static_cast<const Uint32*>(s->pixels)[y * s->pitch / 4 + x];
}

TEST(MakeOpaque, SetsTheAlphaOfEveryPixelInTheAreaAndOfNoOther) {
    Surface s = make(8, 6, SDL_PIXELFORMAT_ARGB8888, 0x40123456);
    platform::make_opaque(s.get(), SDL_Rect{2, 1, 3, 4});
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x) {
            const bool inside = x >= 2 && x < 5 && y >= 1 && y < 5;
            EXPECT_EQ(at(s.get(), x, y), inside ? 0xFF123456u : 0x40123456u) << x << "," << y;
        }
}

TEST(MakeOpaque, KeepsToTheSurface) {
    Surface s = make(5, 4, SDL_PIXELFORMAT_ARGB8888, 0x00ABCDEF);
    platform::make_opaque(s.get(), SDL_Rect{-3, -2, 100, 100});
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(at(s.get(), x, y), 0xFFABCDEFu) << x << "," << y;
    platform::make_opaque(s.get(), SDL_Rect{7, 7, 3, 3});  // wholly outside: nothing to do
}

TEST(MakeOpaque, LeavesASurfaceWithoutAlphaAlone) {
    Surface s = make(4, 4, SDL_PIXELFORMAT_RGB888, 0x00123456);
    platform::make_opaque(s.get(), SDL_Rect{0, 0, 4, 4});
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(at(s.get(), x, y), 0x00123456u);
}

// What the back end draws: a picture with see-through edges blended onto an
// opaque fill. SDL's blenders may leave the alpha a step short of opaque
// there; afterwards every pixel is opaque and keeps its colour.
TEST(MakeOpaque, ABlendedPictureEndsOpaqueInItsOwnColours) {
    Surface dst = make(16, 16, SDL_PIXELFORMAT_ARGB8888, 0xFFF0F0F0);
    Surface src = make(16, 16, SDL_PIXELFORMAT_ARGB8888, 0);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            static_cast<Uint32*>(src->pixels)[y * src->pitch / 4 + x] = Uint32(x * 16 + y) << 24 | 0x204080;
    SDL_SetSurfaceBlendMode(src.get(), SDL_BLENDMODE_BLEND);
    ASSERT_EQ(SDL_BlitSurface(src.get(), nullptr, dst.get(), nullptr), 0) << SDL_GetError();
    Surface blended = make(16, 16, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_memcpy(blended->pixels, dst->pixels, size_t(dst->pitch) * 16);
    platform::make_opaque(dst.get(), SDL_Rect{0, 0, 16, 16});
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            EXPECT_EQ(at(dst.get(), x, y) >> 24, 0xFFu) << x << "," << y;
            EXPECT_EQ(at(dst.get(), x, y) & 0xFFFFFF, at(blended.get(), x, y) & 0xFFFFFF) << x << "," << y;
        }
}

}  // namespace
