# The game on a Wayland desktop with no X server of its own, with the
# settings a player has: a Wayland compositor (weston without any weston.ini,
# drawing with pixman into a window of the test run's X display) and the game
# started with DISPLAY unset and WAYLAND_DISPLAY naming the compositor.
#
#  1. The configuration the game writes at its first start (a maximised
#     window): the title page shows in a window that fills the output less
#     weston's panel, switches to full screen and back with its button, and
#     a termination signal ends the game in order.
#  2. Full screen: the window fills the whole output. weston ended in order
#     under the game ends the game as a lost display.
#  3. The compositor going while the player acts on the title page, five
#     rounds of each at a random moment: the pointer moving in from outside
#     and about (weston killed, and weston ended in order), and arrow keys
#     pressed again and again (weston killed). Every round ends in order
#     within seconds with exit code 1 and one line "Kestrune lost its
#     display: ..." on standard error and in the log.
#  4. A new game of 12 pieces: a zoom, a piece carried and dropped, then
#     weston killed while another piece is carried. The game ends as in 3;
#     the zoom and the drop are in the saved game, and the game resumed on a
#     new compositor shows them. Left alone there, it ends the same way when
#     that weston is killed.
#  5. Five rounds of the saved game resumed and weston killed at a random
#     moment while a piece is dragged about: each ends as in 3, and the saved
#     game still holds the zoom and the drop.
#  6. Ten rounds of the pointer moved without pause over the window's title
#     bar and its buttons (never a click) while weston is killed at a random
#     moment. The game may then be held inside SDL or the title bar library,
#     where none of its own checks run; it ends in order as in 3, or its
#     watch ends it with the same line, then the log's last entry.
#  7. Ten rounds of weston killed at a random moment of the game's first
#     0.6 s, while it makes and shows its window (not before SDL's start on
#     its connection returned, where SDL crashes; see launch_round): it ends
#     as in 6, or as a start that failed with one line "Kestrune could not
#     start: ..." on standard error.
#
# A Wayland protocol error on the game's standard error fails the test.
#
#   wayland.py BIN_FOLDER [SCREENSHOT_FOLDER]
#
# Exit code 0 when everything holds, 77 (skipped) without an X display.
import collections, math, os, random, re, shutil, signal, subprocess, sys, tempfile, threading, time, traceback

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import desktop  # noqa: E402
import menu  # noqa: E402
import pieces  # noqa: E402
import play  # noqa: E402

SOCKET = 'kestrune-wayland'
OUTPUT = (1024, 768)
# A Wayland socket's path, with its terminating zero, fits in 108 bytes.
SOCKET_PATH_LIMIT = 107
# How long a game whose compositor went may take to end, counted from the
# compositor's end: long enough for a busy machine, where an end that takes
# 2 s on a quiet one (its watch's) may take several times that; it is there
# to catch a game that never ends. Each end's time is printed.
LOST_SECONDS = 30.0
# Rounds of each act of the player under which the compositor goes.
ACT_ROUNDS = 5
# Rounds of each moment where the game may be held inside SDL when the
# compositor goes (the pointer over the title bar, the start).
HELD_ROUNDS = 10
# Moves of the pointer over the title bar in one turn.
TITLE_BAR_MOVES = 200
# libwayland's own line for a protocol error: "xdg_wm_base@22: error 4: ...".
PROTOCOL_ERROR = re.compile(r'^\S+@\d+: error \d+: ', re.M)

# Under AddressSanitizer: what the Wayland side of the window keeps to the
# end of the process (SDL's Wayland driver in its protocol listeners,
# libdecor's frame and the fonts of its title bar) is not the game's leak.
# The game's runs on X are checked without these.
WAYLAND_LEAKS = 'leak:libSDL2-2.0.so\nleak:libdecor\nleak:libwayland-client.so\nleak:libfontconfig.so\n'

check = play.check


