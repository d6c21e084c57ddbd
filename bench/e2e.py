#!/usr/bin/env python3
"""The real window, timed from outside as a person meets it, under Xvfb and openbox.

Run by bench/e2e.sh (which starts the X server and the window manager). Figures:
  - window shown: from starting the program to its window being mapped, at 10 and 32767 memos;
  - keystroke to file: from a key pressed (through XTest, as the keyboard does) to the memo's
    file (and, when the title changes, the index) renamed into place, seen with inotify; next to
    the floor, the same bytes written the same way (sibling file, fdatasync, rename) into a twin
    folder by this script, in the same iteration;
  - a held key: 30 keys a second for two seconds in a long memo, and how long after the last key
    its save lands.
Prints medians with min and max; bench/e2e.sh writes them to build-bench/e2e.txt.
"""
import ctypes
import ctypes.util
import os
import select
import shutil
import statistics
import struct
import subprocess
import sys
import tempfile
import time

PROGRAM = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build/tetomu")
RUNS = int(os.environ.get("RUNS", "5"))

libc = ctypes.CDLL(ctypes.util.find_library("c"), use_errno=True)
xlib = ctypes.CDLL(ctypes.util.find_library("X11"))
xtst = ctypes.CDLL(ctypes.util.find_library("Xtst"))
xlib.XOpenDisplay.restype = ctypes.c_void_p
xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
xlib.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
xlib.XFlush.argtypes = [ctypes.c_void_p]
xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
xtst.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
xtst.XTestFakeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int, ctypes.c_int,
                                      ctypes.c_ulong]
xlib.XDefaultRootWindow.restype = ctypes.c_ulong
xlib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
xlib.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
xlib.XPending.argtypes = [ctypes.c_void_p]
xlib.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
xlib.XConnectionNumber.argtypes = [ctypes.c_void_p]
display = xlib.XOpenDisplay(None)
MAP_NOTIFY = 19
SUBSTRUCTURE_NOTIFY_MASK = 1 << 19
xlib.XSelectInput(display, xlib.XDefaultRootWindow(display), SUBSTRUCTURE_NOTIFY_MASK)


def wait_for_map(timeout=30):
    """The moment a window is mapped on the screen (the window manager's frame of it)."""
    event = (ctypes.c_long * 24)()
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        while xlib.XPending(display):
            xlib.XNextEvent(display, event)
            if event[0] & 0xFFFFFFFF == MAP_NOTIFY:
                return time.monotonic()
        select.select([xlib.XConnectionNumber(display)], [], [], 0.05)
    raise RuntimeError("no window was mapped")


def drain_events():
    event = (ctypes.c_long * 24)()
    while xlib.XPending(display):
        xlib.XNextEvent(display, event)

IN_MOVED_TO = 0x80


class Watch:
    """inotify on a folder: the names renamed into it, in order, each with when it was seen."""

    def __init__(self, folder):
        self.fd = libc.inotify_init1(os.O_NONBLOCK)
        libc.inotify_add_watch(self.fd, folder.encode(), IN_MOVED_TO)
        self.queue = []

    def _read(self, timeout):
        select.select([self.fd], [], [], timeout)
        try:
            data = os.read(self.fd, 65536)
        except BlockingIOError:
            return
        now = time.monotonic()
        at = 0
        while at < len(data):
            _, _, _, length = struct.unpack_from("iIII", data, at)
            self.queue.append((data[at + 16:at + 16 + length].rstrip(b"\0").decode(), now))
            at += 16 + length

    def wait_for(self, names, timeout=30):
        """When the last of these names was renamed into place."""
        names = list(names)
        end = time.monotonic() + timeout
        last = None
        while names:
            while self.queue and names:
                name, seen = self.queue.pop(0)
                if name in names:
                    names.remove(name)
                    last = seen
            if names:
                if time.monotonic() > end:
                    raise RuntimeError(f"not saved: {names}")
                self._read(0.5)
        return last

    def drain(self):
        time.sleep(0.05)
        self._read(0)
        self.queue.clear()


def title_of(text):
    title = text[:60]
    while "\r\n" in title:
        title = title.replace("\r\n", "")
    return title or "temp"


def lay_out(folder, count, long_body=0):
    """count memos as the program stores them; memo 0 with a long body when asked."""
    memo = os.path.join(folder, "memo")
    os.makedirs(memo)
    titles = []
    for n in range(count):
        first = "".join("会議予定abcde"[(n + i) % 9] for i in range(60))
        lines = (long_body if n == 0 and long_body else 300) // 12
        text = first + "\r\n" + "あいうえおabcde\r\n" * lines
        with open(os.path.join(memo, f"{n}.txt"), "wb") as f:
            f.write(text.encode("cp932"))
        titles.append(title_of(text))
    with open(os.path.join(memo, "group.gl"), "wb") as f:
        f.write("".join(t + "\r\n" for t in titles).encode("cp932"))
    shutil.copy(PROGRAM, os.path.join(folder, "tetomu"))
    return memo


def replace_file(path, data):
    """The floor: a save as plain system calls."""
    saving = path + ".saving"
    fd = os.open(saving, os.O_WRONLY | os.O_CREAT | os.O_EXCL, 0o666)
    os.write(fd, data)
    os.fdatasync(fd)
    os.close(fd)
    os.rename(saving, path)


