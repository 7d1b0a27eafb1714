"""What the screen shows of the program's windows is what the windows hold.

A watcher compares, every 0.1 s through a whole game, the screen (the root
window as the X server shows it: under a compositing manager, what the
compositor painted) with the program's windows' own pixels (GetImage on each
client window). A place where they differ for longer than STALE_BOUND fails
the test: the user would be looking at a stale picture there. So does a
place of a 32-bit window whose pixels stay less than opaque: a compositor
shows what lies behind through them. Places covered by another window (a
frame, the message box) are left out.

Under metacity the test checks first that its compositor runs (it owns the
_NET_WM_CM_S<screen> selection), rather than pass without one. E2E_COMPOSITOR
names a compositing manager to run beside the window manager (picom, say):
it must own the selection too."""

import random
import subprocess
import sys
import threading
import time

from harness import *

STALE_BOUND = 0.5  # s a place may show something else than the window holds
PERIOD = 0.1  # s between two looks
TILE = 16  # the places compared, in pixels
COVER_MARGIN = 8  # px around another window that may show its edge or shadow
MAX_GAP = 0.3  # s between two looks for a difference to count as lasting
COMPOSITING = ("metacity",)  # window managers that composite as installed


def compositor_owner(d):
    """The id of the window holding the compositing manager's selection, or 0."""
    owner = d.get_selection_owner(d.intern_atom(f"_NET_WM_CM_S{d.get_default_screen()}"))
    return getattr(owner, "id", owner) or 0


def wait_compositor(xs, what, timeout=20):
    d = display.Display(xs.name)
    try:
        owner = wait_for(f"{what} to own _NET_WM_CM_S0 (its compositor is off?): this test would prove "
                         "nothing without one", lambda: compositor_owner(d), timeout)
    finally:
        d.close()
    log(f"compositor: _NET_WM_CM_S0 is held by {owner:#x} ({what})")


