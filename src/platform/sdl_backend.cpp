#include "platform/sdl_backend.h"

#include <SDL_image.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <future>
#include <system_error>
#include <thread>

#include "platform/memory.h"
#include "ui/files.h"

namespace platform {

namespace {

constexpr const char* kFontFamily = "IPAPGothic";
constexpr uint32_t kFormColor = 0xF0F0F0;   // what shows where a form has no picture
constexpr uint32_t kGridColor = 0x404040;   // the flat border of a cell

// FNV-1a over everything a control shows: a changed hash means its place
// needs drawing again.
struct Hasher {
    uint64_t h = 1469598103934665603ull;
    void bytes(const void* p, size_t n) {
        auto* b = static_cast<const unsigned char*>(p);
        for (size_t i = 0; i < n; ++i) h = (h ^ b[i]) * 1099511628211ull;
    }
    template <class T>
    void add(const T& v) {
        bytes(&v, sizeof v);
    }
    void add(const std::string& s) {
        add(s.size());
        bytes(s.data(), s.size());
    }
};

uint64_t look_of(const ui::Control& c) {
    Hasher h;
    const bool shown = c.shown();
    h.add(shown);
    if (shown) {
        h.add(c.kind);
        h.add(c.abs_left());
        h.add(c.abs_top());
        h.add(c.width);
        h.add(c.height);
        h.add(c.picture.name);
        h.add(c.flat_border);
        if (c.kind == ui::Kind::Label) {
            h.add(c.caption);
            h.add(c.font_pt);
            h.add(c.bold);
            h.add(c.fore_color);
            h.add(c.align);
            h.add(c.autosize);
        }
        h.add(c.back_color.has_value());
        h.add(c.back_color.value_or(0));
        h.add(c.border_color);
        h.add(c.border_width);
        h.add(c.shape);
    }
    return h.h;
}

Uint32 map(SDL_Surface* s, uint32_t rgb) {
    return SDL_MapRGB(s->format, Uint8(rgb >> 16), Uint8(rgb >> 8), Uint8(rgb));
}

void fill(SDL_Surface* s, int x, int y, int w, int h, uint32_t rgb) {
    if (w <= 0 || h <= 0) return;
    SDL_Rect r{x, y, w, h};
    SDL_FillRect(s, &r, map(s, rgb));  // clipped to the surface's clip rectangle
}

// An ARGB8888 picture without a single see-through pixel: it can be copied
// instead of blended, which matters for the full-window backgrounds.
bool opaque(SDL_Surface* s) {
    for (int y = 0; y < s->h; ++y) {
        auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(s->pixels) + y * s->pitch);
        for (int x = 0; x < s->w; ++x)
            if ((row[x] >> 24) != 0xFF) return false;
    }
    return true;
}

// A rectangle from the model's fractional position: each edge to the nearest pixel.
SDL_Rect rect_of(const ui::Control& c) {
    const double l = c.abs_left(), t = c.abs_top();
    const int x0 = int(std::lround(l)), y0 = int(std::lround(t));
    const int x1 = int(std::lround(l + c.width)), y1 = int(std::lround(t + c.height));
    return SDL_Rect{x0, y0, std::max(0, x1 - x0), std::max(0, y1 - y0)};
}

// Where a shown control may draw: its own rectangle, or, for a label that
// grows to its text, its container's (the whole window for one without).
SDL_Rect reach_of(const ui::Control& c, const ui::Form& form) {
    if (!c.shown()) return SDL_Rect{0, 0, 0, 0};
    if (c.kind == ui::Kind::Label && c.autosize)
        return c.container ? rect_of(*c.container) : SDL_Rect{0, 0, form.client_width, form.client_height};
    return rect_of(c);
}

void unite(SDL_Rect& into, const SDL_Rect& r) {
    if (SDL_RectEmpty(&r)) return;
    if (SDL_RectEmpty(&into)) into = r;
    else SDL_UnionRect(&into, &r, &into);
}

bool clip_to(SDL_Surface* dst, const SDL_Rect& a, const SDL_Rect& b, SDL_Rect* out) {
    if (!SDL_IntersectRect(&a, &b, out)) return false;
    SDL_SetClipRect(dst, out);
    return true;
}

void blit(SDL_Surface* src, SDL_Surface* dst, int x, int y) {
    SDL_Rect at{x, y, src->w, src->h};
    SDL_BlitSurface(src, nullptr, dst, &at);
}

// A filled ellipse inside r, with a ring of border_width in border colour.
void draw_ellipse(SDL_Surface* dst, const SDL_Rect& r, const std::optional<uint32_t>& fill_rgb,
                  uint32_t border_rgb, int border_width) {
    const double cx = r.x + r.w / 2.0, cy = r.y + r.h / 2.0;
    const double rx = r.w / 2.0, ry = r.h / 2.0;
    const double irx = rx - border_width, iry = ry - border_width;
    auto half = [](double radius_x, double radius_y, double dy) {
        if (radius_x <= 0 || radius_y <= 0 || std::fabs(dy) >= radius_y) return -1.0;
        return radius_x * std::sqrt(1.0 - (dy / radius_y) * (dy / radius_y));
    };
    for (int y = r.y; y < r.y + r.h; ++y) {
        const double dy = y + 0.5 - cy;
        const double outer = half(rx, ry, dy);
        if (outer < 0) continue;
        const int o0 = int(std::lround(cx - outer)), o1 = int(std::lround(cx + outer));
        const double inner = border_width > 0 ? half(irx, iry, dy) : outer;
        if (inner < 0) {
            if (border_width > 0) fill(dst, o0, y, o1 - o0, 1, border_rgb);
            continue;
        }
        const int i0 = int(std::lround(cx - inner)), i1 = int(std::lround(cx + inner));
        if (fill_rgb) fill(dst, i0, y, i1 - i0, 1, *fill_rgb);
        if (border_width > 0) {
            fill(dst, o0, y, i0 - o0, 1, border_rgb);
            fill(dst, i1, y, o1 - i1, 1, border_rgb);
        }
    }
}

void draw_border(SDL_Surface* dst, const SDL_Rect& r, uint32_t rgb, int width) {
    const int w = std::min({width, r.w / 2 + 1, r.h / 2 + 1});
    fill(dst, r.x, r.y, r.w, w, rgb);
    fill(dst, r.x, r.y + r.h - w, r.w, w, rgb);
    fill(dst, r.x, r.y, w, r.h, rgb);
    fill(dst, r.x + r.w - w, r.y, w, r.h, rgb);
}

}  // namespace