class Compositor:
    """weston as a client of the X display, with its own runtime folder, and
    what it shows before any program's window: its window on the X display
    and the empty desktop in it."""

    def __init__(self, work, name):
        self.work = work
        # Wayland sockets live in XDG_RUNTIME_DIR, a folder only its owner
        # may use; where the work folder's path is too long for a socket,
        # one of /tmp.
        self.runtime = os.path.join(work, name + '-runtime')
        self.own_runtime = len(os.fsencode(os.path.join(self.runtime, SOCKET))) > SOCKET_PATH_LIMIT
        if self.own_runtime:
            self.runtime = tempfile.mkdtemp(prefix='kestrune-', dir='/tmp')
        else:
            os.mkdir(self.runtime, 0o700)
        environment = dict(os.environ, XDG_RUNTIME_DIR=self.runtime)
        environment.pop('WAYLAND_DISPLAY', None)
        self.log = os.path.join(work, name + '.txt')
        self.output = open(self.log, 'w')
        # No screen lock while the test waits (--idle-time=0), and no
        # weston.ini of the machine's or the user's.
        self.process = subprocess.Popen(
            ['weston', '--no-config', '--backend=x11-backend.so', '--use-pixman', '--socket=' + SOCKET,
             '--idle-time=0', '--width=%d' % OUTPUT[0], '--height=%d' % OUTPUT[1]], env=environment,
            stdout=self.output, stderr=subprocess.STDOUT)
        self.window = None
        self.screen = None
        self.desktop = None
        self.panel = None

    def wait_until_ready(self, settle=True):
        """Waits for the compositor's socket and, unless told not to settle,
        its desktop with the panel drawn; its window on the X display as
        (left, top, width, height)."""
        def window():
            if self.process.poll() is not None:
                raise RuntimeError('weston ended with %d:\n%s' % (self.process.returncode, self.text()))
            if not os.path.exists(os.path.join(self.runtime, SOCKET)):
                return None
            # weston names its own window in its log.
            found = re.search(r'x11 output \d+x\d+, window id (\d+)', self.text())
            return int(found.group(1)) if found else None
        self.window = desktop.wait_until('the compositor', window)
        values = dict(line.split('=') for line in
                      desktop.run('xdotool', 'getwindowgeometry', '--shell', self.window).stdout.split())
        self.screen = int(values['X']), int(values['Y']), int(values['WIDTH']), int(values['HEIGHT'])
        check(self.screen[2:] == OUTPUT, 'weston window %s, not of the output %s' % (self.screen, OUTPUT))
        # The pointer off the compositor's window: weston draws no cursor then.
        desktop.Pointer.move(self.screen[0] + self.screen[2] + 20, self.screen[1] + self.screen[3] + 20)
        if not settle:
            return self.screen

        # weston fades its desktop in: it has settled once two screenshots
        # in a row show the same, but for the panel's clock.
        last = []

        def settled():
            shot = desktop.Screenshot()
            still = bool(last) and self.same_desktop(last[0], shot)
            last[:] = [shot]
            panel = self.panel_height(shot)
            return (shot, panel) if still and panel else None
        self.desktop, self.panel = desktop.wait_until('the desktop with its panel', settled, every=0.2)
        return self.screen

    def same_desktop(self, a, b):
        """Whether the two screenshots show the same on the output's left
        three quarters (the panel's clock is at its right end)."""
        left, top, width, height = self.screen
        for y in range(height):
            at = ((top + y) * a.width + left) * 3
            end = at + width * 3 // 4 * 3
            if a.pixels[at:end] != b.pixels[at:end]:
                return False
        return True

    def row_brightness(self, shot, y):
        left, top, width, _ = self.screen
        row = shot.pixels[((top + y) * shot.width + left) * 3:((top + y) * shot.width + left + width) * 3]
        return sum(row) / len(row)

    def panel_height(self, shot):
        """The rows of the panel at the top of the output, darker than the
        desktop under it; None before the panel is drawn."""
        desk = self.row_brightness(shot, self.screen[3] - 1)
        rows = 0
        while rows < 100 and abs(self.row_brightness(shot, rows) - desk) > 30:
            rows += 1
        return rows if 0 < rows < 100 else None

    def window_on(self, shot, first_row):
        """The smallest rectangle holding every pixel of the output that
        differs from the empty desktop, from the row given down, in output
        coordinates; None where nothing differs."""
        left, top, width, height = self.screen
        rows, low, high = [], width, -1
        for y in range(first_row, height):
            at = ((top + y) * shot.width + left) * 3
            now, was = shot.pixels[at:at + width * 3], self.desktop.pixels[at:at + width * 3]
            if now == was:
                continue
            rows.append(y)
            low = min(low, len(os.path.commonprefix([now, was])) // 3)
            high = max(high, width - 1 - len(os.path.commonprefix([now[::-1], was[::-1]])) // 3)
        if not rows:
            return None
        return low, rows[0], high - low + 1, rows[-1] - rows[0] + 1

    def uncovered(self, shot, rows):
        """Whether the output's top rows show as on the empty desktop between
        an eighth and half of its width (away from the panel's launcher, where
        weston leaves its cursor, and its clock)."""
        left, top, width, _ = self.screen
        for y in range(rows):
            at = ((top + y) * shot.width + left + width // 8) * 3
            end = at + (width // 2 - width // 8) * 3
            if shot.pixels[at:end] != self.desktop.pixels[at:end]:
                return False
        return True

    def game_environment(self):
        """The environment of a program on this Wayland desktop alone."""
        environment = dict(os.environ, XDG_RUNTIME_DIR=self.runtime, WAYLAND_DISPLAY=SOCKET)
        for name in ('DISPLAY', 'SDL_VIDEODRIVER'):
            environment.pop(name, None)
        leaks = os.path.join(self.work, 'wayland-leaks.txt')
        with open(leaks, 'w') as f:
            f.write(WAYLAND_LEAKS)
        environment['LSAN_OPTIONS'] = environment.get('LSAN_OPTIONS', '') + ':suppressions=' + leaks
        return environment

    def text(self):
        self.output.flush()
        with open(self.log) as f:
            return f.read()

    def end(self, number):
        """Ends weston with the signal and waits for it."""
        self.process.send_signal(number)
        self.process.wait(30)

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(30)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.output.close()
        if self.own_runtime:
            shutil.rmtree(self.runtime, ignore_errors=True)


class Shown:
    """The game as menu.Player plays it on the compositor: its process and
    log, and the inside of its window on the screen."""

    def __init__(self, game, inside):
        self.game = game
        self.process = game.process
        self.inside = inside

    def geometry(self):
        return self.inside

    def log(self):
        return self.game.log()


def errors(game):
    with open(game.err.name) as f:
        return f.read()


def no_protocol_error(game):
    text = errors(game)
    check(not PROTOCOL_ERROR.search(text), 'a Wayland protocol error on the game\'s standard error:\n' + text)


def title_page(shot, screen):
    """The title page's three buttons in the compositor's window: the quit
    and full-screen buttons one above the other on the right, the start
    button left of them and between them in height."""
    found = menu.buttons(shot, screen)
    if len(found) != 3:
        return None
    (x, y), (x1, y1), (x2, y2) = sorted(menu.centre(b) for b in found)
    if abs(x1 - x2) <= 4 and x < x1 - 100 and min(y1, y2) < y < max(y1, y2):
        return found
    return None


def games_page(shot, screen):
    """The saved-games page: its buttons and a saved game's thumbnail."""
    return len(menu.buttons(shot, screen)) >= 3 and menu.pictures(shot, screen)


def showing(game, compositor, shots, expected, shot_name, page=title_page):
    """Waits for the page in a window of the expected rectangle (output
    coordinates, frame included), with whatever lies above the window
    uncovered; the screenshot."""
    seen = []

    def shown():
        if game.process.poll() is not None:
            raise RuntimeError('the game ended with %d before its %s showed:\n%s\n%s' %
                               (game.process.returncode, page.__name__.replace('_', ' '), game.log(), errors(game)))
        no_protocol_error(game)
        shot = desktop.Screenshot()
        seen[:] = [compositor.window_on(shot, expected[1])]
        return shot if (page(shot, compositor.screen) and seen[0] == expected
                        and compositor.uncovered(shot, expected[1])) else None
    try:
        shot = desktop.wait_until('the %s in a window of %s' % (page.__name__, expected), shown, every=0.1)
    except desktop.TimedOut:
        desktop.Screenshot(os.path.join(shots, shot_name + '-timed-out.ppm'))
        raise AssertionError('no %s in a window of %s (x, y, width, height on the output) with the rows above it '
                             'uncovered; the window seen last: %s' %
                             (page.__name__.replace('_', ' '), expected, seen[0] if seen else None))
    desktop.Screenshot(os.path.join(shots, shot_name + '.ppm'))
    return shot


def launch(tools, folder, compositor):
    """The game started in the folder on the compositor, with its settings."""
    return desktop.Game(os.path.join(tools, 'kestrune'), folder, '--configuration', 'configuration.txt',
                        environment=compositor.game_environment())


def start(tools, folder, compositor, shots, expected, shot_name, page=title_page):
    """Starts the game on the compositor and waits for its first page (the
    title page, or the page given) in a window of the expected rectangle;
    the game and its window's inside on the screen."""
    game = launch(tools, folder, compositor)
    shot = showing(game, compositor, shots, expected, shot_name, page)
    left, top = compositor.screen[0] + expected[0], compositor.screen[1] + expected[1]
    inside_top = page_top(shot, left + 2, top)
    check(inside_top is not None, 'no white page under the window\'s top at %d, %d' % (left, top))
    return game, (left, inside_top, expected[2], expected[3] - (inside_top - top))


def page_top(shot, x, top):
    """The window's inside starts below its title bar, where the page's
    white does: its first row in the column from the window's top down, or
    None where it is not within 100 rows."""
    for y in range(top, top + 100):
        if min(shot.at(x, y)) >= 240:
            return y
    return None


def title_bar(shot, screen):
    """The rows of the maximised window's title bar on the screen, as
    (first, end): above the page's first white row, the rows of the one
    colour right above it, below weston's panel; in the column a quarter of
    the output's width from its left, away from the title and the panel's
    launcher, where weston leaves its cursor. None where they do not look
    like a title bar."""
    x, top = screen[0] + screen[2] // 4, screen[1]
    end = page_top(shot, x, top)
    if end is None:
        return None
    first = end - 1
    while first > top and shot.at(x, first - 1) == shot.at(x, end - 1):
        first -= 1
    return (first, end) if first > top and 16 <= end - first <= 60 else None


def maximised(compositor):
    return 0, compositor.panel, OUTPUT[0], OUTPUT[1] - compositor.panel


def lost(game, what, held=False, starting=False):
    """The game's end after its compositor went: in order, with exit code 1
    and one line naming the display on standard error and in the log. Where
    the game may have been held inside SDL (`held`), its watch may have
    ended it instead, with the same line as the log's last entry; while
    `starting`, it may also have failed its start with one line saying so.
    How it ended: 'ended in order', 'ended by its watch' or 'could not
    start'."""
    begin = time.monotonic()
    code = game.wait(LOST_SECONDS)
    text = errors(game)
    check(code == 1, '%s: the game ended with %d, not 1:\n%s\n%s' % (what, code, text, game.log()))
    no_protocol_error(game)
    told = [line for line in text.split('\n') if line.startswith('Kestrune lost its display: ')]
    failed = [line for line in text.split('\n') if line.startswith('Kestrune could not start: ')]
    if starting and failed:
        check(len(failed) == 1 and not told, '%s: not one line telling the failed start alone on standard error:\n%s'
              % (what, text))
        way, told = 'could not start', failed
    else:
        check(len(told) == 1 and 'WAYLAND_DISPLAY "%s"' % SOCKET in told[0] and ' broke: ' in told[0],
              '%s: no one line telling the lost display on standard error:\n%s' % (what, text))
        # The log is appended to at every start: the entries of this one.
        entries = game.log_entries()[game.earlier_entries:]
        check(entries and entries[0] == 'Kestrune 20250120 started.', '%s: log\n%s' % (what, game.log()))
        way = 'ended in order' if entries[-2:] == [told[0], 'Shutdown.'] else 'ended by its watch'
        check(way == 'ended in order' or held and entries[-1] == told[0], '%s: log\n%s' % (what, game.log()))
    print('%s: the game %s in %.1f s, telling "%s"' % (what, way, time.monotonic() - begin, told[0]))
    return way


class Acting:
    """An act of the player, repeated on a thread of its own until stopped;
    each time it is given how many times it was done before."""

    def __init__(self, act):
        self.times = 0
        self.failure = None
        self.done = threading.Event()
        self.thread = threading.Thread(target=self.run, args=(act,))
        self.thread.start()

    def run(self, act):
        try:
            while not self.done.is_set():
                act(self.times)
                self.times += 1
        except Exception as e:  # noqa: BLE001 (told by stop)
            self.failure = e

    def stop(self):
        self.done.set()
        self.thread.join()
        if self.failure is not None:
            raise self.failure


def circling(centre, radius):
    """The pointer moved round the centre, a twelfth of the circle a time."""
    def act(times):
        angle = times * math.pi / 6
        desktop.run('xdotool', 'mousemove', round(centre[0] + radius * math.cos(angle)),
                    round(centre[1] + radius * math.sin(angle)))
    return act


def arrow_keys(times):
    desktop.run('xdotool', 'key', 'Left', 'Up', 'Right', 'Down')


def gone_while_acting(game, compositor, acting, ending, moment, what, held=False):
    """Ends the compositor with the signal the moment given after the act's
    first step was done, while it goes on; the game must end as a lost
    display (see lost for `held`). How it ended."""
    # On a busy machine the act's first step may come late: the moment
    # counts from there.
    try:
        desktop.wait_until('%s: the act\'s first step' % what,
                           lambda: acting.times > 0 or acting.failure is not None, every=0.01)
    except BaseException:
        acting.stop()
        raise
    if acting.failure is not None:
        acting.stop()  # raises the act's failure
    # The moment is the point of the round: no state is waited for.
    time.sleep(moment)
    acted = acting.times
    compositor.end(ending)
    try:
        way = lost(game, '%s (after %.2f s)' % (what, moment), held)
    finally:
        acting.stop()
    check(acted > 0, '%s: the act was not done before the compositor went' % what)
    return way


def title_page_shown(game, compositor):
    """Waits for the title page anywhere on the compositor's output, whose
    desktop may still fade in."""
    def shown():
        if game.process.poll() is not None:
            raise RuntimeError('the game ended with %d before its title page showed:\n%s\n%s' %
                               (game.process.returncode, game.log(), errors(game)))
        return title_page(desktop.Screenshot(), compositor.screen)
    return desktop.wait_until('the title page', shown, every=0.1)


def over_title_bar(places, screen, bar):
    """The pointer moved to random places of the title bar's rows from the
    middle of the window to the close button at its right end, every other
    one in the last eighth, where the buttons are: the part of the title bar
    under the pointer changes at nearly every move, and the title bar library
    draws it anew each time. The moves of a turn go in one call of xdotool,
    as fast as the compositor takes them; a call for each would leave the
    game time to take every move before the next."""
    left, _, width, _ = screen

    def act(times):
        moves = []
        for i in range(TITLE_BAR_MOVES):
            low, high = (width * 7 // 8, width) if i % 2 else (width // 2, width * 7 // 8)
            moves += ['mousemove', left + places.randrange(low, high), places.randrange(*bar)]
        desktop.run('xdotool', *moves)
    return act


def pointer_round(tools, folder, compositor, ending, moment, what, places=None):
    """The pointer moved in from outside the compositor's window and about
    the title page while the compositor goes; given a random generator of
    places, over the window's title bar and its buttons instead, where the
    game may be held inside the title bar library when the connection
    breaks. How the game ended."""
    game = launch(tools, folder, compositor)
    try:
        title_page_shown(game, compositor)
        left, top, width, height = compositor.screen
        if places is None:
            act = circling((left + width // 2, top + height // 2), height // 4)
        else:
            bar = desktop.wait_until('the title bar', lambda: title_bar(desktop.Screenshot(), compositor.screen))
            act = over_title_bar(places, compositor.screen, bar)
        return gone_while_acting(game, compositor, Acting(act), ending, moment, what, held=places is not None)
    finally:
        game.kill()


def clients(compositor):
    """The connections the compositor holds on its socket: the connected
    entries of /proc/net/unix that bear its socket's path (those it
    accepted; its listening one aside)."""
    path = os.path.join(compositor.runtime, SOCKET)
    with open('/proc/net/unix') as f:
        # Num RefCount Protocol Flags Type St Inode Path; St 03: connected.
        return sum(1 for fields in map(str.split, f) if fields[5:6] == ['03'] and fields[7:] == [path])


def launch_round(tools, folder, compositor, moment, what):
    """The compositor killed the moment given after the game's launch, while
    the game makes or shows its window. Not before SDL's start on its
    connection has returned, though: a moment before the game's second
    connection shows waits for it. That one is its watch's own, made then
    and closed at the watch's first look once SDL's connection is known (a
    tenth of a second or more later), and looked for every millisecond from
    the launch on. Killed while SDL starts, the compositor leaves SDL 2.26
    without a seat, which it reads all the same, or libdecor 0.1.1 tearing
    down what it never got, and either crashes inside SDL's start, where
    the game has no say (and a kill sent just before SDL connects may take
    effect only after). How it ended."""
    game = launch(tools, folder, compositor)
    try:
        begin = time.monotonic()
        second = False
        while game.process.poll() is None:
            second = second or clients(compositor) >= 2
            if second and time.monotonic() - begin >= moment:
                break
            check(time.monotonic() - begin < 60, '%s: the game\'s second connection to the compositor did not show '
                  'within 60 s' % what)
            time.sleep(0.001)
        compositor.end(signal.SIGKILL)
        return lost(game, '%s (after %.2f s)' % (what, moment), held=True, starting=True)
    finally:
        game.kill()


def keys_round(tools, folder, compositor, moment, what):
    """Arrow keys pressed again and again on the title page while the
    compositor is killed. The keyboard is the compositor's window's, as a
    window manager gives it, and the keys are seen to reach the game: Escape
    takes it from the picture page back to the title page."""
    game = launch(tools, folder, compositor)
    try:
        start_button = min(title_page_shown(game, compositor), key=lambda b: b[0])
        desktop.run('xdotool', 'windowfocus', compositor.window)
        desktop.Pointer.click(*menu.centre(start_button))
        desktop.wait_until('the picture page', lambda: menu.pictures(desktop.Screenshot(), compositor.screen),
                           every=0.1)
        desktop.Pointer.key('Escape')
        title_page_shown(game, compositor)
        gone_while_acting(game, compositor, Acting(arrow_keys), signal.SIGKILL, moment, what)
    finally:
        game.kill()


def drag_round(tools, folder, compositor, shots, number, moment, drop, what):
    """A piece of the saved game, not the one dropped at `drop`, carried
    about while the compositor is killed."""
    game, inside = start(tools, folder, compositor, shots, maximised(compositor), 'drag-%d' % number, games_page)
    try:
        player = menu.Player(Shown(game, inside), shots)
        player.resume_first_game()
        found = player.table(12)
        before = player.shot()
        grab = pieces.inner_point(pieces.away_from(found, drop)[0])
        desktop.Pointer.move(*grab)
        desktop.run('xdotool', 'mousedown', 1)
        acting = Acting(circling(grab, 30))
        try:
            player.wait_for('the piece carried', lambda shot: pieces.differing(before, shot, *player.window) > 0.002)
        except BaseException:
            acting.stop()
            raise
        gone_while_acting(game, compositor, acting, signal.SIGKILL, moment, what)
    finally:
        desktop.run('xdotool', 'mouseup', 1)
        game.kill()


def zoomed_out(player, unzoomed, steps):
    """Waits for the table of 12 pieces zoomed out by the wheel's steps (a
    tenth of a level each) from the pieces given; the pieces. A busy game
    takes the steps one by one as it gets to them, and the table may show
    fewer first: the pieces cover 2^-(steps / 5) of the pixels they covered,
    and each step fewer about 15% more."""
    wanted = sum(map(len, unzoomed)) * 2 ** -(steps / 5)

    def zoomed():
        found = player.table(12)
        return found if abs(sum(map(len, found)) - wanted) < wanted * 0.04 else None
    return desktop.wait_until('the table zoomed out by %d steps of the wheel' % steps, zoomed, every=0.1)


def counted(ways):
    """How many rounds ended each way, as "7 ended in order, 3 ..."."""
    return ', '.join('%d %s' % (count, way) for way, count in sorted(ways.items()))


def main():
    if not os.environ.get('DISPLAY'):
        print('no X display')
        return 77
    tools = sys.argv[1]
    shots_given = len(sys.argv) > 2
    work = tempfile.mkdtemp(prefix='kestrune-wayland-')
    shots = sys.argv[2] if shots_given else os.path.join(work, 'shots')
    os.makedirs(shots, exist_ok=True)
    folder = os.path.join(work, 'game')
    os.makedirs(folder)
    # The player's settings: the game writes its configuration at its
    # first start.
    play.prepare(folder)
    os.remove(os.path.join(folder, 'configuration.txt'))
    compositors = []
    game = None

    def compositor(settle=True):
        made = Compositor(work, 'weston-%d' % (len(compositors) + 1))
        compositors.append(made)
        made.wait_until_ready(settle)
        return made

    try:
        # 1. Maximised, as the configuration written at the first start asks.
        first = compositor()
        game, _ = start(tools, folder, first, shots, maximised(first), 'maximised')
        with open(os.path.join(folder, 'configuration.txt')) as f:
            written = f.read().split('\n')
        check('maximized=true' in written and 'fullscreen=false' in written, 'configuration written:\n%s' % written)
        # The full-screen button (the title page's lowest), and back.
        for expected, name in (((0, 0) + OUTPUT, 'switched-to-full-screen'), (maximised(first), 'switched-back')):
            found = title_page(desktop.Screenshot(), first.screen)
            desktop.Pointer.click(*menu.centre(max(found, key=lambda b: b[1])))
            showing(game, first, shots, expected, name)
        play.end(game, signal.SIGTERM)
        no_protocol_error(game)
        print('maximised: the title page in a window of the output less weston\'s %d-row panel, switched to full '
              'screen and back' % first.panel)

        # 2. Full screen, then weston ended in order under the game.
        with open(os.path.join(folder, 'configuration.txt'), 'w') as f:
            f.write('\n'.join(line.replace('fullscreen=false', 'fullscreen=true') for line in written))
        game, _ = start(tools, folder, first, shots, (0, 0) + OUTPUT, 'full-screen')
        print('full screen: the title page fills the output')
        first.end(signal.SIGTERM)
        lost(game, 'weston ended in order under the game')
        with open(os.path.join(folder, 'configuration.txt'), 'w') as f:
            f.write('\n'.join(written))

        # 3. The compositor going while the player acts on the title page,
        # at a random moment of each round; the seed is told, so that a
        # failed run's moments can be had again.
        seed = int(os.environ.get('KESTRUNE_WAYLAND_SEED', random.randrange(1 << 31)))
        print('the moments of the rounds below come from the seed %d (KESTRUNE_WAYLAND_SEED)' % seed)
        moments = random.Random(seed)
        for _ in range(ACT_ROUNDS):
            for ending, name in ((signal.SIGKILL, 'killed'), (signal.SIGTERM, 'ended in order')):
                pointer_round(tools, folder, compositor(settle=False), ending, moments.uniform(0.2, 1.2),
                              'weston %s while the pointer moved over the title page' % name)
            keys_round(tools, folder, compositor(settle=False), moments.uniform(0.2, 1.2),
                       'weston killed while keys were pressed')

        # 4. A new game; weston killed while a piece is carried.
        second = compositor()
        game, inside = start(tools, folder, second, shots, maximised(second), 'title')
        player = menu.Player(Shown(game, inside), shots)
        player.new_game(menu.steps_down_to(tools, play.PICTURE[0], play.PICTURE[1], 16, 12), 'pieces')
        unzoomed = player.table(12)
        desktop.Pointer.move(*player.inside(player.window[2] // 2, player.window[3] // 2))
        for _ in range(3):
            desktop.run('xdotool', 'click', 5)
        found = zoomed_out(player, unzoomed, 3)
        grab, drop = play.carry(player, found[0], (player.window[2] // 2, player.window[3] // 2))
        dropped = player.shot('dropped')
        others = pieces.away_from(player.table(12), drop)
        check(len(others) == 11, 'the dropped piece is not alone at the drop point')
        start_point = pieces.inner_point(others[0])
        desktop.Pointer.move(*start_point)
        desktop.run('xdotool', 'mousedown', 1)
        try:
            for step in range(1, 7):
                desktop.Pointer.move(start_point[0] + 8 * step, start_point[1] + 6 * step)
            player.wait_for('the piece carried', lambda shot: pieces.differing(dropped, shot, *player.window) > 0.002)
            player.shot('carried')
            second.end(signal.SIGKILL)
        finally:
            desktop.run('xdotool', 'mouseup', 1)
        lost(game, 'weston killed while a piece was carried')
        play.check_archive(tools, folder, grab, drop)
        print('the zoom and the drop made before are in the saved game')

        # Resumed on a new compositor: the same table; then weston killed
        # under the game left alone.
        third = compositor()
        game, inside = start(tools, folder, third, shots, maximised(third), 'saved-games', games_page)
        player = menu.Player(Shown(game, inside), shots)
        player.resume_first_game()
        player.table(12)
        play.same_screen(player, dropped, player.shot('resumed'), 'the game resumed after weston was killed')
        third.end(signal.SIGKILL)
        lost(game, 'weston killed under the game left alone')

        # 5. The saved game resumed, and weston killed while a piece of it is
        # dragged about.
        for number in range(ACT_ROUNDS):
            drag_round(tools, folder, compositor(), shots, number, moments.uniform(0.2, 1.2), drop,
                       'weston killed while a piece was dragged about')
            play.check_archive(tools, folder, grab, drop)
        print('the game ended in order in %d rounds of each act of the player, and the saved game held' % ACT_ROUNDS)

        # 6. The pointer over the title bar while weston is killed; the
        # places come from the seed too. In a folder without a saved game,
        # where the game starts on its title page, with the same settings.
        fresh = os.path.join(work, 'fresh')
        play.prepare(fresh)
        shutil.copy(os.path.join(folder, 'configuration.txt'), fresh)
        ways = collections.Counter(
            pointer_round(tools, fresh, compositor(settle=False), signal.SIGKILL, moments.uniform(0.2, 1.2),
                          'weston killed while the pointer moved over the title bar',
                          random.Random(moments.randrange(1 << 31))) for _ in range(HELD_ROUNDS))
        print('the pointer over the title bar: %s' % counted(ways))

        # 7. weston killed early in the game's start.
        ways = collections.Counter(
            launch_round(tools, fresh, compositor(settle=False), moments.uniform(0, 0.6),
                         'weston killed while the game started') for _ in range(HELD_ROUNDS))
        print('weston killed while the game started: %s' % counted(ways))

        print('on a Wayland compositor: maximised, full screen, and ended in order when the compositor went')
        return 0
    finally:
        if game is not None:
            game.kill()
        desktop.run('xdotool', 'mouseup', 1, check=False)
        for made in compositors:
            made.stop()
        if not shots_given:
            shutil.rmtree(work, ignore_errors=True)


if __name__ == '__main__':
    try:
        sys.exit(main())
    except Exception:
        traceback.print_exc(file=sys.stdout)
        sys.exit(1)
