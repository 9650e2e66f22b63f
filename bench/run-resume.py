#!/usr/bin/env python3
"""Resume and launch of the game as a player meets them, from outside the
program, for two builds taken in turn in the same run (before and after a
change): the game's program started in a folder with a saved game of a
large JPEG, on an X display (a virtual one with Mesa's software renderer
unless KESTRUNE_BENCH_DISPLAY names one), watched through single pixels of
the root window polled every 2 ms:

- launch: from starting the program to the game list painted (its panel and
  its quit button on screen);
- resume: from the click on the saved game's picture (XTest) to the first
  frame of the table (the table's cloth in the window's corner).

Each build is run ROUNDS times; the medians and ranges are printed. The
folder is made anew for every run, from the picture and a saved game of
PIECES pieces the first build's kestrune-model makes.

  bench/run-resume.py BIN_BEFORE BIN_AFTER PICTURE.jpg [ROUNDS] [PIECES]

BIN_* are the bin folders of two builds (kestrune and kestrune-model).
Needs Xvfb (unless a display is named) and libX11/libXtst."""
import ctypes, ctypes.util, os, shutil, signal, statistics, subprocess, sys, tempfile, time

WIDTH, HEIGHT = 1280, 1024
LIST_PANEL = (640, 700)       # inside the game list's panel
QUIT_BUTTON = (1152, 58)      # the yellow of the quit button
THUMBNAIL = (333, 306)        # the first saved game's picture
CORNER = (20, HEIGHT - 20)    # white on the menu pages, the table's cloth in play


class Screen:
    def __init__(self, display):
        self.x = ctypes.CDLL(ctypes.util.find_library('X11'))
        self.t = ctypes.CDLL(ctypes.util.find_library('Xtst'))
        self.x.XOpenDisplay.restype = ctypes.c_void_p
        self.x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.x.XGetImage.restype = ctypes.c_void_p
        self.x.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                                     ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        self.x.XFree.argtypes = [ctypes.c_void_p]
        self.x.XFlush.argtypes = [ctypes.c_void_p]
        self.x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self.t.XTestFakeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int, ctypes.c_int,
                                                ctypes.c_ulong]
        self.t.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
        self.display = self.x.XOpenDisplay(display.encode())
        if not self.display:
            raise RuntimeError('cannot open display ' + display)
        self.root = self.x.XDefaultRootWindow(self.display)

    def pixel(self, at):
        """(r, g, b) of the root window at the point (24-bit visual)."""
        image = self.x.XGetImage(self.display, self.root, at[0], at[1], 1, 1, 0xFFFFFFFF, 2)
        if not image:
            return (0, 0, 0)
        data = ctypes.cast(image, ctypes.POINTER(ctypes.c_void_p))[2]   # XImage.data after four ints
        b, g, r = ctypes.cast(data, ctypes.POINTER(ctypes.c_uint8))[0:3]
        self.x.XFree(ctypes.c_void_p(data))
        self.x.XFree(ctypes.c_void_p(image))
        return (r, g, b)

    def click(self, at):
        self.t.XTestFakeMotionEvent(self.display, 0, at[0], at[1], 0)
        self.t.XTestFakeButtonEvent(self.display, 1, 1, 0)
        self.t.XTestFakeButtonEvent(self.display, 1, 0, 0)
        self.x.XFlush(self.display)

    def wait(self, what, condition, seconds=30.0):
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            if condition():
                return time.monotonic()
            time.sleep(0.002)
        raise RuntimeError('waited %.0f s for %s; pixels: %s' % (
            seconds, what, ', '.join('%s %s' % (p, self.pixel(p)) for p in (LIST_PANEL, QUIT_BUTTON, THUMBNAIL, CORNER))))


def near(c, target, tolerance):
    return all(abs(a - b) <= tolerance for a, b in zip(c, target))