void make_opaque(SDL_Surface* surface, const SDL_Rect& area) {
    const SDL_PixelFormat* f = surface->format;
    const SDL_Rect whole{0, 0, surface->w, surface->h};
    SDL_Rect r;
    if (f->Amask == 0 || !SDL_IntersectRect(&area, &whole, &r)) return;
    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) return;
    for (int y = r.y; y < r.y + r.h; ++y) {
        auto* row = static_cast<uint8_t*>(surface->pixels) + y * surface->pitch;
        if (f->BytesPerPixel == 4) {
            auto* px = reinterpret_cast<uint32_t*>(row) + r.x;
            for (int x = 0; x < r.w; ++x) px[x] |= f->Amask;
        } else if (f->BytesPerPixel == 2) {
            auto* px = reinterpret_cast<uint16_t*>(row) + r.x;
            for (int x = 0; x < r.w; ++x) px[x] = uint16_t(px[x] | f->Amask);
        }
    }
    if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
}

// The game's labels keep the font's own hinting, which draws them crisp. The
// box's text is 12 px, where IPAPGothic's instructions snap the many
// horizontal strokes of a character like 置 onto the same few rows and
// leave a black blob; FreeType's light autohinter keeps them apart, in
// shades of grey. Its advances round within a pixel of the font's, so the
// box keeps its size and layout.
SdlBackend::SdlBackend(ui::App& app, std::string picture_folder)
    : app_(app),
      folder_(std::move(picture_folder)),
      text_(std::make_unique<TextRenderer>()),
      box_text_(std::make_unique<TextRenderer>(TTF_HINTING_LIGHT)) {}

