"""The windows as a window manager shows them (E2E_WM names the manager;
none on a bare server): where their frames go, which buttons they ask for,
and that each request for the keyboard is dated with the user's click."""

import sys

from harness import *

SCREEN = (1280, 1024)

# _MOTIF_WM_HINTS: flags (functions and decorations given), functions, decorations.
MOVE, MINIMIZE, CLOSE = 4, 8, 32
BORDER, TITLE, MENU, DECOR_MINIMIZE = 2, 8, 16, 32
FIXED = (3, MOVE | MINIMIZE | CLOSE, BORDER | TITLE | MENU | DECOR_MINIMIZE)
DIALOG = (3, MOVE | CLOSE, BORDER | TITLE | MENU)


def to_the_box(p):
    """The title, the game window and the refusal box, as the user meets them."""
    t = p.wait_window(TITLE_SIZE)
    g, user, refused = to_a_refused_cell(p)
    p.click(g, *cell_centre(refused))
    return t, g, p.wait_box()


def check_centred(what, win, centre):
    cx, cy = win.frame_centre
    check(abs(cx - centre[0]) <= 1 and abs(cy - centre[1]) <= 1,
          f"{what}: frame {win.frame} has its centre at {cx}, {cy}, not {centre[0]}, {centre[1]}")


def placement(exe, xs):
    """The title and game windows are centred on the screen, and the box on
    the game window, frame on frame: title bars included."""
    with Program(exe, xs) as p:
        t = p.wait_window(TITLE_SIZE)
        check_centred("the title window", t, (SCREEN[0] / 2, SCREEN[1] / 2))
        open_menu(p)
        g = choose_cat(p)
        check_centred("the game window", g, (SCREEN[0] / 2, SCREEN[1] / 2))
        user = pick_hand(p, g, 0)
        board = wait_users_turn(p, g, user)
        refused = next(k for k in range(64) if board[k] == EMPTY and not flips(board, k, user))
        p.click(g, *cell_centre(refused))
        box = p.wait_box()
        check_centred("the message box", box, p.window(GAME_SIZE).frame_centre)
        p.dismiss_boxes()
        p.close_and_expect_exit(g)
        check(p.stderr() == "", f"stderr:\n{p.stderr()}")


def allowed_actions(p, win):
    prop = win.xw.get_full_property(p.d.intern_atom("_NET_WM_ALLOWED_ACTIONS"), X.AnyPropertyType)
    return {p.d.get_atom_name(a).replace("_NET_WM_ACTION_", "") for a in prop.value} if prop else None


def buttons(exe, xs):
    """The game's windows ask for move, minimise and close, the box for
    move and close: nothing is resized or maximised. What a window manager
    then offers (it may keep buttons of its own) may not include either."""
    with Program(exe, xs) as p:
        motif = p.d.intern_atom("_MOTIF_WM_HINTS")
        for what, win, want in zip(("title", "game", "box"), to_the_box(p), (FIXED, FIXED, DIALOG)):
            prop = win.xw.get_full_property(motif, motif)
            check(prop is not None and tuple(prop.value[:3]) == want,
                  f"the {what} window asks for {prop and list(prop.value)}, not {list(want)}")
            actions = allowed_actions(p, win)
            if xs.wm and what != "title":  # the title window is hidden meanwhile
                check(actions is not None, f"{xs.wm} offers nothing for the {what} window")
                for bad in ("MAXIMIZE_HORZ", "MAXIMIZE_VERT", "RESIZE"):
                    check(bad not in actions, f"{xs.wm} offers {bad} for the {what} window: {sorted(actions)}")
                check("CLOSE" in actions, f"{xs.wm} offers no close for the {what} window")
        p.dismiss_boxes()
        p.close_and_expect_exit(p.window(GAME_SIZE))


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
    run_case({f.__name__: f for f in (placement, buttons, activation_time)}, sys.argv)
