"""A storm of real pointer input at random points of whatever window shows,
for a bounded time: the program must stay alive and answer throughout, and
end cleanly on a close afterwards."""

import random
import signal
import sys
import threading
import time

from harness import *

DURATION = 45  # seconds of storm


def random_input(exe, xs):
    seed = int(os.environ.get("E2E_SEED", time.time_ns() % 1000000))
    log(f"seed {seed} (E2E_SEED={seed} repeats the storm)")
    rng = random.Random(seed)
    with Program(exe, xs) as p:
        p.wait_window(TITLE_SIZE)
        stats = {"press": 0, "release": 0, "click": 0, "box": 0, "ping": 0}
        seen_game = False
        pressed = False
        end = time.monotonic() + DURATION
        next_ping = time.monotonic() + 2
        while time.monotonic() < end:
            check(p.alive(), f"the program died: status {p.proc.returncode}, stderr:\n{p.stderr()}")
            windows = p.windows()
            if not windows:  # between the hiding of one window and the showing of the other
                wait_for("a window", p.windows, 5)
                continue
            box = next((w for w in windows if w.size not in (TITLE_SIZE, GAME_SIZE)), None)
            seen_game = seen_game or any(w.size == GAME_SIZE for w in windows)
            if box and rng.random() < 0.2:
                p.dismiss_box(box)
                stats["box"] += 1
            else:
                # The box, while up, draws its share of the input too.
                w = rng.choice(windows)
                x, y = rng.randrange(w.w), rng.randrange(w.h)
                if box and w is not box and inside(box.frame, w.x + x, w.y + y):
                    # The box's frame: its minimise button would put the
                    # game away with it, where no storm can reach it.
                    w, x, y = box, rng.randrange(box.w), rng.randrange(box.h)
                p.move(w, x, y)
                what = rng.choice(("click", "click", "press", "release"))
                # Unpaced: a storm comes faster than any window manager.
                if what == "click":
                    p.button(True, paced=False)
                    p.button(False)
                    pressed = False
                else:
                    pressed = what == "press"
                    p.button(pressed, paced=False)
                stats[what] += 1
            if time.monotonic() >= next_ping:
                w = next((w for w in windows if w.size in (TITLE_SIZE, GAME_SIZE)), None)
                check(w is None or p.ping(w), f"no answer to a ping ({stats})")
                stats["ping"] += 1
                next_ping = time.monotonic() + 2
            time.sleep(rng.uniform(0.0, 0.1))
        log(f"storm: {stats}")
        check(seen_game, "the storm never got as far as the game window")

        end_storm(p, pressed)


def inside(rect, x, y):
    left, top, w, h = rect
    return left <= x < left + w and top <= y < top + h


def end_storm(p, pressed):
    """The button let go, every box the storm left answered once the program
    has caught up, then a close: the program must end with status 0 and
    nothing on stderr."""
    if pressed:
        p.button(False)
    p.dismiss_boxes()
    w = wait_for("a window", lambda: next(
        (w for w in p.windows() if w.size in (TITLE_SIZE, GAME_SIZE)), None), 5)
    check(p.ping(w), "no answer after the storm")
    p.close_and_expect_exit(w, timeout=5)
    check(p.stderr() == "", f"stderr:\n{p.stderr()}")


def ends_on_a_refused_release(exe, xs):
    """The storm's ending at its worst: the button held on a refused cell,
    and the end of the storm lets it go. The refusal box opens only after
    the release has been handled, so the end must wait for the program
    rather than take one look."""
    with Program(exe, xs) as p:
        g, _, refused = to_a_refused_cell(p)
        p.move(g, *cell_centre(refused))
        p.button(True)
        end_storm(p, pressed=True)


def ends_on_a_press_the_manager_holds(exe, xs):
    """The storm's last press, unpaced, on a refused cell, still held in the
    window manager's grab when the storm ends: the end waits until the
    program has it, then answers the box it opens."""
    check(xs.wm_proc is not None, "this case needs a window manager")
    with Program(exe, xs) as p:
        g, _, refused = to_a_refused_cell(p)
        os.kill(xs.wm_proc.pid, signal.SIGSTOP)  # the manager's moment, made long
        try:
            p.move(g, *cell_centre(refused))
            p.button(True, paced=False)
            p.button(False, paced=False)
            p.expect_unsettled("the press still held by the window manager")
        finally:
            os.kill(xs.wm_proc.pid, signal.SIGCONT)
        p.wait_box()
        end_storm(p, pressed=False)


def keep_busy(xs, stop):
    """Another client keeping the X server busy, as a screen recorder would."""
    d = display.Display(xs.name)
    root = d.screen().root
    while not stop.is_set():
        root.get_image(0, 0, 1280, 1024, X.ZPixmap, 0xFFFFFFFF)
    d.close()


def boxes_answered_fast(exe, xs):
    """The refusal box, called up and answered 100 times in a row, by mouse
    and by key, while the X server is kept busy."""
    with Program(exe, xs) as p:
        g, _, refused = to_a_refused_cell(p)
        stop = threading.Event()
        busy = [threading.Thread(target=keep_busy, args=(xs, stop)) for _ in range(2)]
        for t in busy:
            t.start()
        try:
            for i in range(100):
                p.click(g, *cell_centre(refused))
                box = p.wait_box()
                if i % 2:
                    p.click(box, box.w // 2, box.h - 23)  # OK
                else:
                    p.dismiss_box(box)
                wait_for(f"box {i} to close", lambda: p.message_box() is None, 5)
                check(p.alive(), f"the program died at box {i}")
        finally:
            stop.set()
            for t in busy:
                t.join()
        p.close_and_expect_exit(g)
        check(p.stderr() == "", f"stderr:\n{p.stderr()}")


if __name__ == "__main__":
    run_case({f.__name__: f for f in (random_input, ends_on_a_refused_release, ends_on_a_press_the_manager_holds,
                                                boxes_answered_fast)},
             sys.argv)