def start_compositor(xs):
    """The compositing manager E2E_COMPOSITOR names, on the test's server, or None."""
    name = os.environ.get("E2E_COMPOSITOR")
    if not name:
        return None
    proc = subprocess.Popen([name], env=dict(os.environ, DISPLAY=xs.name),
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        wait_compositor(xs, name)
    except Failure:
        proc.kill()
        proc.wait()
        raise
    return proc


def planes(img, w, h):
    """The rows of a ZPixmap image with 4 bytes a pixel (depth 24 or 32),
    each as (blue, green and red planes one after the other, alpha plane)."""
    bpl = len(img.data) // h
    data = img.data
    rows = []
    for y in range(h):
        row = data[y * bpl:y * bpl + 4 * w]
        rows.append((row[0::4] + row[1::4] + row[2::4], row[3::4]))
    return rows


class ScreenWatch(threading.Thread):
    """Compares the screen with the program's windows until stopped.
    report(): the places that stayed different longer than STALE_BOUND;
    looks, compared, gaps: how often it looked, how often it compared a
    window, and how often two looks were too far apart to say anything."""

    def __init__(self, display_name, pid):
        super().__init__(daemon=True)
        self.d = display.Display(display_name)
        self.root = self.d.screen().root
        self.screen_size = (self.d.screen().width_in_pixels, self.d.screen().height_in_pixels)
        self.pid = pid
        self.pid_atom = self.d.intern_atom("_NET_WM_PID")
        self.stop_event = threading.Event()
        self.looks = self.compared = self.gaps = 0
        self.depths = set()  # of the windows compared
        self.error = None
        self.t0 = time.monotonic()
        self.worst = None  # (seconds, description) of the longest difference seen
        self._since = {}  # (window id, x, y) -> when the place was first seen different
        self._stale = {}  # (window id, x, y) -> (first seen, how long, why) of the lasting ones
        self._last_look = None

    def stop(self):
        self.stop_event.set()
        self.join(30)
        self.d.close()

    def run(self):
        try:
            while not self.stop_event.is_set():
                started = time.monotonic()
                self.look()
                self.stop_event.wait(max(0.0, PERIOD - (time.monotonic() - started)))
        except Exception as e:  # noqa: BLE001 - reported by the test
            self.error = f"{type(e).__name__}: {e}"

    def _client_in(self, win, depth=0):
        """The program's window in a top-level window: itself, or a child of
        the frame a window manager put it in."""
        pid = win.get_full_property(self.pid_atom, X.AnyPropertyType)
        if pid and pid.value[0] == self.pid:
            return win
        if depth >= 2:
            return None
        for child in win.query_tree().children:
            found = self._client_in(child, depth + 1)
            if found:
                return found
        return None

    def _windows(self):
        """[(client, x, y, w, h, depth, [rectangles above it])], root coordinates."""
        tops = []
        for top in self.root.query_tree().children:  # bottom to top
            try:
                if top.get_attributes().map_state != X.IsViewable:
                    continue
                g = top.get_geometry()
                tops.append((top, (g.x, g.y, g.width + 2 * g.border_width, g.height + 2 * g.border_width)))
            except error.XError:
                continue
        found = []
        for i, (top, _) in enumerate(tops):
            try:
                client = self._client_in(top)
                if client is None or client.get_attributes().map_state != X.IsViewable:
                    continue
                g = client.get_geometry()
                pos = self.root.translate_coords(client, 0, 0)
            except error.XError:
                continue
            found.append((client, pos.x, pos.y, g.width, g.height, g.depth, [r for _, r in tops[i + 1:]]))
        return found

    def look(self):
        now = time.monotonic()
        if self._last_look is not None and now - self._last_look > MAX_GAP:
            self.gaps += 1  # too long since the last look to call a difference lasting
            self._since.clear()
        self._last_look = now
        self.looks += 1
        differing = set()
        for client, x, y, w, h, depth, above in self._windows():
            x0, y0 = max(x, 0), max(y, 0)  # the part of the window on the screen
            x1, y1 = min(x + w, self.screen_size[0]), min(y + h, self.screen_size[1])
            if x1 <= x0 or y1 <= y0:
                continue
            ww, hh = x1 - x0, y1 - y0
            try:
                # The window's pixels before and after the screen's: a place the
                # program drew in meanwhile proves nothing this time.
                own = client.get_image(x0 - x, y0 - y, ww, hh, X.ZPixmap, 0xFFFFFFFF)
                seen = self.root.get_image(x0, y0, ww, hh, X.ZPixmap, 0xFFFFFFFF)
                again = client.get_image(x0 - x, y0 - y, ww, hh, X.ZPixmap, 0xFFFFFFFF)
            except error.XError:
                continue  # gone meanwhile
            check(len(own.data) == len(seen.data) == len(again.data),
                  f"window {client.id:#x} and the screen read back in different layouts")
            self.compared += 1
            self.depths.add(depth)
            opaque = b"\xff" * ww
            own_rows, seen_rows, again_rows = (planes(i, ww, hh) for i in (own, seen, again))
            tiles = {}  # (x, y) -> (differs, changed meanwhile, why)
            for yy in range(hh):
                (o, oa), (s, _), (g, _) = own_rows[yy], seen_rows[yy], again_rows[yy]
                clear = depth == 32 and oa != opaque
                if o == s and o == g and not clear:
                    continue
                for tx in range(0, ww, TILE):
                    tw = min(TILE, ww - tx)
                    spans = [(plane * ww + tx, plane * ww + tx + tw) for plane in range(3)]
                    why = None
                    if any(o[a:b] != s[a:b] for a, b in spans):
                        why = "the screen shows something else"
                    elif clear and oa[tx:tx + tw] != opaque[:tw]:
                        why = "pixels of the 32-bit window are not opaque"
                    changed = any(o[a:b] != g[a:b] for a, b in spans)
                    if why or changed:
                        key = (tx, yy - yy % TILE)
                        d0, c0, w0 = tiles.get(key, (False, False, None))
                        tiles[key] = (d0 or bool(why), c0 or changed, w0 or why)
            for (tx, ty), (differs, changed, why) in tiles.items():
                if not differs:
                    continue
                rx, ry = x0 + tx, y0 + ty
                tw, th = min(TILE, ww - tx), min(TILE, hh - ty)
                if any(rx < ax + aw + COVER_MARGIN and ax - COVER_MARGIN < rx + tw and
                       ry < ay + ah + COVER_MARGIN and ay - COVER_MARGIN < ry + th
                       for ax, ay, aw, ah in above):
                    continue  # another window covers it
                key = (client.id, rx - x, ry - y)
                differing.add(key)
                if changed:
                    continue
                first = self._since.setdefault(key, now)
                lasted = now - first
                if self.worst is None or lasted > self.worst[0]:
                    self.worst = (lasted, f"window {client.id:#x} at {key[1]},{key[2]}: {why}")
                if lasted > STALE_BOUND:
                    self._stale[(key, first)] = (first - self.t0, lasted, why)
        for key in list(self._since):
            if key not in differing:
                del self._since[key]

    def report(self):
        """[(window id, x, y, first seen, how long, why)], longest first."""
        return sorted(((k[0], k[1], k[2], first, lasted, why)
                       for (k, _), (first, lasted, why) in self._stale.items()), key=lambda r: -r[4])


def check_watch(w, lasting):
    """Stops the watcher; fails on any place that stayed stale, or when the
    watcher looked too seldom to tell."""
    w.stop()
    check(w.error is None, f"the screen watcher failed: {w.error}")
    worst = f"{w.worst[0]:.2f} s ({w.worst[1]})" if w.worst else "none"
    log(f"screen watch: {w.looks} looks, {w.compared} window comparisons (window depths "
        f"{sorted(w.depths)}), {w.gaps} gaps over {MAX_GAP} s; longest difference {worst}")
    check(w.compared >= lasting / PERIOD / 4,
          f"the watcher compared only {w.compared} times in {lasting:.0f} s: it proves nothing")
    check(w.gaps <= max(3, w.looks // 2), f"the watcher was held up {w.gaps} times in {w.looks} looks")
    places = w.report()
    if places:
        lines = [f"  window {wid:#x}, {TILE}x{TILE} at {x},{y}: from {when:.1f} s for {s:.1f} s: {why}"
                 for wid, x, y, when, s, why in places[:12]]
        raise Failure(f"the screen showed something else than the window for over {STALE_BOUND} s "
                      f"in {len(places)} place(s), longest first:\n" + "\n".join(lines))


def whole_game(exe, xs):
    """Title, menu, splash, janken, the refusal box held a moment, a whole
    game against the cat, the result held a while, back to the title: the
    screen keeps up with the windows all along."""
    seed = int(os.environ.get("E2E_SEED", time.time_ns() % 1000000))
    log(f"seed {seed} (E2E_SEED={seed} repeats the user's moves)")
    rng = random.Random(seed)
    hold = 3 * STALE_BOUND + 1  # s a picture is left on the screen
    if xs.wm in COMPOSITING:
        wait_compositor(xs, xs.wm)
    compositor = start_compositor(xs)
    try:
        with Program(exe, xs) as p:
            w = ScreenWatch(p.display_name, p.proc.pid)
            w.start()
            started = time.monotonic()
            try:
                t = p.wait_window(TITLE_SIZE)
                p.wait_picture(TITLE_SIZE, "title_bg", 0, 0, timeout=5)
                open_menu(p)
                g = choose_cat(p)
                user = pick_hand(p, g, rng.randrange(3))
                # A window shown over the game and taken away again.
                board = wait_users_turn(p, g, user)
                refused = next(k for k in range(64) if board[k] == EMPTY and not flips(board, k, user))
                p.click(g, *cell_centre(refused))
                p.wait_box()
                time.sleep(hold)
                p.dismiss_boxes()
                banner, _, boxes = play_game(p, g, user, rng)
                log(f"result {BANNERS[banner]}, {boxes} more refusal box(es) met")
                time.sleep(hold)  # the result stays on the screen
                p.click(g, TIT_AT[0] + 83, TIT_AT[1] + 12)
                t = p.wait_window(TITLE_SIZE, timeout=5)
                p.wait_picture(TITLE_SIZE, "title_bg", 0, 0, timeout=5)
                time.sleep(hold)
            except BaseException:
                w.stop()
                raise
            check_watch(w, time.monotonic() - started)
            p.close_and_expect_exit(t, timeout=5)
            check(p.stderr() == "", f"stderr:\n{p.stderr()}")
    finally:
        if compositor:
            compositor.terminate()
            compositor.wait()


if __name__ == "__main__":
    run_case({"whole_game": whole_game}, sys.argv)
