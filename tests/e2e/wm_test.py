"""The windows as a window manager shows them (E2E_WM names the manager;
none on a bare server): where their frames go, which buttons they ask for,
that the box is the game window's modal dialog, and that each request for
the keyboard is dated with the user's click."""

import sys
import time

from harness import *

SCREEN = (1280, 1024)

# _MOTIF_WM_HINTS: flags (functions and decorations given), functions, decorations.
MOVE, MINIMIZE, CLOSE = 4, 8, 32
BORDER, TITLE, MENU, DECOR_MINIMIZE = 2, 8, 16, 32
FIXED = (3, MOVE | MINIMIZE | CLOSE, BORDER | TITLE | MENU | DECOR_MINIMIZE)
DIALOG = (3, MOVE | CLOSE, BORDER | TITLE | MENU)

# Managers that list _NET_REQUEST_FRAME_EXTENTS but never answer it: a
# frame's size shows only once the window does, and the program moves the
# window once then.
LATE_FRAMES = {"fluxbox"}
# Managers whose offer of minimise follows the Motif hints' functions.
# Openbox and icewm offer minimise for every window, dialogs included
# (openbox takes the game window along when the box is minimised); metacity
# never offers it for a window transient for another, hints or none.
MINIMISE_BY_HINTS = {"fluxbox", "metacity"}
# Where the box's own hints are what keeps minimise off it.
BOX_NOT_MINIMISED = {"fluxbox"}


def to_the_box(p):
    """The title, the game window and the refusal box, as the user meets them."""
    t = p.wait_window(TITLE_SIZE)
    g, user, refused = to_a_refused_cell(p)
    p.click(g, *cell_centre(refused))
    return t, g, p.wait_box()


def check_centred(p, what, find, centre):
    """The window find() returns has its frame centred on the point: as it
    first shows, or, under a manager that tells a frame's size only then,
    once the program has moved it."""
    def centred(win):
        cx, cy = win.frame_centre
        return abs(cx - centre[0]) <= 1 and abs(cy - centre[1]) <= 1
    if p.wm in LATE_FRAMES:
        try:
            wait_for(f"{what} to be centred", lambda: centred(find()), 3)
        except Failure:
            pass  # told below
    win = find()
    cx, cy = win.frame_centre
    check(centred(win), f"{what}: frame {win.frame} has its centre at {cx}, {cy}, not {centre[0]}, {centre[1]}")


def placement(exe, xs):
    """The title and game windows are centred on the screen, and the box on
    the game window, frame on frame: title bars included."""
    with Program(exe, xs) as p:
        p.wait_window(TITLE_SIZE)
        check_centred(p, "the title window", lambda: p.window(TITLE_SIZE), (SCREEN[0] / 2, SCREEN[1] / 2))
        open_menu(p)
        g = choose_cat(p)
        check_centred(p, "the game window", lambda: p.window(GAME_SIZE), (SCREEN[0] / 2, SCREEN[1] / 2))
        g = p.window(GAME_SIZE)
        user = pick_hand(p, g, 0)
        board = wait_users_turn(p, g, user)
        refused = next(k for k in range(64) if board[k] == EMPTY and not flips(board, k, user))
        p.click(g, *cell_centre(refused))
        p.wait_box()
        check_centred(p, "the message box", p.message_box, p.window(GAME_SIZE).frame_centre)
        p.dismiss_boxes()
        p.close_and_expect_exit(g)
        check(p.stderr() == "", f"stderr:\n{p.stderr()}")


def allowed_actions(p, win):
    prop = win.xw.get_full_property(p.d.intern_atom("_NET_WM_ALLOWED_ACTIONS"), X.AnyPropertyType)
    return {p.d.get_atom_name(a).replace("_NET_WM_ACTION_", "") for a in prop.value} if prop else None


def atom_names(p, win, name):
    prop = win.xw.get_full_property(p.d.intern_atom(name), Xatom.ATOM)
    return [p.d.get_atom_name(a) for a in prop.value] if prop else []