SdlBackend::~SdlBackend() {
    app_.on_show = nullptr;
    std::string ignored;
    finish_decoding(ignored);  // an init that failed half way may leave workers
    dialog_.reset();
    for (auto& [form, w] : windows_)
        if (w.sdl) SDL_DestroyWindow(w.sdl);
    if (video_) SDL_SetCursor(SDL_GetDefaultCursor());
    if (argb_visual_) SDL_ResetHint(SDL_HINT_VIDEO_X11_WINDOW_VISUALID);
    for (auto& [name, c] : cursors_) SDL_FreeCursor(c);
    if (arrow_) SDL_FreeCursor(arrow_);
    for (auto& [name, s] : pictures_) SDL_FreeSurface(s);
    text_.reset();
    box_text_.reset();
    if (ttf_) TTF_Quit();
    if (img_) IMG_Quit();
    if (video_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

bool SdlBackend::init(std::string& error, const std::vector<std::string>& pictures) {
    // The pictures and the font's file need no display: they are read while
    // it comes up.
    if ((IMG_Init(IMG_INIT_PNG) & IMG_INIT_PNG) == 0) {
        error = std::string("cannot read PNG pictures: ") + IMG_GetError();
        return false;
    }
    img_ = true;
    start_decoding(pictures);
    auto font_file = std::async(std::launch::async | std::launch::deferred, find_font_file, kFontFamily);

    // The game decides what closing a window means; a click that brings a
    // window to the front is a click on it as well.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    // Two small windows redrawn a few times a second need no GPU: left to
    // itself SDL routes window surfaces through OpenGL, which on a machine
    // without a GPU costs a software rasteriser's threads and ~80 MB.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    // A board game waits on the user for as long as it takes: the screen may
    // blank meanwhile, as for any other window.
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    tolerate_stale_wakeups();
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        error = std::string("cannot open the display: ") + SDL_GetError();
        return false;
    }
    video_ = true;
    // With no display SDL settles for drawing into memory; nobody would see
    // the game, so that counts as no display unless it was asked for.
    const std::string driver = SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "";
    const char* asked = SDL_getenv("SDL_VIDEODRIVER");
    if ((driver == "offscreen" || driver == "dummy") && !(asked && driver == asked)) {
        const char* display = SDL_getenv("DISPLAY");
        error = std::string("cannot open the display: ") +
                (display && *display ? std::string("no X server at ") + display : "DISPLAY is not set");
        return false;
    }
    SDL_Window* trial = SDL_CreateWindow("", 0, 0, 1, 1, SDL_WINDOW_HIDDEN);
    if (!trial) {
        error = std::string("cannot open the display: ") + SDL_GetError();
        return false;
    }
    // Under a compositing manager the windows are made in the screen's ARGB
    // visual, as the manager's frames are (metacity's always, openbox's
    // around an ARGB window). The X server redirects a 24-bit window in a
    // 32-bit frame by itself: what the window draws reaches the frame in a
    // copy made later, and when that copy is made while the server draws a
    // software cursor (as Xvfb's and VNC servers' are: on a pointer motion,
    // or the cursor set right after a redraw), the server holds back the
    // damage it does from the compositor. The compositor then never paints
    // that place anew, and the screen shows it stale until something else
    // changes there. A window of its frame's visual draws into the frame
    // itself, and the compositor hears of it at once. Without a compositor
    // nothing waits on that damage, and the default visual stays: an ARGB
    // window there would be redirected in its turn. A visual the user chose
    // through SDL's environment variables stays too.
    if (const unsigned long argb = composited_argb_visual(trial);
        argb && !SDL_getenv("SDL_VIDEO_X11_VISUALID")) {
        char id[32];
        std::snprintf(id, sizeof id, "0x%lx", argb);
        if (SDL_SetHint(SDL_HINT_VIDEO_X11_WINDOW_VISUALID, id)) {
            SDL_Window* argb_trial = SDL_CreateWindow("", 0, 0, 1, 1, SDL_WINDOW_HIDDEN);
            argb_visual_ = argb_trial != nullptr;
            if (argb_trial)
                SDL_DestroyWindow(argb_trial);
            else
                SDL_ResetHint(SDL_HINT_VIDEO_X11_WINDOW_VISUALID);
        }
    }
    SDL_DestroyWindow(trial);
    if (TTF_Init() != 0) {
        error = std::string("cannot start SDL_ttf: ") + TTF_GetError();
        return false;
    }
    ttf_ = true;
    const std::string font_path = font_file.get();
    if (!text_->open(kFontFamily, font_path, error) || !box_text_->open(kFontFamily, font_path, error))
        return false;
    if (!finish_decoding(error)) return false;
    arrow_ = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW);
    // A shown form is on screen before its timers start counting.
    app_.on_show = [this](ui::Form&) {
        sync_windows();
        redraw_changed();
    };
    return true;
}

