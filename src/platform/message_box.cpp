// The message box window, drawn by hand in the look of a system dialog.
#include <algorithm>

#include "platform/sdl_backend.h"

namespace platform {

namespace {

constexpr int kTextPx = 12;  // 9 pt at 96 dpi
constexpr int kMargin = 16;
constexpr int kIcon = 32;
constexpr int kGap = 12;  // between the icon and the text
constexpr int kMaxTextWidth = 360;
constexpr int kButtonW = 88, kButtonH = 26;

void fill(SDL_Surface* s, int x, int y, int w, int h, uint32_t rgb) {
    SDL_Rect r{x, y, w, h};
    SDL_FillRect(s, &r, SDL_MapRGB(s->format, Uint8(rgb >> 16), Uint8(rgb >> 8), Uint8(rgb)));
}

void frame(SDL_Surface* s, const SDL_Rect& r, uint32_t rgb) {
    fill(s, r.x, r.y, r.w, 1, rgb);
    fill(s, r.x, r.y + r.h - 1, r.w, 1, rgb);
    fill(s, r.x, r.y, 1, r.h, rgb);
    fill(s, r.x + r.w - 1, r.y, 1, r.h, rgb);
}

// A warning triangle with an exclamation mark, kIcon pixels square.
void draw_exclamation(SDL_Surface* s, int left, int top) {
    const double apex = kIcon / 2.0;
    for (int y = 1; y < kIcon - 1; ++y) {
        // Half the width grows from the apex down to the base.
        double half = (y - 1) * (kIcon / 2.0 - 1) / (kIcon - 3);
        int x0 = int(apex - half - 0.5), x1 = int(apex + half + 0.5);
        fill(s, left + x0, top + y, x1 - x0, 1, 0x806000);
        if (y > 3 && y < kIcon - 2) {
            double inner = half - 1.8;
            if (inner > 0) {
                int i0 = int(apex - inner), i1 = int(apex + inner + 0.5);
                fill(s, left + i0, top + y, i1 - i0, 1, 0xFFCC00);
            }
        }
    }
    fill(s, left + kIcon / 2 - 2, top + 10, 4, 12, 0x000000);
    fill(s, left + kIcon / 2 - 2, top + 24, 4, 3, 0x000000);
}

}  // namespace

MessageDialog::MessageDialog(TextRenderer& text, const ui::MessageBox& box, SDL_Window* parent)
    : text_(text), box_(box) {
    lines_ = text_.lines(box_.text, kTextPx, false, kMaxTextWidth);
    int text_w = 0;
    for (const auto& l : lines_) text_w = std::max(text_w, text_.text_width(l, kTextPx, false));
    const int line_h = text_.line_height(kTextPx, false);
    const int text_h = int(lines_.size()) * line_h;

    text_left_ = kMargin + kIcon + kGap;
    width_ = std::max(text_left_ + text_w + kMargin + 8, 2 * kMargin + kButtonW + 120);
    const int body = std::max(kIcon, text_h);
    text_top_ = kMargin + (body - text_h) / 2;
    const int strip_top = kMargin + body + kMargin;
    height_ = strip_top + 10 + kButtonH + 10;
    button_ = SDL_Rect{(width_ - kButtonW) / 2, strip_top + 10, kButtonW, kButtonH};

    // A dialog to X11 window managers, which give it the buttons and the
    // behaviour of their own dialogs; the game's other windows are normal.
    SDL_SetHint(SDL_HINT_X11_WINDOW_TYPE, "_NET_WM_WINDOW_TYPE_DIALOG");
    window_ = SDL_CreateWindow(box_.title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width_,
                               height_, SDL_WINDOW_HIDDEN | SDL_WINDOW_SKIP_TASKBAR);
    SDL_ResetHint(SDL_HINT_X11_WINDOW_TYPE);
    if (!window_) return;
    id_ = SDL_GetWindowID(window_);
    // Modal before the manager is asked for its frame: a modal dialog's may differ.
    make_modal(window_, parent);
    // Centred on the window it belongs to, frame on frame.
    prepare_window(window_, WindowKind::Dialog, parent ? frame_centre(parent) : display_centre(window_));
    // The box answers the click that opened it.
    if (parent) copy_user_time(window_, parent);
    draw();
    SDL_ShowWindow(window_);
    activate(window_);
}

MessageDialog::~MessageDialog() {
    if (window_) SDL_DestroyWindow(window_);
}

bool MessageDialog::on_button(int x, int y) const {
    return x >= button_.x && x < button_.x + button_.w && y >= button_.y && y < button_.y + button_.h;
}

bool MessageDialog::handle(const SDL_Event& e) {
    switch (e.type) {
    case SDL_KEYDOWN:
        switch (e.key.keysym.sym) {
        case SDLK_RETURN:
        case SDLK_KP_ENTER:
        case SDLK_SPACE:
        case SDLK_ESCAPE:
            return true;
        default:
            return false;
        }
    case SDL_MOUSEBUTTONDOWN:
        if (e.button.windowID == id_ && e.button.button == SDL_BUTTON_LEFT && on_button(e.button.x, e.button.y)) {
            pressed_ = true;
            dirty_ = true;
        }
        return false;
    case SDL_MOUSEBUTTONUP:
        if (e.button.windowID == id_ && e.button.button == SDL_BUTTON_LEFT && pressed_) {
            pressed_ = false;
            dirty_ = true;
            return on_button(e.button.x, e.button.y);
        }
        return false;
    case SDL_WINDOWEVENT:
        if (e.window.windowID != id_) return false;
        if (e.window.event == SDL_WINDOWEVENT_CLOSE) return true;
        if (e.window.event == SDL_WINDOWEVENT_EXPOSED || e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
            dirty_ = true;
        return false;
    default:
        return false;
    }
}

void MessageDialog::draw() {
    if (!window_ || !dirty_) return;
    SDL_Surface* s = SDL_GetWindowSurface(window_);
    if (!s) return;
    dirty_ = false;
    // A window manager may make the box larger than asked: the body and the
    // button strip reach to its edges, what they hold stays at the top left.
    const int strip_top = button_.y - 10;
    fill(s, 0, 0, s->w, strip_top, 0xFFFFFF);
    fill(s, 0, strip_top, s->w, s->h - strip_top, 0xF0F0F0);

    draw_exclamation(s, kMargin, kMargin);
    const int line_h = text_.line_height(kTextPx, false);
    int y = text_top_;
    for (const auto& l : lines_) {
        if (SDL_Surface* t = text_.render(l, kTextPx, false, 0x000000)) {
            SDL_Rect at{text_left_, y, t->w, t->h};
            SDL_BlitSurface(t, nullptr, s, &at);
        }
        y += line_h;
    }

    fill(s, button_.x, button_.y, button_.w, button_.h, pressed_ ? 0xCCE4F7 : 0xE1E1E1);
    frame(s, button_, 0x0078D7);  // the default button
    if (SDL_Surface* t = text_.render("OK", kTextPx, false, 0x000000)) {
        SDL_Rect at{button_.x + (button_.w - t->w) / 2, button_.y + (button_.h - t->h) / 2, t->w, t->h};
        SDL_BlitSurface(t, nullptr, s, &at);
    }
    make_opaque(s, SDL_Rect{0, 0, s->w, s->h});  // the text's blended edges (an ARGB window)
    SDL_UpdateWindowSurface(window_);
}

}  // namespace platform
