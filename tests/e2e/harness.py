"""Drives the real program on an X display the way a user would: real pointer
and key input through XTEST, screenshots and the pointer's cursor read back
from the X server, and the window manager's close request (WM_DELETE_WINDOW).

Every test gets an X server of its own (Xvfb), so the tests can run side by
side without sharing a pointer or windows; E2E_WM names a window manager to
run on it as well."""

import os
import random
import shutil
import subprocess
import sys
import tempfile
import time

from Xlib import X, XK, Xatom, display, error
from Xlib.ext import damage, xtest
from Xlib.protocol import event

CAPTION = "ぽてんなパタパタ！"
TITLE_SIZE = (480, 360)
GAME_SIZE = (478, 360)
MEDIA = ("s_oki.wav", "s_kae.wav", "bg_main.mid", "bg_main_hi.mid")

EMPTY, BLACK, WHITE = 0, 1, 2
COLOUR_NAME = {BLACK: "black", WHITE: "white"}

# Places in the client areas, in pixels.
MENU_AT = (135, 194)  # `img_start`(0), the two-line menu
MENU_LINES = [(168, 208, 137, 33), (168, 243, 137, 33), (152, 277, 177, 33)]  # `img_click`
HANDS = [(224, 192, 43, 60), (296, 192, 46, 60), (376, 192, 45, 60)]  # `img_jya`
ICO_AT = (344, 86)  # `img_ico`: the stone the janken gave the user
TIT_AT = (248, 320)  # `img_tit`, the way back to the title
BANNER_AT = (240, 144)  # `img_win`, `img_lose`, `img_douten`
BANNERS = {"banner_win": "win", "banner_lose": "lose", "banner_draw": "draw"}
BOARD_BG = (179, 216, 255)  # `Frame1` behind an empty cell


class Failure(Exception):
    pass


def check(cond, what):
    if not cond:
        raise Failure(what)


def log(*args):
    print(*args, flush=True)


def wait_for(what, probe, timeout, every=0.05):
    """Polls probe() until it returns something truthy; fails after timeout s."""
    until = time.monotonic() + timeout
    while True:
        got = probe()
        if got:
            return got
        if time.monotonic() > until:
            raise Failure(f"timed out after {timeout} s waiting for {what}")
        time.sleep(every)


def centre(rect):
    x, y, w, h = rect
    return x + w // 2, y + h // 2