void SdlBackend::Decoding::work() {
    for (size_t i; (i = next++) < names.size();) {
        const std::string path = names[i] + ".png";
        // Read as the media are: a pipe or a device in a picture's place is
        // no picture, rather than a start-up that waits for ever.
        ui::FileError file_error;
        const auto bytes = ui::read_file(path, &file_error);
        SDL_RWops* rw = bytes ? SDL_RWFromConstMem(bytes->data(), int(bytes->size())) : nullptr;
        SDL_Surface* raw = rw ? IMG_Load_RW(rw, 1) : nullptr;
        surfaces[i] = raw ? SDL_ConvertSurfaceFormat(raw, SDL_PIXELFORMAT_ARGB8888, 0) : nullptr;
        if (raw) SDL_FreeSurface(raw);
        if (surfaces[i]) {
            SDL_SetSurfaceBlendMode(surfaces[i], opaque(surfaces[i]) ? SDL_BLENDMODE_NONE : SDL_BLENDMODE_BLEND);
        } else if (!bytes) {
            missing[i] = file_error.fault == ui::FileFault::missing;
            why[i] = file_error.text();  // permission denied, empty, too large, ...
        } else {
            why[i] = SDL_GetError();  // the error text is the thread's own
        }
    }
}

// Decoding is most of the time before the first window shows, and each
// picture stands alone: share them out over the cores.
void SdlBackend::start_decoding(const std::vector<std::string>& names) {
    decoding_ = std::make_unique<Decoding>();
    Decoding& d = *decoding_;
    for (const std::string& name : names)
        if (!pictures_.count(name) && std::find(d.names.begin(), d.names.end(), name) == d.names.end())
            d.names.push_back(name);
    d.surfaces.assign(d.names.size(), nullptr);
    d.why.resize(d.names.size());
    d.missing.assign(d.names.size(), 0);
    for (std::string& name : d.names) name = folder_ + "/" + name;  // paths from here on
    const size_t threads = std::min<size_t>(d.names.size(), std::max(1u, std::thread::hardware_concurrency()));
    try {
        for (size_t t = 0; t < threads && d.names.size() > 1; ++t)
            d.workers.emplace_back([&d] {
                d.work();
                // SDL frees a thread's error text by itself only in threads it made.
                SDL_TLSCleanup();
            });
    } catch (const std::system_error&) {
        // No more threads to be had: the ones running and the caller share the rest.
    }
}

bool SdlBackend::finish_decoding(std::string& error) {
    if (!decoding_) return true;
    Decoding& d = *decoding_;
    d.work();
    for (std::thread& t : d.workers) t.join();
    bool ok = true;
    const size_t prefix = folder_.size() + 1;
    for (size_t i = 0; i < d.names.size(); ++i) {
        const std::string path = d.names[i] + ".png";
        if (!d.surfaces[i]) {
            if (ok)
                error = d.missing[i] ? "missing picture: " + path : "cannot read the picture " + path + ": " + d.why[i];
            ok = false;
            continue;
        }
        pictures_[d.names[i].substr(prefix)] = d.surfaces[i];
    }
    decoding_.reset();
    // The decoders' scratch memory is free now but held by their threads'
    // malloc arenas: give it back.
    give_back_free_memory();
    return ok;
}

bool SdlBackend::load_pictures(const std::vector<std::string>& names, std::string& error) {
    start_decoding(names);
    return finish_decoding(error);
}

SDL_Surface* SdlBackend::picture(const std::string& name) {
    if (name.empty()) return nullptr;
    if (auto it = pictures_.find(name); it != pictures_.end()) return it->second;
    if (failed_.count(name)) return nullptr;
    // A name the layouts don't mention, set at run time: load it on first use.
    std::string error;
    if (!load_pictures({name}, error)) {
        failed_[name] = true;
        std::fprintf(stderr, "patapata: %s\n", error.c_str());
        return nullptr;
    }
    return pictures_[name];
}

SdlBackend::Window* SdlBackend::window_for(const ui::Form& form) {
    auto it = windows_.find(&form);
    return it == windows_.end() ? nullptr : &it->second;
}

SDL_Window* SdlBackend::window_of(const ui::Form& form) const {
    auto it = windows_.find(&form);
    return it == windows_.end() ? nullptr : it->second.sdl;
}

