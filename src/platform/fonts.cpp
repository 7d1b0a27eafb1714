// Finding the font through fontconfig and drawing lines of text with SDL2_ttf.
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cstring>
#include <strings.h>

#include "platform/sdl_backend.h"

namespace platform {

std::string find_font_file(const std::string& family) {
    if (!FcInit()) return {};
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(family.c_str()));
    if (!pattern) return {};
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match) return {};
    std::string file;
    bool same_family = false;
    FcChar8* value = nullptr;
    // The match lists the family under each of its names.
    for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &value) == FcResultMatch; ++i)
        if (strcasecmp(reinterpret_cast<const char*>(value), family.c_str()) == 0) same_family = true;
    if (same_family && FcPatternGetString(match, FC_FILE, 0, &value) == FcResultMatch)
        file = reinterpret_cast<const char*>(value);
    FcPatternDestroy(match);
    return file;
}

TextRenderer::~TextRenderer() {
    for (auto& [key, s] : rendered_) SDL_FreeSurface(s);
    for (auto& [key, f] : fonts_) TTF_CloseFont(f);
}

bool TextRenderer::open(const std::string& family, std::string& error) {
    return open(family, find_font_file(family), error);
}

bool TextRenderer::open(const std::string& family, const std::string& file, std::string& error) {
    path_ = file;
    if (path_.empty()) {
        error = "cannot find the font " + family + " (fontconfig)";
        return false;
    }
    if (!font(12, false)) {
        error = "cannot open the font " + path_ + ": " + TTF_GetError();
        return false;
    }
    return true;
}

TTF_Font* TextRenderer::font(int px, bool bold) {
    if (px < 1) px = 1;
    auto key = std::make_pair(px, bold);
    if (auto it = fonts_.find(key); it != fonts_.end()) return it->second;
    // At SDL_ttf's own 72 dpi a point is a pixel: the size is already in pixels.
    TTF_Font* f = TTF_OpenFont(path_.c_str(), px);
    if (!f) return nullptr;
    // The family has no bold face: SDL_ttf thickens the regular one.
    if (bold) TTF_SetFontStyle(f, TTF_STYLE_BOLD);
    TTF_SetFontHinting(f, hinting_);
    fonts_[key] = f;
    return f;
}

int TextRenderer::line_height(int px, bool bold) {
    TTF_Font* f = font(px, bold);
    return f ? TTF_FontLineSkip(f) : px;
}

int TextRenderer::text_width(const std::string& utf8, int px, bool bold) {
    TTF_Font* f = font(px, bold);
    int w = 0, h = 0;
    if (!f || utf8.empty() || TTF_SizeUTF8(f, utf8.c_str(), &w, &h) != 0) return 0;
    return w;
}

namespace {

size_t utf8_length(unsigned char lead) {
    if (lead < 0x80) return 1;
    if ((lead >> 5) == 0x6) return 2;
    if ((lead >> 4) == 0xE) return 3;
    if ((lead >> 3) == 0x1E) return 4;
    return 1;
}

}  // namespace

std::vector<std::string> TextRenderer::lines(const std::string& utf8, int px, bool bold, int width) {
    std::vector<std::string> paragraphs(1);
    for (size_t i = 0; i < utf8.size(); ++i) {
        char ch = utf8[i];
        if (ch == '\r' || ch == '\n') {
            if (ch == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n') ++i;
            paragraphs.emplace_back();
        } else {
            paragraphs.back() += ch;
        }
    }
    if (width <= 0) return paragraphs;

    std::vector<std::string> out;
    for (const std::string& p : paragraphs) {
        if (text_width(p, px, bold) <= width) {
            out.push_back(p);
            continue;
        }
        std::string line;
        size_t last_space = std::string::npos;  // in line
        size_t i = 0;
        while (i < p.size()) {
            size_t n = std::min(utf8_length(static_cast<unsigned char>(p[i])), p.size() - i);
            std::string next = line + p.substr(i, n);
            if (!line.empty() && text_width(next, px, bold) > width) {
                if (last_space != std::string::npos && last_space > 0) {
                    out.push_back(line.substr(0, last_space));
                    line = line.substr(last_space + 1);
                } else {
                    out.push_back(line);
                    line.clear();
                }
                last_space = std::string::npos;
                for (size_t k = 0; k < line.size(); ++k)
                    if (line[k] == ' ') last_space = k;
                if (p[i] == ' ' && line.empty()) {  // a break swallows its space
                    i += n;
                    continue;
                }
                continue;
            }
            if (p[i] == ' ') last_space = line.size();
            line = std::move(next);
            i += n;
        }
        out.push_back(line);
    }
    return out;
}

SDL_Surface* TextRenderer::render(const std::string& utf8, int px, bool bold, uint32_t rgb) {
    if (utf8.empty()) return nullptr;
    std::string key = std::to_string(px) + (bold ? "b" : "r") + std::to_string(rgb) + '\x1f' + utf8;
    if (auto it = rendered_.find(key); it != rendered_.end()) return it->second;
    TTF_Font* f = font(px, bold);
    if (!f) return nullptr;
    SDL_Color color{Uint8(rgb >> 16), Uint8(rgb >> 8), Uint8(rgb), 255};
    SDL_Surface* s = TTF_RenderUTF8_Blended(f, utf8.c_str(), color);
    if (!s) return nullptr;
    SDL_SetSurfaceBlendMode(s, SDL_BLENDMODE_BLEND);
    // Typed-out messages make a new string per letter: keep the cache bounded.
    if (rendered_.size() >= 512) {
        for (auto& [k, old] : rendered_) SDL_FreeSurface(old);
        rendered_.clear();
    }
    rendered_[key] = s;
    return s;
}

}  // namespace platform
