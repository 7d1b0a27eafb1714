"""Window managers at their edges: one that has died and left its word on
the root behind, and one that makes a window larger than its fixed size.
(One that never answers the request for a frame's size ahead is
wm_test.py's placement under fluxbox.)"""

import sys

from harness import *

PLAIN = (0xF0, 0xF0, 0xF0)  # the forms' colour where they have no picture
WHITE_RGB = (0xFF, 0xFF, 0xFF)  # the box's body
LOUD = (0xFF, 0x00, 0xFF)  # the screen behind the windows: what must not show through


def dead_manager(exe, xs):
    """A window manager killed leaves _NET_SUPPORTED on the root, with
    _NET_REQUEST_FRAME_EXTENTS in it, and _NET_SUPPORTING_WM_CHECK naming a
    window that is gone. The program asks nobody for a frame's size then (it
    would wait 200 ms for an answer that can't come, the event loop
    stopped): no such request reaches the root. How long the box took, by
    the X server's clock, is logged."""
    check(not xs.wm, "this test starts a window manager of its own: run it without E2E_WM")
    xs.wm = "openbox"
    xs._start_wm()
    # Connected before the manager goes: Xvfb starts afresh, the root's
    # properties gone, when its last client leaves.
    watch = display.Display(xs.name)
    try:
        xs.wm_proc.kill()  # no time to tidy up after itself
        xs.wm_proc.wait()
        xs.wm = None  # a bare server from here on
        root = watch.screen().root
        request = watch.intern_atom("_NET_REQUEST_FRAME_EXTENTS")
        supported = root.get_full_property(watch.intern_atom("_NET_SUPPORTED"), Xatom.ATOM)
        check(supported is not None and request in supported.value,
              "the dead manager's _NET_SUPPORTED is gone: nothing is left to mislead the program")
        named = root.get_full_property(watch.intern_atom("_NET_SUPPORTING_WM_CHECK"), Xatom.WINDOW)
        check(named is not None, "the dead manager's _NET_SUPPORTING_WM_CHECK is gone")
        try:
            watch.create_resource_object("window", named.value[0]).get_geometry()
            raise Failure("the dead manager's check window is still there")
        except error.XError:
            pass  # gone, as it should be for this test
        # The program's requests to a manager are sent to the root for
        # every client that selects SubstructureNotify there.
        root.change_attributes(event_mask=X.SubstructureNotifyMask)
        watch.sync()

        with Program(exe, xs, watch_damage=True) as p:
            _, user, refused = to_a_refused_cell(p)
            g = p.window(GAME_SIZE)
            p.click(g, *cell_centre(refused))
            box = p.wait_box()
            pressed = p.user_time(g)
            check(pressed != 0, "the press on the board left no user time")

            def drawn():
                p.read_events()
                return [ms for ms, x, y, w, h in p.damage
                        if ms >= pressed and box.x <= x and x + w <= box.x + box.w
                        and box.y <= y and y + h <= box.y + box.h]
            first = wait_for("the box to be drawn", drawn, 5)[0]
            log(f"the box was drawn {first - pressed} ms after the press")
            p.dismiss_boxes()
            p.close_and_expect_exit(g)
            check(p.stderr() == "", f"stderr:\n{p.stderr()}")

        asked = 0
        while watch.pending_events():
            e = watch.next_event()
            asked += e.type == X.ClientMessage and e.client_type == request
        check(asked == 0, f"the program asked the dead manager for a frame's size {asked} times")
    finally:
        watch.close()


def paint_screen(p, rgb):
    """The root window in one colour: what shows where nobody draws."""
    p.root.change_attributes(background_pixel=rgb[0] << 16 | rgb[1] << 8 | rgb[2])
    p.root.clear_area()
    p.d.sync()


def now_of(p, win):
    """The window as it is now: its size and place may have changed."""
    return next((w for w in p.windows() if w.xw.id == win.xw.id), None)