int SdlBackend::frames_drawn(const ui::Form& form) const {
    auto it = windows_.find(&form);
    return it == windows_.end() ? 0 : it->second.frames;
}

ui::Form* SdlBackend::form_of(uint32_t window_id) const {
    for (const auto& [form, w] : windows_)
        if (w.sdl && w.id == window_id) return const_cast<ui::Form*>(form);
    return nullptr;
}

void SdlBackend::step(int max_wait_ms) {
    if (app_.ended()) return;
    // Forms may have been shown or changed since the last step (start-up, tests).
    sync_windows();
    sync_message_box();
    redraw_changed();

    int wait = max_wait_ms;
    if (auto due = app_.next_due()) {
        const int64_t until = std::max<int64_t>(0, *due - app_.now());
        if (wait < 0 || until < wait) wait = int(std::min<int64_t>(until, 1 << 30));
    }
    SDL_Event e;
    const bool got = wait < 0 ? SDL_WaitEvent(&e) == 1 : SDL_WaitEventTimeout(&e, wait) == 1;
    if (got) {
        handle(e);
        while (!app_.ended() && SDL_PollEvent(&e)) handle(e);
        place_late_frames();
    }
    if (!app_.ended()) app_.run_due();
    if (app_.ended()) return;

    sync_windows();
    sync_message_box();
    redraw_changed();
    update_cursor();
}

void SdlBackend::run() {
    while (!app_.ended()) step(-1);
}

void SdlBackend::handle(const SDL_Event& e) {
    auto dismiss_if = [this](const SDL_Event& ev) {
        if (dialog_ && dialog_->handle(ev)) {
            dialog_.reset();
            app_.close_message_box();
        }
    };
    switch (e.type) {
    case SDL_QUIT:  // a signal: end as the game would
        app_.end();
        break;
    case SDL_WINDOWEVENT: {
        if (dialog_ && e.window.windowID == dialog_->window_id()) {
            dismiss_if(e);
            break;
        }
        ui::Form* form = form_of(e.window.windowID);
        if (!form) break;
        if (e.window.event == SDL_WINDOWEVENT_CLOSE) {
            // The box is modal: its windows can't be closed under it.
            if (!app_.message_box()) form->close();
        } else if (e.window.event == SDL_WINDOWEVENT_EXPOSED || e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
            window_for(*form)->exposed = true;
        }
        break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        if (dialog_ && e.button.windowID == dialog_->window_id()) {
            dismiss_if(e);
            break;
        }
        if (e.button.button != SDL_BUTTON_LEFT) break;
        ui::Form* form = form_of(e.button.windowID);
        if (!form) break;
        // The model pairs each release with its press; a release outside
        // the window (the pointer dragged off it) carries coordinates beyond
        // its client area.
        if (e.type == SDL_MOUSEBUTTONDOWN) {
            if (dialog_) {
                copy_user_time(dialog_->window(), window_of(*form));
                activate(dialog_->window());
            }
            // A window manager may make the window larger than its form:
            // what lies past the form is no part of it.
            if (form->in_client_area(e.button.x, e.button.y)) app_.mouse_down(*form, e.button.x, e.button.y);
        } else {
            app_.mouse_up(*form, e.button.x, e.button.y);
        }
        break;
    }
    case SDL_KEYDOWN:
        // The box holds the keyboard wherever the focus has stayed.
        dismiss_if(e);
        break;
    default:
        break;
    }
}

void SdlBackend::sync_windows() {
    for (ui::Form* form : app_.forms()) {
        Window* w = window_for(*form);
        if (form->visible()) {
            if (!w) {
                w = &windows_[form];
                w->sdl = SDL_CreateWindow(form->caption.c_str(), SDL_WINDOWPOS_CENTERED,
                                          SDL_WINDOWPOS_CENTERED, std::max(1, form->client_width),
                                          std::max(1, form->client_height), SDL_WINDOW_HIDDEN);
                if (!w->sdl) {
                    if (!warned_no_window_)
                        std::fprintf(stderr, "patapata: cannot open a window: %s\n", SDL_GetError());
                    warned_no_window_ = true;
                    continue;
                }
                w->id = SDL_GetWindowID(w->sdl);
                w->caption = form->caption;
                prepare_window(w->sdl, WindowKind::Fixed, display_centre(w->sdl));
            }
            if (!w->sdl) continue;
            if (w->caption != form->caption) {
                w->caption = form->caption;
                SDL_SetWindowTitle(w->sdl, w->caption.c_str());
            }
            if (w->icon != form->icon.name) {
                w->icon = form->icon.name;
                if (SDL_Surface* s = picture(w->icon)) SDL_SetWindowIcon(w->sdl, s);
            }
            if (!w->shown) {
                SDL_ShowWindow(w->sdl);
                w->shown = true;
                w->exposed = true;
            }
        } else if (w && w->sdl && w->shown) {
            SDL_HideWindow(w->sdl);
            w->shown = false;
        }
    }
}

