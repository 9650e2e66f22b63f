# What the game's end-to-end tests do on the X display a player would do
# with the pointer and the keyboard, and how they look at the screen: the
# game started in a folder, xdotool for pointer and keys, screenshots of the
# root window (a capture of the game's own window could get the visual SDL
# chose wrong), and a polite close of the window as a window manager sends it.
# Every wait polls with a time limit; none sleeps a fixed time.
import ctypes, ctypes.util, os, signal, subprocess, time


class TimedOut(Exception):
    pass


def wait_until(what, condition, seconds=60.0, every=0.05):
    """Polls condition until it returns a true value, which is returned."""
    end = time.monotonic() + seconds
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > end:
            raise TimedOut('waited %.0f s for %s' % (seconds, what))
        time.sleep(every)


def run(*args, check=True, seconds=30.0):
    try:
        result = subprocess.run([str(a) for a in args], capture_output=True, text=True, timeout=seconds)
    except subprocess.TimeoutExpired:
        raise TimedOut('%s took more than %.0f s' % (' '.join(map(str, args)), seconds))
    if check and result.returncode != 0:
        raise RuntimeError('%s failed (%d): %s%s' % (' '.join(map(str, args)), result.returncode, result.stdout,
                                                     result.stderr))
    return result


class Screenshot:
    """The root window's pixels, RGB rows from the top."""

    def __init__(self, path=None):
        data = subprocess.run(['import', '-window', 'root', '-depth', '8', 'ppm:-'], capture_output=True, check=True,
                              timeout=30).stdout
        if path:
            with open(path, 'wb') as f:
                f.write(data)
        fields, at = [], 2
        while len(fields) < 3:
            while data[at:at + 1].isspace():
                at += 1
            if data[at:at + 1] == b'#':
                at = data.index(b'\n', at)
                continue
            start = at
            while not data[at:at + 1].isspace():
                at += 1
            fields.append(int(data[start:at]))
        self.width, self.height, maxval = fields
        assert data[:2] == b'P6' and maxval == 255
        self.pixels = data[at + 1:at + 1 + self.width * self.height * 3]

    def at(self, x, y):
        i = (y * self.width + x) * 3
        return self.pixels[i], self.pixels[i + 1], self.pixels[i + 2]

    def region(self, left, top, width, height):
        """The pixels of a rectangle as a list of rows of (r, g, b)."""
        return [[self.at(x, y) for x in range(left, left + width)] for y in range(top, top + height)]


class Pointer:
    @staticmethod
    def location():
        values = dict(line.split('=') for line in run('xdotool', 'getmouselocation', '--shell').stdout.split())
        return int(values['X']), int(values['Y'])

    @staticmethod
    def move(x, y):
        # xdotool waits for a motion that a move to where the pointer is
        # never makes.
        if Pointer.location() != (x, y):
            run('xdotool', 'mousemove', '--sync', x, y)

    @staticmethod
    def click(x, y, button=1):
        Pointer.move(x, y)
        run('xdotool', 'click', button)

    @staticmethod
    def drag(start, end, steps=12):
        Pointer.move(*start)
        run('xdotool', 'mousedown', 1)
        for i in range(1, steps + 1):
            Pointer.move(start[0] + (end[0] - start[0]) * i // steps, start[1] + (end[1] - start[1]) * i // steps)
        run('xdotool', 'mouseup', 1)

    @staticmethod
    def key(name):
        run('xdotool', 'key', name)


class _ClientMessage(ctypes.Structure):
    _fields_ = [('type', ctypes.c_int), ('serial', ctypes.c_ulong), ('send_event', ctypes.c_int),
                ('display', ctypes.c_void_p), ('window', ctypes.c_ulong), ('message_type', ctypes.c_ulong),
                ('format', ctypes.c_int), ('data', ctypes.c_long * 5)]


class _Event(ctypes.Union):
    _fields_ = [('client', _ClientMessage), ('pad', ctypes.c_long * 24)]


def close_window(window):
    """Asks the window to close, as a window manager does: WM_DELETE_WINDOW."""
    x = ctypes.CDLL(ctypes.util.find_library('X11'))
    x.XOpenDisplay.restype = ctypes.c_void_p
    x.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x.XInternAtom.restype = ctypes.c_ulong
    x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.POINTER(_Event)]
    x.XFlush.argtypes = [ctypes.c_void_p]
    x.XCloseDisplay.argtypes = [ctypes.c_void_p]
    display = x.XOpenDisplay(None)
    if not display:
        raise RuntimeError('cannot open the display')
    event = _Event()
    event.client.type = 33  # ClientMessage
    event.client.window = window
    event.client.message_type = x.XInternAtom(display, b'WM_PROTOCOLS', 0)
    event.client.format = 32
    event.client.data[0] = x.XInternAtom(display, b'WM_DELETE_WINDOW', 0)
    event.client.data[1] = 0  # CurrentTime
    x.XSendEvent(display, window, 0, 0, ctypes.byref(event))
    x.XFlush(display)
    x.XCloseDisplay(display)


class Game:
    """The game running in a folder, its output kept in files there; with
    an environment given, in that environment instead of this one."""

    def __init__(self, program, folder, *arguments, environment=None):
        self.folder = folder
        # The log's entries of earlier starts in the folder.
        self.earlier_entries = len(self.log_entries())
        self.out = open(os.path.join(folder, 'stdout.txt'), 'w')
        self.err = open(os.path.join(folder, 'stderr.txt'), 'w')
        self.process = subprocess.Popen([program] + list(arguments), cwd=folder, stdout=self.out, stderr=self.err,
                                        env=environment)
        self.window = None

    def wait_for_window(self, seconds=60.0):
        """The game's window id, once it is shown."""
        def find():
            if self.process.poll() is not None:
                raise RuntimeError('the game ended with %d before its window showed:\n%s' %
                                   (self.process.returncode, self.log()))
            found = run('xdotool', 'search', '--onlyvisible', '--pid', self.process.pid, check=False)
            ids = found.stdout.split()
            return int(ids[0]) if found.returncode == 0 and ids else None
        self.window = wait_until('the game window', find, seconds)
        return self.window

    def geometry(self):
        """The window's left, top, width and height on the screen."""
        lines = run('xdotool', 'getwindowgeometry', '--shell', self.window).stdout.split()
        values = dict(line.split('=') for line in lines)
        return int(values['X']), int(values['Y']), int(values['WIDTH']), int(values['HEIGHT'])

    def signal(self, number):
        self.process.send_signal(number)

    def wait(self, seconds=60.0):
        try:
            return self.process.wait(seconds)
        except subprocess.TimeoutExpired:
            raise TimedOut('the game did not end within %.0f s' % seconds)

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()

    def log(self):
        try:
            with open(os.path.join(self.folder, 'jigsaw_log.txt')) as f:
                return f.read()
        except OSError:
            return ''

    def log_entries(self):
        """The log's entries without their time stamps."""
        return [line[26:] for line in self.log().split('\n') if len(line) > 26 and line[24:26] == ': ']