def cell_xy(k):
    """Top left corner of `img_ishi`(k)."""
    return 192 + 32 * (k % 8), 32 + 32 * (k // 8)


def cell_centre(k):
    x, y = cell_xy(k)
    return x + 16, y + 16


# Pictures as the program draws them, read once as RGBA through ImageMagick.
_pictures = {}


def picture(folder, name):
    key = (folder, name)
    if key not in _pictures:
        path = os.path.join(folder, "pictures", name + ".png")
        w, h = map(int, subprocess.check_output(["identify", "-format", "%w %h", path]).split())
        rgba = subprocess.check_output(["convert", path, "-depth", "8", "rgba:-"])
        _pictures[key] = (w, h, rgba)
    return _pictures[key]


class Shot:
    """A window's pixels as the X server shows them."""

    def __init__(self, w, h, data, bpl):
        self.w, self.h, self.data, self.bpl = w, h, data, bpl

    def at(self, x, y):
        i = y * self.bpl + x * 4
        return self.data[i + 2], self.data[i + 1], self.data[i]

    def match(self, folder, name, left, top):
        """The share of the picture's opaque pixels (every other one) that
        the window shows with the picture's top left corner at left, top."""
        w, h, rgba = picture(folder, name)
        total = same = 0
        for y in range(0, h, 2):
            for x in range(0, w, 2):
                i = (y * w + x) * 4
                if rgba[i + 3] != 255 or not (0 <= left + x < self.w and 0 <= top + y < self.h):
                    continue
                total += 1
                r, g, b = self.at(left + x, top + y)
                same += abs(r - rgba[i]) + abs(g - rgba[i + 1]) + abs(b - rgba[i + 2]) <= 24
        return same / total if total else 0.0

    def shows(self, folder, name, left, top):
        return self.match(folder, name, left, top) >= 0.9

    def mean(self, left, top, w, h):
        acc = [0, 0, 0]
        for y in range(top, top + h):
            for x in range(left, left + w):
                for c, v in enumerate(self.at(x, y)):
                    acc[c] += v
        return tuple(v / (w * h) for v in acc)


class XServer:
    """A private Xvfb; stops with the test. With a window manager named (by
    default the one E2E_WM names, if any), that manager runs on it as well,
    its output kept in wm_output()."""

    def __init__(self, wm=None):
        r, w = os.pipe()
        self.proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(w), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
            pass_fds=(w,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(w)
        with os.fdopen(r, "rb") as f:
            number = f.readline().strip()  # written once the server accepts clients
        if not number:
            self.proc.wait()
            raise Failure("Xvfb did not start")
        self.name = ":" + number.decode()
        self.wm = wm if wm is not None else os.environ.get("E2E_WM") or None
        self.wm_proc = None
        if self.wm:
            self._start_wm()

    def _start_wm(self):
        self.wm_log = tempfile.TemporaryFile()
        self.wm_proc = subprocess.Popen([self.wm], env=dict(os.environ, DISPLAY=self.name),
                                        stdout=self.wm_log, stderr=subprocess.STDOUT)
        d = display.Display(self.name)
        check_atom = d.intern_atom("_NET_SUPPORTING_WM_CHECK")

        def managing():
            # The manager's own window names itself: it is up and in charge.
            check(self.wm_proc.poll() is None, f"{self.wm} ended at once:\n{self.wm_output()}")
            prop = d.screen().root.get_full_property(check_atom, X.AnyPropertyType)
            if not prop:
                return False
            try:
                own = d.create_resource_object("window", prop.value[0])
                again = own.get_full_property(check_atom, X.AnyPropertyType)
                return bool(again) and again.value[0] == prop.value[0]
            except error.XError:
                return False
        try:
            wait_for(f"{self.wm} to manage the screen", managing, 20)
        finally:
            d.close()

    def wm_output(self):
        self.wm_log.seek(0)
        return self.wm_log.read().decode("utf-8", "replace")

    def stop(self):
        for proc in (self.wm_proc, self.proc):
            if proc is None:
                continue
            proc.terminate()
            try:
                proc.wait(10)
            except subprocess.TimeoutExpired:
                proc.kill()
                proc.wait()


class Win:
    """A window of the program: its client area in root coordinates, and
    the window manager's frame around it (the client area itself without a
    manager)."""

    def __init__(self, xw, caption, x, y, w, h, extents=(0, 0, 0, 0)):
        self.xw, self.caption, self.x, self.y, self.w, self.h = xw, caption, x, y, w, h
        left, right, top, bottom = extents
        self.frame = (x - left, y - top, w + left + right, h + top + bottom)

    @property
    def size(self):
        return (self.w, self.h)

    @property
    def frame_centre(self):
        x, y, w, h = self.frame
        return (x + w / 2, y + h / 2)


class Program:
    """One run of the program on the test's X server."""

    def __init__(self, exe, xserver, env=None, uid=None, watch_damage=False):
        """watch_damage: every change to what the screen shows, from before
        the program starts, is noted in self.damage (see read_events)."""
        # The program runs in another folder: a path is made absolute, a bare
        # name is looked up on the PATH.
        self.exe = os.path.abspath(exe) if os.sep in exe else exe
        self.folder = os.path.dirname(self.exe)
        self.wm = xserver.wm
        self.display_name = xserver.name
        self.d = display.Display(xserver.name)
        self.root = self.d.screen().root
        # Where windows are made, the program answers pings and asks for the keyboard.
        self.root.change_attributes(event_mask=X.SubstructureNotifyMask)
        self.d.xfixes_query_version()
        self.atom = {n: self.d.intern_atom(n) for n in
                     ("_NET_WM_PID", "_NET_WM_NAME", "UTF8_STRING", "WM_PROTOCOLS",
                      "WM_DELETE_WINDOW", "_NET_WM_PING", "_NET_FRAME_EXTENTS",
                      "_NET_ACTIVE_WINDOW", "_NET_WM_USER_TIME")}
        self._top_level = []  # windows made on the root since, the program's among them
        self._ours = set()
        self.pongs = set()
        self.activations = []  # (window id, time) of each _NET_ACTIVE_WINDOW request
        self.damage = []  # (server time, x, y, w, h), root coordinates
        self.damage_event = None
        if watch_damage:
            self.damage_event = self.d.query_extension("DAMAGE").first_event + damage.DamageNotifyCode
            self.d.damage_query_version()
            self.root.damage_create(damage.DamageReportRawRectangles)
            self.d.sync()

        fd, self.err_path = tempfile.mkstemp(prefix="patapata_e2e_err_")
        self.err_file = os.fdopen(fd, "wb")
        full_env = dict(os.environ, DISPLAY=xserver.name)
        full_env.update(env or {})
        try:
            self.proc = subprocess.Popen([self.exe], stdout=subprocess.DEVNULL, stderr=self.err_file,
                                         env=full_env, cwd=tempfile.gettempdir(), user=uid, group=uid)
        except OSError:
            self.err_file.close()
            os.unlink(self.err_path)
            self.d.close()
            raise

    _clock_time = None

    def read_events(self):
        """Sorts what the X server sent the test since the last look."""
        while self.d.pending_events():
            e = self.d.next_event()
            if e.type == X.CreateNotify:
                info = self.d.display.info
                if e.window.id & ~info.resource_id_mask != info.resource_id_base:  # not the test's own
                    self._top_level.append(e.window.id)
            elif e.type == X.PropertyNotify:
                self._clock_time = e.time
            elif e.type == X.ClientMessage and e.client_type == self.atom["WM_PROTOCOLS"]:
                if e.data[1][0] == self.atom["_NET_WM_PING"]:
                    self.pongs.add(e.data[1][1])
            elif e.type == X.ClientMessage and e.client_type == self.atom["_NET_ACTIVE_WINDOW"]:
                self.activations.append((e.window.id, e.data[1][1]))
            elif e.type == self.damage_event:
                a = e.area
                self.damage.append((e.timestamp, a.x, a.y, a.width, a.height))

    # Windows.

    def windows(self):
        """The program's shown top-level windows. Each is found from the
        moment it was made (a CreateNotify on the root), so a window manager
        that puts it in a frame of its own, and lists it only after it shows,
        hides none of them."""
        self.read_events()
        found = []
        for wid in list(self._top_level):
            xw = self.d.create_resource_object("window", wid)
            try:
                # Mapped is not yet shown: fluxbox maps a window in its frame
                # before the frame, and its pixels can't be read meanwhile.
                if xw.get_attributes().map_state != X.IsViewable:
                    continue
                if wid not in self._ours:
                    pid = xw.get_full_property(self.atom["_NET_WM_PID"], X.AnyPropertyType)
                    if not pid or pid.value[0] != self.proc.pid:
                        # Shown without the program's pid: someone else's for good.
                        self._top_level.remove(wid)
                        continue
                    self._ours.add(wid)
                name = xw.get_full_property(self.atom["_NET_WM_NAME"], self.atom["UTF8_STRING"])
                caption = name.value.decode("utf-8") if name else ""
                g = xw.get_geometry()
                pos = self.root.translate_coords(xw, 0, 0)
                ext = xw.get_full_property(self.atom["_NET_FRAME_EXTENTS"], X.AnyPropertyType)
                extents = tuple(ext.value) if ext and len(ext.value) == 4 else (0, 0, 0, 0)
                found.append(Win(xw, caption, pos.x, pos.y, g.width, g.height, extents))
            except error.XError:
                self._top_level.remove(wid)  # gone
        return found

    def window(self, size):
        for w in self.windows():
            if w.size == size:
                return w
        return None

    def message_box(self):
        for w in self.windows():
            if w.size not in (TITLE_SIZE, GAME_SIZE):
                return w
        return None

    def wait_window(self, size, timeout=10):
        return wait_for(f"a {size[0]}x{size[1]} window", lambda: self.window(size), timeout)

    def wait_box(self, timeout=5):
        return wait_for("the message box", self.message_box, timeout)

    # Looking.

    def shot(self, win, w=None, h=None):
        """The window's pixels, or those of its top left w x h corner."""
        w, h = w or win.w, h or win.h
        img = win.xw.get_image(0, 0, w, h, X.ZPixmap, 0xFFFFFFFF)
        return Shot(w, h, img.data, len(img.data) // h)

    def shows(self, win, name, left, top):
        try:
            return self.shot(win).shows(self.folder, name, left, top)
        except error.XError:
            return False  # the window went away

    def wait_picture(self, size, name, left, top, timeout=10):
        def probe():
            w = self.window(size)
            return w if w and self.shows(w, name, left, top) else None
        return wait_for(f"{name} at {left},{top}", probe, timeout)

    def cursor_stone(self):
        """The stone the pointer shows (BLACK or WHITE), or None for any
        other cursor."""
        img = self.d.xfixes_get_cursor_image(self.root)
        if (img.width, img.height) != (32, 32):
            return None
        opaque = [p for p in img.cursor_image if p >> 24 == 0xFF]
        if not opaque:
            return None
        light = sum(((p >> 16) & 255) + ((p >> 8) & 255) + (p & 255) for p in opaque) / (3 * len(opaque))
        return WHITE if light > 150 else BLACK

    # Real input.

    def move(self, win, x, y):
        xtest.fake_input(self.d, X.MotionNotify, x=win.x + x, y=win.y + y)
        self.d.sync()
        self._over = win

    _over = None  # the program's window the pointer was last moved onto

    def button(self, down, paced=True):
        """Presses or lets go of the left button where the pointer is.

        Under a window manager a press on a client is first taken by a grab
        of the manager's (to focus and raise the window) and handed on a
        moment later; meanwhile the pointer is frozen, and a motion sent in
        that moment can move the press, or the release after it, to where
        the pointer went next. A user's hand is slower than that; a paced
        press waits until the program has it: SDL marks the window with the
        press's time (_NET_WM_USER_TIME) as it reads it."""
        win = self._over if down and paced and self.wm else None
        before = self.user_time(win) if win else 0
        if win:
            self._wait_server_time_past(before)  # else the two times could be one
        xtest.fake_input(self.d, X.ButtonPress if down else X.ButtonRelease, 1)
        self.d.sync()
        if win:
            wait_for("the press to reach the program", lambda: self.user_time(win) > before, 5,
                     every=0.002)

    def user_time(self, win):
        """The time of the last press or key the program read on the window."""
        try:
            prop = win.xw.get_full_property(self.atom["_NET_WM_USER_TIME"], X.AnyPropertyType)
        except error.XError:
            return 0
        return prop.value[0] if prop else 0

    def server_time(self):
        """The X server's clock now, in ms: the time of a property change."""
        if not hasattr(self, "_clock"):
            self._clock = self.root.create_window(-10, -10, 1, 1, 0, 0, X.InputOnly,
                                                  event_mask=X.PropertyChangeMask)
        self._clock_time = None
        self._clock.change_property(self.atom["_NET_WM_USER_TIME"], Xatom.CARDINAL, 32, [0])
        self.d.sync()
        return wait_for("the server's time", lambda: self.read_events() or self._clock_time, 5,
                        every=0.001)

    def _wait_server_time_past(self, t):
        while self.server_time() <= t:
            time.sleep(0.001)

    def click(self, win, x, y):
        self.move(win, x, y)
        self.button(True)
        self.button(False)

    def key(self, name):
        code = self.d.keysym_to_keycode(XK.string_to_keysym(name))
        xtest.fake_input(self.d, X.KeyPress, code)
        xtest.fake_input(self.d, X.KeyRelease, code)
        self.d.sync()

    def dismiss_box(self, box):
        """Return, once the box has the keyboard: with no window manager SDL
        gives a window the focus only after it shows, and a key that comes
        before is lost."""
        def focused():
            try:
                focus = self.d.get_input_focus().focus
                return getattr(focus, "id", focus) == box.xw.id
            except error.XError:
                return False
        try:
            wait_for("the box to take the keyboard", focused, 2, every=0.01)
        except Failure:
            pass  # gone meanwhile, or answered by other input
        self.key("Return")

    def dismiss_boxes(self, timeout=10):
        """Answers message boxes until none is left once the program has
        caught up with the answers."""
        def none_left():
            self.settle()
            box = self.message_box()
            if box:
                self.dismiss_box(box)
            return box is None
        wait_for("the message boxes to go", none_left, timeout, every=0.05)

    def settle(self, timeout=10):
        """Returns once the program has handled every event sent to it
        before the call, and has brought its windows and message box up to
        date since.

        First, no press may still be held elsewhere: under a window manager
        a press on a client is taken by the manager's grab and handed on a
        moment later, after anything the test sends meanwhile. The test's
        own grab of the pointer, refused while another client holds one,
        succeeds only once every press and release has gone through.

        Then a mark of the test's own is drawn into a corner of one of the
        program's windows, and the program is sent an Expose for it. The
        Expose reaches the program behind every event it was sent before,
        and the mark goes only once the program has handled all of them and
        drawn its window anew. The mark is drawn into the window itself,
        not shown over it, so a compositing manager, which keeps each
        window's pixels apart and repaints the screen from them, cannot
        take it away. (A ping proves less: SDL answers it while it reads the
        events, before the program has acted on them.) It is done twice: a
        window that has only just shown may draw its corner the first time
        for a reason of its own, its first frame."""
        until = time.monotonic() + timeout
        self._wait_pointer_free(until)
        while True:
            check(self.alive(), f"the program ended (status {self.proc.returncode}) before it settled")
            check(time.monotonic() < until, f"the program did not settle within {timeout} s")
            win = next((w for w in self.windows() if w.size in (TITLE_SIZE, GAME_SIZE)), None)
            if win is None:  # between one window going and the other showing
                time.sleep(0.01)
                continue
            try:
                if self._redrawn_after_mark(win, until) and self._redrawn_after_mark(win, until):
                    return
            except error.XError:
                pass  # the window went away meanwhile: try the one there is now

    def expect_unsettled(self, why, timeout=2):
        """settle() must keep waiting, for the reason given, until it times out."""
        try:
            self.settle(timeout)
        except Failure:
            return
        raise Failure(f"settle() returned with {why}")

    def _wait_pointer_free(self, until):
        while True:
            status = self.root.grab_pointer(False, 0, X.GrabModeAsync, X.GrabModeAsync,
                                            X.NONE, X.NONE, X.CurrentTime)
            if status == X.GrabSuccess:
                self.d.ungrab_pointer(X.CurrentTime)
                self.d.sync()
                return
            check(time.monotonic() < until, "a press was still held by another client at the timeout")
            time.sleep(0.005)

    def _redrawn_after_mark(self, win, until):
        n = 8

        def corner():
            s = self.shot(win, n, n)
            return {s.at(x, y) for y in range(n) for x in range(n)}
        colour = next(c for c in ((255, 0, 255), (0, 255, 255), (18, 52, 86)) if c not in corner())
        pixel = colour[0] << 16 | colour[1] << 8 | colour[2]
        if win.xw.get_geometry().depth == 32:
            pixel |= 0xFF000000  # opaque in an ARGB window too
        gc = win.xw.create_gc(foreground=pixel, subwindow_mode=X.ClipByChildren)
        win.xw.fill_rectangle(gc, 0, 0, n, n)
        gc.free()
        self.d.sync()
        if corner() != {colour}:
            return False  # not drawn (covered, say): look again
        win.xw.send_event(event.Expose(window=win.xw, x=0, y=0, width=n, height=n, count=0),
                          event_mask=X.NoEventMask)
        self.d.sync()
        while time.monotonic() < until:
            if win.xw.get_attributes().map_state != X.IsViewable:
                return False
            if corner() != {colour}:
                return True
            time.sleep(0.005)
        return False

    def close(self, win):
        """The window manager's close button: a WM_DELETE_WINDOW request."""
        ev = event.ClientMessage(window=win.xw, client_type=self.atom["WM_PROTOCOLS"],
                                 data=(32, [self.atom["WM_DELETE_WINDOW"], X.CurrentTime, 0, 0, 0]))
        win.xw.send_event(ev, event_mask=X.NoEventMask)
        self.d.sync()

    def ping(self, win, timeout=5):
        """True when the program's event loop answers _NET_WM_PING in time:
        it is alive and reading its events. It says nothing of whether the
        program has acted on them yet (see settle)."""
        stamp = random.randrange(1, 1 << 31)
        ping = self.atom["_NET_WM_PING"]
        ev = event.ClientMessage(window=win.xw, client_type=self.atom["WM_PROTOCOLS"],
                                 data=(32, [ping, stamp, win.xw.id, 0, 0]))
        win.xw.send_event(ev, event_mask=X.NoEventMask)
        self.d.sync()
        until = time.monotonic() + timeout
        while time.monotonic() < until:
            self.read_events()
            if stamp in self.pongs:
                return True
            time.sleep(0.01)
        return False

    # The process.

    def alive(self):
        return self.proc.poll() is None

    def wait_exit(self, timeout=10):
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            raise Failure(f"the program did not end within {timeout} s")

    def stderr(self):
        self.err_file.flush()
        with open(self.err_path, "rb") as f:
            return f.read().decode("utf-8", "replace")

    def close_and_expect_exit(self, win, timeout=10):
        self.close(win)
        status = self.wait_exit(timeout)
        check(status == 0, f"exit status {status} after the close; stderr:\n{self.stderr()}")

    def __enter__(self):
        return self

    def __exit__(self, exc_type, *_):
        if exc_type:
            state = "still running" if self.alive() else f"ended with status {self.proc.returncode}"
            log(f"the program is {state}; its stderr:\n{self.stderr()[:6000]}")
            # What the screen showed, for the one who reads the failure.
            shot = os.path.join(tempfile.gettempdir(), f"patapata_e2e_failed_{os.getpid()}.png")
            if subprocess.run(["import", "-window", "root", shot], env=dict(os.environ, DISPLAY=self.display_name),
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0:
                log(f"the screen then: {shot}")
        self.finish()

    def finish(self):
        """Ends a run that is still going (after a failure) and cleans up."""
        if self.alive():
            self.proc.kill()
            self.proc.wait()
        self.err_file.close()
        os.unlink(self.err_path)
        self.d.close()


# The road through the windows.

def open_menu(p):
    t = p.wait_window(TITLE_SIZE)
    p.click(t, 100, 100)  # a press anywhere on the title
    return p.wait_picture(TITLE_SIZE, "menu2", *MENU_AT, timeout=5)


def choose_cat(p):
    """Menu line 0: the splash, then the game window with the janken panel."""
    t = p.window(TITLE_SIZE)
    p.click(t, *centre(MENU_LINES[0]))
    p.wait_picture(TITLE_SIZE, "splash_0", 0, 0, timeout=5)
    return wait_janken(p)


def wait_janken(p, timeout=10):
    def probe():
        g = p.window(GAME_SIZE)
        if not g:
            return None
        s = p.shot(g)
        return g if all(s.shows(p.folder, f"jya_user_{i}", *HANDS[i][:2]) for i in range(3)) else None
    return wait_for("the janken panel", probe, timeout)


def pick_hand(p, g, hand):
    """Clicks a hand; returns the colour the janken gave the user."""
    p.click(g, *centre(HANDS[hand]))

    def probe():
        s = p.shot(g)
        for colour, name in ((BLACK, "stone_black"), (WHITE, "stone_white")):
            if s.shows(p.folder, name, *ICO_AT):
                return colour
        return None
    return wait_for("the janken result", probe, timeout=5)


def read_board(p, shot, cells=range(64)):
    """{cell: stone} from the pixels; None for a cell showing something else
    (a banner, the janken panel)."""
    board = {}
    for k in cells:
        x, y = cell_xy(k)
        if shot.shows(p.folder, "stone_black", x, y):
            board[k] = BLACK
        elif shot.shows(p.folder, "stone_white", x, y):
            board[k] = WHITE
        else:
            r, g, b = shot.mean(x + 12, y + 12, 8, 8)
            near = abs(r - BOARD_BG[0]) + abs(g - BOARD_BG[1]) + abs(b - BOARD_BG[2]) < 30
            board[k] = EMPTY if near else None
    return board


def flips(board, k, colour):
    """The stones a move of colour at k would turn."""
    if board[k] != EMPTY:
        return []
    other = BLACK + WHITE - colour
    x0, y0 = k % 8, k // 8
    turned = []
    for dx in (-1, 0, 1):
        for dy in (-1, 0, 1):
            run, x, y = [], x0 + dx, y0 + dy
            while (dx or dy) and 0 <= x < 8 and 0 <= y < 8 and board[x + 8 * y] == other:
                run.append(x + 8 * y)
                x, y = x + dx, y + dy
            if run and 0 <= x < 8 and 0 <= y < 8 and board[x + 8 * y] == colour:
                turned += run
    return turned


def legal_cells(board, colour):
    return [k for k in range(64) if flips(board, k, colour)]


def board_on_users_turn(p, g, user):
    """The board while the user's stone is the board's cursor (the user's
    turn), or None. The cursor is read before and after the screenshot: one
    look proves nothing of the other, and the janken hand the user clicked
    shows a white stone too, up to the moment the panel closes on a board
    not yet laid."""
    if p.cursor_stone() != user:
        return None
    board = read_board(p, p.shot(g))
    if None in board.values() or count(board, EMPTY) > 60 or p.cursor_stone() != user:
        return None
    return board


def wait_users_turn(p, g, user, timeout=15):
    """Waits for the user's turn, dismissing message boxes; returns the
    board then."""
    def probe():
        box = p.message_box()
        if box:
            p.dismiss_box(box)
            p.move(g, *cell_centre(0))
            return None
        return board_on_users_turn(p, g, user)
    return wait_for("the user's turn", probe, timeout)


def to_a_refused_cell(p):
    """Menu, the cat, rock, the user's first turn: returns the game window,
    the user's colour and an empty cell that turns nothing, where a click is
    refused with the message box."""
    open_menu(p)
    g = choose_cat(p)
    user = pick_hand(p, g, 0)
    board = wait_users_turn(p, g, user)
    refused = next(k for k in range(64) if board[k] == EMPTY and not flips(board, k, user))
    return g, user, refused


def finished(p, g):
    """The result banner's name once the game is over and the way back shows."""
    s = p.shot(g)
    if not s.shows(p.folder, "tit_button", *TIT_AT):
        return None
    for name in BANNERS:
        if s.shows(p.folder, name, *BANNER_AT):
            return name
    return None


def play_game(p, g, user, rng, timeout=300):
    """Plays the user's side with random legal moves until the result shows.
    Returns (banner, last whole board seen, message boxes met)."""
    until = time.monotonic() + timeout
    last_board, boxes, moves = None, 0, 0
    p.move(g, *cell_centre(0))  # the cursor is read over the board
    while True:
        check(time.monotonic() < until, f"the game did not end within {timeout} s")
        check(p.alive(), "the program ended during the game")
        if p.message_box():
            # The picture lagged the model: the cell was refused.
            boxes += 1
            p.dismiss_boxes()
            p.move(g, *cell_centre(0))
            continue
        banner = finished(p, g)
        if banner:
            return banner, last_board, boxes
        board = read_board(p, p.shot(g))
        if None in board.values():
            time.sleep(0.05)
            continue
        last_board = board
        board = board_on_users_turn(p, g, user)
        if not board:
            time.sleep(0.05)
            continue
        legal = legal_cells(board, user)
        if not legal:
            time.sleep(0.05)
            continue
        k = rng.choice(legal)
        moves += 1
        p.click(g, *cell_centre(k))

        def placed():
            if p.message_box():
                return True
            return read_board(p, p.shot(g), [k])[k] == user
        wait_for(f"move {moves} at cell {k} to show", placed, 5)


def count(board, colour):
    return sum(1 for v in board.values() if v == colour)


def program_copy(exe):
    """The program with its pictures and media, copied to a fresh folder."""
    src = os.path.dirname(os.path.abspath(exe))
    dst = tempfile.mkdtemp(prefix="patapata_e2e_")
    shutil.copy2(exe, dst)
    shutil.copytree(os.path.join(src, "pictures"), os.path.join(dst, "pictures"))
    for m in MEDIA:
        shutil.copy2(os.path.join(src, m), dst)
    return os.path.join(dst, os.path.basename(exe))


def run_case(cases, argv):
    """Usage: <test>.py PROGRAM CASE. Runs the case on a private X server,
    exit status 0 when it passes."""
    exe, name = argv[1], argv[2]
    xs = XServer()
    t0 = time.monotonic()
    try:
        cases[name](exe, xs)
        log(f"ok {name} ({time.monotonic() - t0:.1f} s)")
        status = 0
    except Failure as e:
        log(f"FAILED {name} after {time.monotonic() - t0:.1f} s: {e}")
        status = 1
    finally:
        xs.stop()
    sys.exit(status)