void SdlBackend::sync_message_box() {
    const auto& box = app_.message_box();
    if (dialog_ && (!box || box->text != dialog_->box().text || box->title != dialog_->box().title ||
                    box->style != dialog_->box().style))
        dialog_.reset();
    if (!box || dialog_) return;
    SDL_Window* parent = nullptr;
    for (ui::Form* form : app_.forms()) {
        Window* w = window_for(*form);
        if (form->visible() && w && w->sdl) {
            parent = w->sdl;
            break;
        }
    }
    dialog_ = std::make_unique<MessageDialog>(*box_text_, *box, parent);
    if (!dialog_->window()) {
        // Nobody could ever answer a box that can't be shown.
        std::fprintf(stderr, "patapata: cannot open the message box: %s\n", SDL_GetError());
        dialog_.reset();
        app_.close_message_box();
    }
}

// Only the places whose controls changed are drawn again: the prompt's
// blink, say, costs its own rectangle rather than the whole window.
void SdlBackend::redraw_changed() {
    for (auto& [form, w] : windows_) {
        if (!w.sdl || !w.shown) continue;
        const auto& controls = form->all_controls;
        std::vector<uint64_t> looks(controls.size());
        std::vector<SDL_Rect> reaches(controls.size());
        for (size_t i = 0; i < controls.size(); ++i) {
            looks[i] = look_of(*controls[i]);
            reaches[i] = reach_of(*controls[i], *form);
        }
        const SDL_Rect all{0, 0, form->client_width, form->client_height};
        SDL_Rect dirty{0, 0, 0, 0};
        if (w.exposed || w.frames == 0 || w.background != form->background.name || w.looks.size() != looks.size()) {
            dirty = all;
        } else {
            for (size_t i = 0; i < looks.size(); ++i) {
                if (looks[i] == w.looks[i] && SDL_RectEquals(&reaches[i], &w.reaches[i])) continue;
                unite(dirty, w.reaches[i]);
                unite(dirty, reaches[i]);
            }
        }
        SDL_Rect area;
        if (!SDL_IntersectRect(&dirty, &all, &area)) continue;
        SDL_Surface* dst = SDL_GetWindowSurface(w.sdl);
        if (!dst) continue;
        draw(*form, dst, area);
        if (SDL_RectEquals(&area, &all) && (dst->w > all.w || dst->h > all.h)) {
            // A window manager made the window larger than the form: the
            // rest shows the form's plain colour, not what the screen had.
            fill(dst, all.w, 0, dst->w - all.w, dst->h, kFormColor);
            fill(dst, 0, all.h, all.w, dst->h - all.h, kFormColor);
            area = SDL_Rect{0, 0, dst->w, dst->h};
        }
        make_opaque(dst, area);  // blended edges may have left an alpha short of it
        SDL_UpdateWindowSurfaceRects(w.sdl, &area, 1);
        w.looks = std::move(looks);
        w.reaches = std::move(reaches);
        w.background = form->background.name;
        w.exposed = false;
        ++w.frames;
    }
    if (dialog_) dialog_->draw();
}

void SdlBackend::draw(const ui::Form& form, SDL_Surface* dst, const SDL_Rect& area) {
    SDL_SetClipRect(dst, &area);
    fill(dst, area.x, area.y, area.w, area.h, kFormColor);
    if (SDL_Surface* bg = picture(form.background.name)) blit(bg, dst, 0, 0);
    draw_list(form.controls, dst, area);
    SDL_SetClipRect(dst, nullptr);
}

