"""The tests' barrier, settle(), on every desktop the suite runs: it waits
for the program itself."""

import signal
import sys

from harness import *


def compositor_check(xs):
    """Under metacity the screen is composited, as on a user's desktop: the
    barrier must hold there too, not on a plain screen only."""
    if xs.wm != "metacity":
        return
    d = display.Display(xs.name)
    try:
        owner = d.get_selection_owner(d.intern_atom("_NET_WM_CM_S0"))
        check(owner != X.NONE, "metacity is not compositing")
    finally:
        d.close()


def waits_for_the_program(exe, xs):
    """Stopped, the program handles nothing: settle() keeps waiting until it
    goes on, at the title and with the message box up."""
    compositor_check(xs)
    with Program(exe, xs) as p:
        p.wait_window(TITLE_SIZE)
        p.settle()
        for stage in ("the title", "the message box"):
            if stage == "the message box":
                g, _, refused = to_a_refused_cell(p)
                p.click(g, *cell_centre(refused))
                p.wait_box()
                p.settle()
            os.kill(p.proc.pid, signal.SIGSTOP)
            try:
                p.expect_unsettled(f"the program stopped at {stage}")
            finally:
                os.kill(p.proc.pid, signal.SIGCONT)
            p.settle()
        p.dismiss_boxes()
        p.close_and_expect_exit(p.window(GAME_SIZE))
        check(p.stderr() == "", f"stderr:\n{p.stderr()}")


if __name__ == "__main__":
    run_case({f.__name__: f for f in (waits_for_the_program,)}, sys.argv)