def enlarge(p, win, width, height, back=False):
    """Makes the window larger, as a manager may: under one, by asking it to
    maximise the window (fluxbox does, fixed size or not); on a bare server,
    by resizing it from here, which the program learns of as it would from
    a manager. back: the size it had, at the place it had."""
    if p.wm:
        state = p.d.intern_atom("_NET_WM_STATE")
        both = [p.d.intern_atom("_NET_WM_STATE_MAXIMIZED_VERT"), p.d.intern_atom("_NET_WM_STATE_MAXIMIZED_HORZ")]
        ev = event.ClientMessage(window=win.xw, client_type=state, data=(32, [0 if back else 1] + both + [1, 0]))
        p.root.send_event(ev, event_mask=X.SubstructureRedirectMask | X.SubstructureNotifyMask)
    elif back:
        win.xw.configure(x=win.x, y=win.y, width=width, height=height)
    else:
        win.xw.configure(x=0, y=0, width=width, height=height)
    p.d.sync()


def not_plain(p, win, width, height, plain):
    """A sample of the window's pixels past its first width x height that
    show something other than the plain colours."""
    s = p.shot(win)
    bad = []
    for y in range(0, s.h, 5):
        for x in range(0 if y >= height else width, s.w, 5):
            if s.at(x, y) not in plain:
                bad.append((x, y, s.at(x, y)))
    return bad


def wait_plain(p, what, win, width, height, plain):
    """Waits for the window past its first width x height to show only the
    plain colours; fails telling what it shows instead."""
    seen = []

    def probe():
        seen[:] = not_plain(p, win, width, height, plain)
        return not seen
    try:
        wait_for(f"{what} past {width}x{height} to be plain", probe, 5)
    except Failure:
        raise Failure(f"{what}, enlarged to {win.w}x{win.h}, shows past {width}x{height} "
                      f"{len(seen)} sampled pixels not in the plain colours, e.g. {seen[:3]}")


def enlarged(exe, xs):
    """A window made larger than its fixed size (fluxbox maximises one on
    request) shows the form's plain colour past the form, not what the
    screen had there, and a press out there does nothing: on the title
    window it doesn't open the menu, as a press on the form does. The box,
    made larger, shows its own plain colours past its contents."""
    with Program(exe, xs) as p:
        paint_screen(p, LOUD)
        t = p.wait_window(TITLE_SIZE)
        p.settle()
        enlarge(p, t, 1280, 985)
        big = wait_for("the title window to grow",
                       lambda: (lambda w: w if w and w.w > TITLE_SIZE[0] and w.h > TITLE_SIZE[1] else None)(
                           now_of(p, t)), 5)
        wait_plain(p, "the title window", big, *TITLE_SIZE, {PLAIN})

        p.click(big, big.w - 40, big.h - 40)
        enlarge(p, big, *TITLE_SIZE, back=True)
        t = p.wait_window(TITLE_SIZE)
        p.settle()  # the press out there has been handled
        check(not p.shows(t, "menu2", *MENU_AT), "a press past the title form opened the menu")

        _, user, refused = to_a_refused_cell(p)
        g = p.window(GAME_SIZE)
        p.click(g, *cell_centre(refused))
        box = p.wait_box()
        w0, h0 = box.w, box.h
        enlarge(p, box, w0 + 200, h0 + 150)
        big = wait_for("the box to grow",
                       lambda: (lambda w: w if w and w.w > w0 and w.h > h0 else None)(now_of(p, box)), 5)
        wait_plain(p, "the box", big, w0, h0, {PLAIN, WHITE_RGB})
        enlarge(p, big, w0, h0, back=True)  # else it hides the game window settle() looks at
        wait_for("the box to shrink", lambda: (lambda w: w and w.size == (w0, h0))(now_of(p, box)), 5)
        p.dismiss_boxes()
        p.close_and_expect_exit(p.window(GAME_SIZE))
        check(p.stderr() == "", f"stderr:\n{p.stderr()}")


if __name__ == "__main__":
    run_case({f.__name__: f for f in (dead_manager, enlarged)}, sys.argv)
