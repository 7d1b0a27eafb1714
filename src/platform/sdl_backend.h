// The SDL2 back end: every visible form is a real window, drawn from the
// window-services model whenever what it shows has changed; mouse input goes
// back to the model, timers run from the event loop, and the message box is a
// small modal window of its own.
#pragma once

#include <SDL.h>
#include <SDL_ttf.h>

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

#include "ui/ui.h"

namespace platform {

// The file of an installed font family, found through fontconfig; empty when
// the family isn't installed (fontconfig's nearest substitute doesn't count).
std::string find_font_file(const std::string& family);

// On X11, keeps a harmless X error (SDL's wake-up sent to a window destroyed
// meanwhile) from ending the program; call before the video subsystem starts.
void tolerate_stale_wakeups();

// What a window lets the window manager offer: the game's windows can be
// moved, minimised and closed; a message box only moved and closed.
enum class WindowKind { Fixed, Dialog };

// Before the window first shows: the window placed so that the frame its
// window manager puts around it is centred on the point, and on X11 the
// buttons of its kind asked for.
void prepare_window(SDL_Window* window, WindowKind kind, SDL_Point centre);
// After events are handled: a window placed without knowing its frame's size
// (the manager didn't tell it ahead) is moved once, when the frame shows.
void place_late_frames();
// Before the box first shows: a modal dialog of the parent's, as EWMH has one
// (the X11 window type of a dialog is given when the box is made).
void make_modal(SDL_Window* box, SDL_Window* parent);
// The centre of the window with its window manager's frame around it.
SDL_Point frame_centre(SDL_Window* window);
// The centre of the screen the window is on.
SDL_Point display_centre(SDL_Window* window);
// Dates the window with the time of the user's last input to another one.
void copy_user_time(SDL_Window* to, SDL_Window* from);
// Raises the window and asks for the keyboard, dated with its user time.
void activate(SDL_Window* window);
// On X11 while a compositing manager runs: the screen's 32-bit TrueColor
// visual with 8 bits of alpha above 8-bit red, green and blue, to make the
// windows in (see SdlBackend::init); else 0, as where the window given (any
// made the default way) has a 32-bit visual already.
unsigned long composited_argb_visual(SDL_Window* window);
// Makes every pixel in the area opaque, where the surface has an alpha
// channel: a window of an ARGB visual shows what lies behind it through any
// pixel that isn't.
void make_opaque(SDL_Surface* surface, const SDL_Rect& area);

// One font family at several pixel sizes, with rendered lines kept for reuse.
class TextRenderer {
public:
    // The hinting every size is drawn with (SDL_ttf's TTF_HINTING_*): by
    // default the font's own instructions.
    explicit TextRenderer(int hinting = TTF_HINTING_NORMAL) : hinting_(hinting) {}
    ~TextRenderer();
    TextRenderer(const TextRenderer&) = delete;
    TextRenderer& operator=(const TextRenderer&) = delete;

    bool open(const std::string& family, std::string& error);
    // The same with the family's file already looked up (empty: not found).
    bool open(const std::string& family, const std::string& file, std::string& error);
    TTF_Font* font(int px, bool bold);
    int line_height(int px, bool bold);
    int text_width(const std::string& utf8, int px, bool bold);
    // The text split at its line breaks and, when width > 0, wrapped to fit in
    // width (at a space if the line has one, else between two characters).
    std::vector<std::string> lines(const std::string& utf8, int px, bool bold, int width);
    // An anti-aliased line on a transparent background, owned by the cache.
    SDL_Surface* render(const std::string& utf8, int px, bool bold, uint32_t rgb);

private:
    int hinting_;
    std::string path_;
    std::map<std::pair<int, bool>, TTF_Font*> fonts_;
    std::unordered_map<std::string, SDL_Surface*> rendered_;
};

// The modal message box: a title, an exclamation mark, the text and one OK
// button. Enter, Space, Escape, the OK button and the close button dismiss it.
class MessageDialog {
public:
    MessageDialog(TextRenderer& text, const ui::MessageBox& box, SDL_Window* parent);
    ~MessageDialog();
    MessageDialog(const MessageDialog&) = delete;
    MessageDialog& operator=(const MessageDialog&) = delete;

    SDL_Window* window() const { return window_; }
    uint32_t window_id() const { return id_; }
    const ui::MessageBox& box() const { return box_; }
    // True when the event dismisses the box.
    bool handle(const SDL_Event& e);
    void draw();

private:
    bool on_button(int x, int y) const;