def run_once(screen, binary, template):
    folder = tempfile.mkdtemp(prefix='kestrune-resume-')
    try:
        for name in os.listdir(template):
            source = os.path.join(template, name)
            (shutil.copytree if os.path.isdir(source) else shutil.copy)(source, os.path.join(folder, name))
        start = time.monotonic()
        game = subprocess.Popen([os.path.join(binary, 'kestrune'), '--configuration', 'configuration.txt'],
                                cwd=folder, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            listed = screen.wait('the game list', lambda: near(screen.pixel(LIST_PANEL), (242, 242, 242), 6) and
                                 screen.pixel(QUIT_BUTTON)[2] < 80 and screen.pixel(QUIT_BUTTON)[0] > 200)
            # The saved game's picture, then a moment for the list to settle.
            screen.wait('the saved game\'s picture', lambda: not near(screen.pixel(THUMBNAIL), screen.pixel(LIST_PANEL), 12))
            time.sleep(0.5)
            if not near(screen.pixel(CORNER), (255, 255, 255), 8):
                raise RuntimeError('the list page is not shown')
            click = time.monotonic()
            screen.click(THUMBNAIL)
            shown = screen.wait('the table', lambda: screen.pixel(CORNER)[0] < 230)
            return (listed - start) * 1000.0, (shown - click) * 1000.0
        finally:
            game.send_signal(signal.SIGTERM)
            try:
                game.wait(30)
            except subprocess.TimeoutExpired:
                game.kill()
                game.wait()
    finally:
        shutil.rmtree(folder, ignore_errors=True)


def main():
    if len(sys.argv) < 4:
        print(__doc__)
        return 2
    before, after, picture = (os.path.abspath(a) for a in sys.argv[1:4])
    rounds = int(sys.argv[4]) if len(sys.argv) > 4 else 7
    pieces = int(sys.argv[5]) if len(sys.argv) > 5 else 1000
    xvfb = None
    display = os.environ.get('KESTRUNE_BENCH_DISPLAY')
    if not display:
        read, write = os.pipe()
        xvfb = subprocess.Popen(['Xvfb', '-displayfd', str(write), '-screen', '0', '%dx%dx24' % (WIDTH, HEIGHT),
                                 '-nolisten', 'tcp', '-noreset'], pass_fds=(write,),
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write)
        display = ':' + os.read(read, 64).decode().strip()
    os.environ.update(DISPLAY=display, SDL_VIDEODRIVER='x11', LIBGL_ALWAYS_SOFTWARE='1')
    template = tempfile.mkdtemp(prefix='kestrune-resume-template-')
    try:
        os.makedirs(os.path.join(template, 'gallery'))
        shutil.copy(picture, os.path.join(template, 'gallery', 'picture.jpg'))
        with open(os.path.join(template, 'configuration.txt'), 'w') as f:
            f.write('window_width=%d\nwindow_height=%d\nmaximized=false\n' % (WIDTH, HEIGHT))
        subprocess.run([os.path.join(before, 'kestrune-model'), 'session', '--folder', template],
                       input='new gallery/picture.jpg %d\nsync\nquit\n' % pieces, text=True, check=True, cwd=template,
                       stdout=subprocess.DEVNULL)
        screen = Screen(display)
        results = {before: ([], []), after: ([], [])}
        for _ in range(rounds):
            for binary in (before, after):
                launch, resume = run_once(screen, binary, template)
                results[binary][0].append(launch)
                results[binary][1].append(resume)
        for name, binary in (('before', before), ('after', after)):
            for what, values in (('launch -> list painted', results[binary][0]),
                                 ('resume: click -> pieces shown', results[binary][1])):
                print('%-6s %-30s median %7.1f ms  (of %d: %.1f to %.1f)' %
                      (name, what, statistics.median(values), len(values), min(values), max(values)))
    finally:
        shutil.rmtree(template, ignore_errors=True)
        if xvfb:
            xvfb.terminate()
            xvfb.wait()
    return 0


if __name__ == '__main__':
    sys.exit(main())