// Back to front: the lists run front to back, and a frame's children lie in
// front of the frame.
void SdlBackend::draw_list(const std::vector<ui::Control*>& list, SDL_Surface* dst, const SDL_Rect& clip) {
    for (auto it = list.rbegin(); it != list.rend(); ++it) {
        const ui::Control& c = **it;
        if (!c.visible) continue;
        draw_control(c, dst, clip);
        if (!c.children.empty()) {
            SDL_Rect inner;
            const SDL_Rect r = rect_of(c);
            if (SDL_IntersectRect(&clip, &r, &inner)) draw_list(c.children, dst, inner);
        }
    }
}

void SdlBackend::draw_control(const ui::Control& c, SDL_Surface* dst, const SDL_Rect& clip) {
    const SDL_Rect r = rect_of(c);
    SDL_Rect in;
    switch (c.kind) {
    case ui::Kind::Picture:
        if (!clip_to(dst, clip, r, &in)) return;
        if (SDL_Surface* s = picture(c.picture.name)) blit(s, dst, r.x, r.y);
        if (c.flat_border) draw_border(dst, r, kGridColor, 1);
        break;
    case ui::Kind::Frame:
        if (c.back_color && clip_to(dst, clip, r, &in)) fill(dst, r.x, r.y, r.w, r.h, *c.back_color);
        break;
    case ui::Kind::Shape:
        if (!clip_to(dst, clip, r, &in)) return;
        if (c.shape == ui::ShapeKind::Circle) {
            draw_ellipse(dst, r, c.back_color, c.border_color, c.border_width);
        } else {
            if (c.back_color) fill(dst, r.x, r.y, r.w, r.h, *c.back_color);
            if (c.border_width > 0) draw_border(dst, r, c.border_color, c.border_width);
        }
        break;
    case ui::Kind::Label: {
        if (c.back_color && clip_to(dst, clip, r, &in)) fill(dst, r.x, r.y, r.w, r.h, *c.back_color);
        if (c.caption.empty()) return;
        // An autosized label grows to its text: only its container clips it.
        if (c.autosize) {
            SDL_SetClipRect(dst, &clip);
        } else if (!clip_to(dst, clip, r, &in)) {
            return;
        }
        const int px = int(std::lround(c.font_pt * 96.0 / 72.0));
        const int line_h = text_->line_height(px, c.bold);
        int y = r.y;
        for (const std::string& line : text_->lines(c.caption, px, c.bold, c.autosize ? 0 : r.w)) {
            if (SDL_Surface* t = text_->render(line, px, c.bold, c.fore_color)) {
                const int x = c.align == ui::Align::Center && !c.autosize ? r.x + (r.w - t->w) / 2 : r.x;
                blit(t, dst, x, y);
            }
            y += line_h;
        }
        break;
    }
    }
}

bool SdlBackend::save_screenshot(const ui::Form& form, const std::string& png_path) {
    Window* w = window_for(form);
    if (!w || !w->sdl) return false;
    redraw_changed();
    SDL_Surface* s = SDL_GetWindowSurface(w->sdl);
    return s && IMG_SavePNG(s, png_path.c_str()) == 0;
}

SDL_Cursor* SdlBackend::cursor_for(const std::string& icon) {
    if (auto it = cursors_.find(icon); it != cursors_.end()) return it->second;
    SDL_Surface* s = picture(icon);
    SDL_Cursor* c = s ? SDL_CreateColorCursor(s, s->w / 2, s->h / 2) : nullptr;
    cursors_[icon] = c;
    return c;
}

void SdlBackend::update_cursor() {
    std::string name;
    if (SDL_Window* focus = SDL_GetMouseFocus(); focus && !app_.message_box()) {
        ui::Form* form = form_of(SDL_GetWindowID(focus));
        if (form && form->visible()) {
            int x = 0, y = 0;
            SDL_GetMouseState(&x, &y);
            // Mode 0 leaves the choice to the container.
            for (const ui::Control* c = form->hit_visible(x, y); c; c = c->container) {
                if (c->mouse_pointer == ui::kPointerCustom && !c->mouse_icon.empty()) {
                    name = c->mouse_icon.name;
                    break;
                }
            }
        }
    }
    SDL_Cursor* cursor = name.empty() ? arrow_ : cursor_for(name);
    if (!cursor) {
        name.clear();
        cursor = arrow_;
    }
    if (cursor_set_ && name == cursor_name_) return;
    if (cursor) SDL_SetCursor(cursor);
    cursor_name_ = name;
    cursor_set_ = true;
}

}  // namespace platform