def buttons(exe, xs):
    """What each window asks of a window manager, and what one then offers.

    Asked: the game's windows are normal windows whose Motif hints ask for
    move, minimise and close; the box is a modal dialog (its window type,
    its state) transient for the game window, whose hints ask for move and
    close only.

    Offered, under a manager: close for both windows, and for neither
    resize or maximise (SDL's fixed size rules them out before the Motif
    hints do: this fails on a window made resizable). Under the managers in
    MINIMISE_BY_HINTS, minimise for the game window; under those in
    BOX_NOT_MINIMISED, none for the box (the program from before the hints
    fails there).

    Every fault is told, not only the first."""
    with Program(exe, xs) as p:
        title, game, box = to_the_box(p)
        problems = []

        def expect(ok, what):
            if not ok:
                problems.append(what)
        motif = p.d.intern_atom("_MOTIF_WM_HINTS")
        for what, win, want in (("title", title, FIXED), ("game", game, FIXED), ("box", box, DIALOG)):
            prop = win.xw.get_full_property(motif, motif)
            expect(prop is not None and tuple(prop.value[:3]) == want,
                   f"the {what} window asks for {prop and list(prop.value)}, not {list(want)}")
        for what, win in (("title", title), ("game", game)):
            kind = atom_names(p, win, "_NET_WM_WINDOW_TYPE")
            expect(kind == ["_NET_WM_WINDOW_TYPE_NORMAL"], f"the {what} window's type is {kind}")
        kind = atom_names(p, box, "_NET_WM_WINDOW_TYPE")
        expect(kind == ["_NET_WM_WINDOW_TYPE_DIALOG"], f"the box's type is {kind}, not a dialog")
        state = atom_names(p, box, "_NET_WM_STATE")
        expect("_NET_WM_STATE_MODAL" in state, f"the box's state {state} is not modal")
        parent = box.xw.get_wm_transient_for()
        expect(parent is not None and parent.id == game.xw.id,
               f"the box is transient for {parent and hex(parent.id)}, not the game window {hex(game.xw.id)}")

        if xs.wm:  # the title window is hidden meanwhile: the manager offers nothing for it
            offered = {what: allowed_actions(p, win) for what, win in (("game", game), ("box", box))}
            for what, actions in offered.items():
                if actions is None:
                    problems.append(f"{xs.wm} offers nothing for the {what} window")
                    continue
                for bad in ("MAXIMIZE_HORZ", "MAXIMIZE_VERT", "RESIZE"):
                    expect(bad not in actions, f"{xs.wm} offers {bad} for the {what} window: {sorted(actions)}")
                expect("CLOSE" in actions, f"{xs.wm} offers no close for the {what} window: {sorted(actions)}")
            if offered["game"] is not None and xs.wm in MINIMISE_BY_HINTS:
                expect("MINIMIZE" in offered["game"], f"{xs.wm} offers no minimise for the game window")
            if offered["box"] is not None and xs.wm in BOX_NOT_MINIMISED:
                expect("MINIMIZE" not in offered["box"],
                       f"{xs.wm} offers minimise for the box: {sorted(offered['box'])}")
        check(not problems, "\n".join(problems))
        p.dismiss_boxes()
        p.close_and_expect_exit(p.window(GAME_SIZE))


def focus_id(p):
    focus = p.d.get_input_focus().focus
    return getattr(focus, "id", focus)


def modal_focus(exe, xs):
    """While the box is up, a press on the game window's title bar leaves
    the keyboard with the box: the manager keeps it for the game window's
    modal dialog. (icewm does not; the game's own modality - any key
    answers the box, a press in the game window brings it forward - holds
    there too.)"""
    check(xs.wm, "this test needs a window manager (E2E_WM)")
    with Program(exe, xs) as p:
        _, g, box = to_the_box(p)
        wait_for("the box to take the keyboard", lambda: focus_id(p) == box.xw.id, 5, every=0.01)
        g = p.window(GAME_SIZE)
        bar = g.y - g.frame[1]
        check(bar > 4, f"{xs.wm} gave the game window no title bar: frame {g.frame}")
        # Not so soon after the press that opened the box that a manager
        # takes the two for a double click on the window (fluxbox shades it).
        opened_by = p.user_time(g)
        while p.server_time() < opened_by + 1000:
            time.sleep(0.05)
        # Left of the middle of the bar, away from its buttons and its icon.
        p.move(g, g.w // 3, -bar // 2)
        p.button(True, paced=False)
        p.button(False, paced=False)
        # The manager hands out the keyboard as it takes the press: a moment
        # is plenty for it.
        until = time.monotonic() + 1
        while time.monotonic() < until:
            check(focus_id(p) != g.xw.id, f"{xs.wm} gave the keyboard to the game window through its title bar")
            time.sleep(0.01)
        check(focus_id(p) == box.xw.id, f"the keyboard went to {hex(focus_id(p))}, not the box")
        p.dismiss_boxes()
        p.close_and_expect_exit(g)
        check(p.stderr() == "", f"stderr:\n{p.stderr()}")


def activation_time(exe, xs):
    """Every time the program asks for the box to have the keyboard, the
    request carries the time of the press that called for it: the one that
    opened the box, then one on the game window under it."""
    with Program(exe, xs) as p:
        _, g, box = to_the_box(p)
        # The press that opened the box is the game window's last user time.
        opened_by = p.user_time(g)
        check(opened_by != 0, "the game window carries no user time")

        def activation_of_box():
            p.read_events()
            return [t for w, t in p.activations if w == box.xw.id]
        times = wait_for("the box to ask for the keyboard", activation_of_box, 5)
        check(times[0] == opened_by, f"the box asked for the keyboard at {times[0]}, not {opened_by}")
        check(p.user_time(box) == opened_by, f"the box's user time is {p.user_time(box)}")

        # A press on the game window under the box brings the box forward again.
        p.click(g, 5, 5)
        p.settle()
        pressed = p.user_time(g)
        check(pressed > opened_by, "the press on the game window left no user time")
        times = wait_for("the box to ask again", lambda: (lambda ts: ts if len(ts) > 1 else None)(
            activation_of_box()), 5)
        check(times[-1] == pressed, f"the box asked again at {times[-1]}, not {pressed}")
        p.read_events()
        check(all(t != 0 for _, t in p.activations), f"a request dated 0: {p.activations}")

        p.dismiss_boxes()
        p.close_and_expect_exit(g)
        check(p.stderr() == "", f"stderr:\n{p.stderr()}")
    if xs.wm:
        complaints = [line for line in xs.wm_output().splitlines() if "patapata" in line.lower()
                      or "buggy client" in line.lower()]
        check(not complaints, f"{xs.wm} complained:\n" + "\n".join(complaints))


if __name__ == "__main__":
    run_case({f.__name__: f for f in (placement, buttons, modal_focus, activation_time)}, sys.argv)