def xdotool(*args):
    return subprocess.run(["xdotool", *args], capture_output=True, text=True).stdout.strip()


def key(name, control=False):
    keysyms = {"x": 0x78, "BackSpace": 0xFF08, "End": 0xFF57, "Down": 0xFF54, "Tab": 0xFF09,
               "Control": 0xFFE3}
    code = xlib.XKeysymToKeycode(display, keysyms[name])
    ctrl = xlib.XKeysymToKeycode(display, keysyms["Control"])
    if control:
        xtst.XTestFakeKeyEvent(display, ctrl, 1, 0)
    xtst.XTestFakeKeyEvent(display, code, 1, 0)
    xtst.XTestFakeKeyEvent(display, code, 0, 0)
    if control:
        xtst.XTestFakeKeyEvent(display, ctrl, 0, 0)
    xlib.XFlush(display)


class Running:
    """The program started on a folder, its window found."""

    def __init__(self, folder):
        drain_events()
        self.started = time.monotonic()
        self.process = subprocess.Popen([os.path.join(folder, "tetomu")],
                                        stderr=subprocess.DEVNULL)
        self.shown = wait_for_map()
        self.window = xdotool("search", "--sync", "--onlyvisible", "--name", "テトム★")

    def close(self):
        self.process.terminate()
        self.process.wait()


def figure(name, values, floor=None):
    values_in_order = values
    values = sorted(values)
    line = (f"{name}: median {statistics.median(values) * 1000:.2f} ms "
            f"(min {values[0] * 1000:.2f}, max {values[-1] * 1000:.2f})")
    if floor:
        ratios = sorted(v / f for v, f in zip(values_in_order, floor))
        line += (f"; floor median {statistics.median(floor) * 1000:.2f} ms; ratio median "
                 f"{statistics.median(ratios):.2f} (min {ratios[0]:.2f}, max {ratios[-1]:.2f})")
    print(line, flush=True)
    return statistics.median(values)


def window_shown(count):
    with tempfile.TemporaryDirectory() as folder:
        lay_out(folder, count)
        times = []
        for _ in range(RUNS):
            run = Running(folder)
            times.append(run.shown - run.started)
            run.close()
        return figure(f"window shown, {count} memos", times)


def keystrokes(count, long_body=0, past_title=False):
    """Typing in memo 0 and taking it out again, each keystroke timed to its save on disk."""
    with tempfile.TemporaryDirectory() as folder, tempfile.TemporaryDirectory() as twin:
        memo = lay_out(folder, count, long_body)
        floor_memo = os.path.join(twin, "memo")
        shutil.copytree(memo, floor_memo)
        run = Running(folder)
        xdotool("windowactivate", "--sync", run.window)
        key("Down")  # the list has the focus: the first Down opens memo 0
        time.sleep(1)
        key("Tab")  # past the check box to the text box, the caret at its start
        key("Tab")
        if past_title:
            key("End", control=True)
        time.sleep(0.5)
        watch = Watch(memo)
        watch.drain()
        floor_watch = Watch(floor_memo)
        names = ["0.txt"] if past_title else ["0.txt", "group.gl"]
        # One key and its undoing first, untimed: a long memo may still be opening, and the
        # keys wait for it.
        for name in ("x", "BackSpace"):
            key(name)
            watch.wait_for(names)
        times, floors = [], []
        for i in range(RUNS * 4):
            t0 = time.monotonic()
            key("BackSpace" if i % 2 else "x")
            times.append(watch.wait_for(names) - t0)
            saved = {}
            for name in names:
                with open(os.path.join(memo, name), "rb") as f:
                    saved[name] = f.read()
            # The floor, timed the same way: from the first call to the last rename seen.
            t1 = time.monotonic()
            for name, data in saved.items():
                replace_file(os.path.join(floor_memo, name), data)
            floors.append(floor_watch.wait_for(names) - t1)
        held = None
        if long_body:
            # A held key: auto-repeat at 30 a second for two seconds. The kernel folds renames
            # of one name that are not read yet into one notice, so the file's size tells when
            # the last of them has landed.
            path = os.path.join(memo, "0.txt")
            expected = os.path.getsize(path) + 60
            for _ in range(60):
                key("x")
                time.sleep(1 / 30)
            last_key = time.monotonic()
            while os.path.getsize(path) != expected:
                watch._read(0.005)
            held = time.monotonic() - last_key
        run.close()
        return times, floors, held


def main():
    shown10 = window_shown(10)
    shown = window_shown(32767)
    print(f"window shown, 32767 over 10 memos: {shown / shown10:.2f}", flush=True)
    for count, body, past, name in [(10, 0, False, "keystroke in the title, 10 memos"),
                                    (32767, 0, False, "keystroke in the title, 32767 memos"),
                                    (32767, 0, True, "keystroke past the title, 32767 memos"),
                                    (1000, 680000, True, "keystroke in a 1 MB memo"),
                                    (1000, 13600000, True, "keystroke in a 20 MB memo")]:
        times, floors, held = keystrokes(count, body, past)
        figure(name, times, floors)
        if held is not None:
            print(f"  after a held key (60 keys at 30 a second) the last save lands "
                  f"{held * 1000:.0f} ms after the last key", flush=True)


if __name__ == "__main__":
    main()