    TextRenderer& text_;
    ui::MessageBox box_;
    SDL_Window* window_ = nullptr;
    uint32_t id_ = 0;
    std::vector<std::string> lines_;
    int width_ = 0, height_ = 0;
    int text_left_ = 0, text_top_ = 0;
    SDL_Rect button_{};
    bool pressed_ = false;  // the left button went down on OK
    bool dirty_ = true;
};

class SdlBackend {
public:
    SdlBackend(ui::App& app, std::string picture_folder);
    ~SdlBackend();
    SdlBackend(const SdlBackend&) = delete;
    SdlBackend& operator=(const SdlBackend&) = delete;

    // Video, the font, a trial window and the pictures named, decoded while
    // the display comes up. The error reads "cannot open the display: ..."
    // when there is no display.
    bool init(std::string& error, const std::vector<std::string>& pictures = {});
    // Loads <folder>/NAME.png for each name; the first that fails is reported
    // as "missing picture: <path>" or "cannot read the picture <path>: why".
    bool load_pictures(const std::vector<std::string>& names, std::string& error);

    // Waits for an event or the next due timer, at most max_wait_ms (forever
    // when negative), handles every pending event and due tick, then brings
    // the windows up to date and redraws the ones whose picture changed.
    void step(int max_wait_ms);
    // Steps until the program ends.
    void run();

    // The window of a form, once the form has been shown; else none.
    SDL_Window* window_of(const ui::Form& form) const;
    // The message box window while one is open.
    SDL_Window* message_box_window() const { return dialog_ ? dialog_->window() : nullptr; }
    // Writes the form's window as drawn to a PNG file.
    bool save_screenshot(const ui::Form& form, const std::string& png_path);
    // How many times the form's window has been drawn.
    int frames_drawn(const ui::Form& form) const;
    // The mouse icon the pointer shows now; empty for the arrow.
    const std::string& cursor_icon() const { return cursor_name_; }

private:
    // Pictures being decoded on threads of their own.
    struct Decoding {
        std::vector<std::string> names;
        std::vector<SDL_Surface*> surfaces;
        std::vector<std::string> why;
        std::vector<char> missing;  // nothing at the path (a char each: written from several threads)
        std::atomic<size_t> next{0};
        std::vector<std::thread> workers;
        void work();
    };
    void start_decoding(const std::vector<std::string>& names);
    // Helps with what is left, waits for the rest and keeps what was decoded.
    bool finish_decoding(std::string& error);

    struct Window {
        SDL_Window* sdl = nullptr;
        uint32_t id = 0;
        bool shown = false;
        std::string caption;
        std::string icon;
        // What was drawn: the background and each control's look and reach.
        std::string background;
        std::vector<uint64_t> looks;
        std::vector<SDL_Rect> reaches;
        bool exposed = true;
        int frames = 0;
    };

    SDL_Surface* picture(const std::string& name);
    Window* window_for(const ui::Form& form);
    ui::Form* form_of(uint32_t window_id) const;
    void handle(const SDL_Event& e);
    void sync_windows();
    void sync_message_box();
    void redraw_changed();
    void draw(const ui::Form& form, SDL_Surface* dst, const SDL_Rect& area);
    void draw_list(const std::vector<ui::Control*>& list, SDL_Surface* dst, const SDL_Rect& clip);
    void draw_control(const ui::Control& c, SDL_Surface* dst, const SDL_Rect& clip);
    void update_cursor();
    SDL_Cursor* cursor_for(const std::string& icon);

    ui::App& app_;
    std::string folder_;
    bool video_ = false;
    bool ttf_ = false;
    bool img_ = false;
    bool warned_no_window_ = false;
    bool argb_visual_ = false;  // new windows are asked for in the ARGB visual
    std::unique_ptr<TextRenderer> text_;
    std::unique_ptr<TextRenderer> box_text_;  // the message box's: see the constructor
    std::unordered_map<std::string, SDL_Surface*> pictures_;
    std::unique_ptr<Decoding> decoding_;
    std::unordered_map<std::string, bool> failed_;  // reported once each
    std::map<const ui::Form*, Window> windows_;
    std::unique_ptr<MessageDialog> dialog_;
    std::unordered_map<std::string, SDL_Cursor*> cursors_;
    SDL_Cursor* arrow_ = nullptr;
    std::string cursor_name_;
    bool cursor_set_ = false;
};

}  // namespace platform
