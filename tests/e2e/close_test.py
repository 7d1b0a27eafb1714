"""Closing a window at awkward moments ends the program cleanly."""

import sys

from harness import *


def during_splash(exe, xs):
    with Program(exe, xs) as p:
        open_menu(p)
        t = p.window(TITLE_SIZE)
        p.click(t, *centre(MENU_LINES[0]))
        p.wait_picture(TITLE_SIZE, "splash_0", 0, 0, timeout=5)
        p.close_and_expect_exit(t, timeout=5)


def during_janken(exe, xs):
    with Program(exe, xs) as p:
        open_menu(p)
        g = choose_cat(p)  # the hands are shuffling
        p.close_and_expect_exit(g, timeout=5)


def during_redraw(exe, xs):
    with Program(exe, xs) as p:
        open_menu(p)
        g = choose_cat(p)
        pick_hand(p, g, 0)
        centre_cells = (27, 28, 35, 36)

        # The first board comes one stone per tick: close between two of them.
        def part_drawn():
            b = read_board(p, p.shot(g), centre_cells)
            shown = sum(1 for v in b.values() if v in (BLACK, WHITE))
            return None not in b.values() and 0 < shown < 4
        wait_for("the first board half drawn", part_drawn, 10, every=0.01)
        p.close_and_expect_exit(g, timeout=5)


def under_message_box(exe, xs):
    with Program(exe, xs) as p:
        g, user, refused = to_a_refused_cell(p)
        p.click(g, *cell_centre(refused))
        box = p.wait_box()
        check(box.caption == CAPTION, f"message box caption {box.caption!r}")

        # The box is modal: the game window under it does not close ...
        p.close(g)
        p.settle()
        check(p.alive(), "the program ended under the box")
        check(p.ping(g), "no answer from the program with the box up")
        check(p.message_box() is not None, "the box went away")
        # ... but the box's own close button answers it, and the game goes on.
        p.close(p.message_box())
        wait_for("the box to close", lambda: p.message_box() is None, 5)
        check(p.alive(), "closing the box ended the program")
        wait_users_turn(p, g, user, timeout=5)
        p.close_and_expect_exit(g, timeout=5)


if __name__ == "__main__":
    run_case({f.__name__: f for f in (during_splash, during_janken, during_redraw, under_message_box)},
             sys.argv)
