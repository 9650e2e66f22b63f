# The measurements of run-pacing.sh, made from outside the game on the X
# display of DISPLAY: two kestrune binaries side by side, each started as a
# player starts it and driven with xdotool, the screen read by screen-watch.
#
#   pacing.py SCREEN_WATCH XVFB_PID TOOLS BEFORE AFTER [REPEATS]
#
# TOOLS is a bin folder with kestrune-puzzle, kestrune-model and
# kestrune-gallery (they make the saved 999-piece games both binaries open
# and the gallery's sample pictures). Prints the medians of REPEATS runs
# (default 3) with the goals.
#
# KESTRUNE_BENCH_PARTS chooses what is measured (default "pacing list"):
#   pacing  the measures of run-pacing.sh on the bare X server;
#   list    launch -> the saved-games list complete, under a window manager
#           (openbox, started here unless the display has one already):
#           the game started maximised in a play folder as a player has it
#           (five saved 999-piece games of 4000 x 3000 JPEGs, the gallery's
#           four sample pictures), once with one picture for the five games
#           and once with five different pictures.
import math, os, shutil, statistics, subprocess, sys, tempfile, time

from benchpicture import PICTURE, write_picture

SCREEN = (1280, 1024)
PIECES = 999
# The table is shown when its grey cloth covers this share of the window
# (and pieces a hundredth of it; the loading and list pages are white).
TABLE_SHARE = 0.4
CPU_SECONDS = 5.0
SETTLE_SECONDS = 1.5
CARRY_SECONDS = 3.0
# The saved games of the list's measure, and the vivid pixels a thumbnail of
# one shows in the list (128 x 128 of strong colours).
LIST_GAMES = 5
THUMBNAIL_PIXELS = 16000
# The list is complete when its pixels stayed the same this long.
LIST_QUIET = 1.0

watch, xvfb_pid, tools, binaries = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4:6]
repeats = int(sys.argv[6]) if len(sys.argv) > 6 else 3
ticks = os.sysconf('SC_CLK_TCK')


def run(*args, seconds=120, **kwargs):
    return subprocess.run([str(a) for a in args], capture_output=True, text=True, timeout=seconds, check=True,
                          **kwargs)


def cpu_seconds(pid):
    """User and system time of every thread of the process (0 for none)."""
    if pid == 0:
        return 0.0
    with open('/proc/%d/stat' % pid) as f:
        fields = f.read().rsplit(')', 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / ticks


def cores(game_pid, seconds):
    """Cores used by the game and by the X server over the seconds."""
    g0, x0, t0 = cpu_seconds(game_pid), cpu_seconds(xvfb_pid), time.monotonic()
    time.sleep(seconds)
    g1, x1, t1 = cpu_seconds(game_pid), cpu_seconds(xvfb_pid), time.monotonic()
    return (g1 - g0) / (t1 - t0), (x1 - x0) / (t1 - t0)


def requested_count():
    """The count to ask for that the grid cuts into 999 pieces."""
    for requested in range(PIECES - 40, PIECES + 41):
        out = run(os.path.join(tools, 'kestrune-puzzle'), 'setup', PICTURE[0], PICTURE[1], requested).stdout
        if 'pieces' in out and int(out.split('pieces')[1].split()[0]) == PIECES:
            return requested
    raise RuntimeError('no requested count gives %d pieces' % PIECES)


def make_saved_game(folder, pictures):
    """A 999-piece game of each picture, the last one first in the list."""
    requested = requested_count()
    script = ''.join('new %s %d\nsync\n' % (picture, requested) for picture in pictures)
    run(os.path.join(tools, 'kestrune-model'), 'session', '--folder', folder, input=script + 'quit\n', seconds=600)
    if not os.path.exists(os.path.join(folder, 'puzzles.dat')):
        raise RuntimeError('kestrune-model made no saved game')


class Game:
    """A binary started in a fresh copy of the saved games."""

    def __init__(self, binary, saved, size, antialiasing):
        self.folder = tempfile.mkdtemp(prefix='kestrune-pacing-')
        shutil.copy(os.path.join(saved, 'puzzles.dat'), self.folder)
        with open(os.path.join(self.folder, 'configuration.txt'), 'w') as f:
            f.write('window_width=%d\nwindow_height=%d\nmaximized=false\nantialiasing=%s\n' %
                    (size[0], size[1], 'true' if antialiasing else 'false'))
        self.size = size
        self.process = None
        screen = ['0', '0', str(SCREEN[0]), str(SCREEN[1])]
        if subprocess.run([watch, 'wait', 'button', '1', '0', *screen], stdout=subprocess.DEVNULL).returncode == 0:
            raise RuntimeError('another window with buttons is on the screen')
        # The screen is read from before the launch.
        watcher = subprocess.Popen([watch, 'wait', 'button', '2000', '60', *screen], stdout=subprocess.PIPE, text=True)
        time.sleep(0.3)
        self.launched = time.time()
        self.process = subprocess.Popen([binary, '--configuration', 'configuration.txt'], cwd=self.folder,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            out, _ = watcher.communicate(timeout=90)
            if watcher.returncode != 0:
                raise RuntimeError('the list was not painted')
            self.list_painted = float(out.split()[0]) - self.launched
            self.window = self.geometry()
        except BaseException:
            self.end()
            raise

    def geometry(self):
        end = time.monotonic() + 30
        while True:
            found = subprocess.run(['xdotool', 'search', '--onlyvisible', '--pid', str(self.process.pid)],
                                   capture_output=True, text=True)
            if found.returncode == 0 and found.stdout.split():
                break
            if time.monotonic() > end:
                raise RuntimeError('the game window was not found')
            time.sleep(0.05)
        window = found.stdout.split()[0]
        values = dict(line.split('=') for line in run('xdotool', 'getwindowgeometry', '--shell', window).stdout.split())
        return int(values['X']), int(values['Y']), int(values['WIDTH']), int(values['HEIGHT'])

    def rectangle(self):
        return [str(v) for v in self.window]

    def resume(self):
        """Clicks the saved game's thumbnail; seconds to the pieces shown."""
        left, top, width, height = self.window
        # The list below the coloured title.
        below = [str(v) for v in (left, top + height // 5, width, height - height // 5)]
        # Once its thumbnail has come.
        end = time.monotonic() + 60
        while True:
            found = subprocess.run([watch, 'find', *below], capture_output=True, text=True)
            if found.returncode == 0:
                break
            if time.monotonic() > end:
                raise RuntimeError('no thumbnail of the saved game')
            time.sleep(0.05)
        x, y = found.stdout.split()
        share = str(int(TABLE_SHARE * width * height))
        out = run(watch, 'click-wait', x, y, 'table', share, 60, *self.rectangle()).stdout
        return float(out.split('click')[1].split()[0])

    def park_pointer(self):
        run('xdotool', 'mousemove', self.window[0] + self.window[2] - 3, self.window[1] + self.window[3] - 3)

    def carry(self):
        """Screen updates a second while a piece is carried round a circle."""
        x, y = (int(v) for v in run(watch, 'find', *self.rectangle()).stdout.split())
        run('xdotool', 'mousemove', '--sync', x, y)
        run('xdotool', 'mousedown', '1')
        # One xdotool for the whole carry: a motion every 4 ms, round and round.
        steps = []
        radius = min(self.window[2], self.window[3]) // 6
        for i in range(int((CARRY_SECONDS + 1.5) / 0.004)):
            a = i * 0.02
            steps += ['mousemove', str(int(x + radius * math.sin(a))), str(int(y - radius + radius * math.cos(a))),
                      'sleep', '0.004']
        mover = subprocess.Popen(['xdotool'] + steps, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(0.5)
        out = run(watch, 'count', CARRY_SECONDS, *self.rectangle()).stdout.split()
        mover.wait(120)
        run('xdotool', 'mouseup', '1')
        seconds = float(out[5])
        return int(out[1]) / seconds, int(out[3]) / seconds

    def end(self):
        if self.process is not None and self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(60)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        shutil.rmtree(self.folder, ignore_errors=True)


class WindowManager:
    """Openbox on the display, unless a window manager runs there already."""

    def __init__(self):
        self.process = None
        ready = os.path.join(tempfile.mkdtemp(prefix='kestrune-wm-'), 'ready')
        process = subprocess.Popen(['openbox', '--sm-disable', '--startup', 'touch %s' % ready],
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        end = time.monotonic() + 30
        while not os.path.exists(ready):
            if process.poll() is not None:
                # Another window manager has the display.
                break
            if time.monotonic() > end:
                process.kill()
                raise RuntimeError('openbox did not start')
            time.sleep(0.05)
        else:
            self.process = process
        shutil.rmtree(os.path.dirname(ready), ignore_errors=True)

    def end(self):
        if self.process is not None:
            self.process.terminate()
            self.process.wait(30)
            self.process = None


def list_launch(binary, saved, gallery):
    """Seconds from the launch, maximised, to the first thumbnail of the
    saved-games list and to the list complete (its pixels settled with all
    the thumbnails)."""
    folder = tempfile.mkdtemp(prefix='kestrune-list-')
    process = None
    try:
        shutil.copy(os.path.join(saved, 'puzzles.dat'), folder)
        shutil.copytree(gallery, os.path.join(folder, 'gallery'))
        with open(os.path.join(folder, 'configuration.txt'), 'w') as f:
            f.write('maximized=true\n')
        # The pointer on the window's title bar, off the game's items.
        run('xdotool', 'mousemove', SCREEN[0] // 4, 4)
        # Below the title: the list and the buttons beside it.
        top = SCREEN[1] // 4
        watcher = subprocess.Popen([watch, 'settle', 'vivid', str(THUMBNAIL_PIXELS), str(LIST_QUIET), '60',
                                    '0', str(top), str(SCREEN[0]), str(SCREEN[1] - top)],
                                   stdout=subprocess.PIPE, text=True)
        # Launched once the screen has been read.
        if not watcher.stdout.readline().startswith('start'):
            raise RuntimeError('screen-watch did not start')
        launched = time.time()
        process = subprocess.Popen([binary, '--configuration', 'configuration.txt'], cwd=folder,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        out, _ = watcher.communicate(timeout=90)
        lines = out.split('\n')
        if watcher.returncode != 0 or len(lines) < 2:
            raise RuntimeError('the list did not settle')
        settled = float(lines[0].split()[0])
        thumbnails = dict((int(k), float(t)) for k, t in (line.split() for line in lines[1:] if line))
        if len(thumbnails) != LIST_GAMES:
            raise RuntimeError('the list settled with %d thumbnails, not %d' % (len(thumbnails), LIST_GAMES))
        return thumbnails[1] - launched, settled - launched
    finally:
        if process is not None and process.poll() is None:
            process.terminate()
            try:
                process.wait(60)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
        shutil.rmtree(folder, ignore_errors=True)


def measure_list(cases, gallery, results):
    """The list's measures of each binary for each case of saved games, the
    runs taking turns."""
    manager = WindowManager()
    try:
        for _ in range(repeats):
            for case, saved in cases:
                for binary, found in zip(binaries, results):
                    first, complete = list_launch(binary, saved, gallery)
                    found.setdefault('list first ' + case, []).append(first)
                    found.setdefault('list ' + case, []).append(complete)
    finally:
        manager.end()


def measure_once(binary, saved, add):
    """One run of every measurement of the binary."""
    game = Game(binary, saved, SCREEN, True)
    try:
        add('launch', game.list_painted)
        time.sleep(SETTLE_SECONDS)
        title = cores(game.process.pid, CPU_SECONDS)
        add('title game', title[0])
        add('title x', title[1])
        add('resume', game.resume())
        game.park_pointer()
        time.sleep(SETTLE_SECONDS)
        table = cores(game.process.pid, CPU_SECONDS)
        add('table game', table[0])
        add('table x', table[1])
    finally:
        game.end()
    for size in ((800, 600), SCREEN):
        for antialiasing in (False, True):
            game = Game(binary, saved, size, antialiasing)
            try:
                game.resume()
                time.sleep(SETTLE_SECONDS)
                updates, reads = game.carry()
                add('carry %dx%d %s' % (size[0], size[1], 'on' if antialiasing else 'off'), updates)
                add('reads', reads)
            finally:
                game.end()


def measure(saved, list_cases, gallery):
    """The medians of each binary, the runs of the two taking turns so that
    a change of the machine's load falls on both."""
    results = [{} for _ in binaries]
    if 'pacing' in PARTS:
        for _ in range(repeats):
            for binary, found in zip(binaries, results):
                measure_once(binary, saved, lambda name, value: found.setdefault(name, []).append(value))
    if 'list' in PARTS:
        measure_list(list_cases, gallery, results)
    medians = []
    for found in results:
        values = {name: statistics.median(runs) for name, runs in found.items()}
        if 'reads' in found:
            values['reads'] = min(found['reads'])
        values['ranges'] = {name: (min(runs), max(runs)) for name, runs in found.items()}
        values['runs'] = found
        medians.append(values)
    return medians


ROWS = [
    ('title game', 'left alone on the title page: cores, the game', '%.3f', '<= 0.05'),
    ('title x', '  the same, the X server (Xvfb)', '%.3f', ''),
    ('table game', 'left alone on a still 999-piece table: cores, the game', '%.3f', '<= 0.05'),
    ('table x', '  the same, the X server (Xvfb)', '%.3f', ''),
    ('carry 800x600 off', 'carrying a part, 800 x 600, no antialiasing: updates/s', '%.1f', '>= 60'),
    ('carry 800x600 on', 'carrying a part, 800 x 600, antialiasing: updates/s', '%.1f', '>= 60'),
    ('carry 1280x1024 off', 'carrying a part, 1280 x 1024, no antialiasing: updates/s', '%.1f', ''),
    ('carry 1280x1024 on', 'carrying a part, 1280 x 1024, antialiasing: updates/s', '%.1f', '>= 30'),
    ('launch', 'launch -> the list painted: s', '%.3f', '<= 0.3'),
    ('resume', 'resume click -> 999 pieces shown: s', '%.3f', '<= 0.3'),
    ('list first one', 'maximised launch -> first saved-game thumbnail: s', '%.3f', ''),
    ('list one', '  -> list of 5 games of one picture complete: s', '%.3f', '<= 0.35'),
    ('list first five', 'maximised launch -> first saved-game thumbnail: s', '%.3f', ''),
    ('list five', '  -> list of 5 games of 5 pictures complete: s', '%.3f', '<= 0.35'),
]

# The rows whose spread over the runs is printed too: the times waited,
# which vary most with the load of a shared machine.
RANGES = ('launch', 'resume', 'list one', 'list five')
PARTS = os.environ.get('KESTRUNE_BENCH_PARTS', 'pacing list').split()


def main():
    work = tempfile.mkdtemp(prefix='kestrune-pacing-bench-')
    try:
        pictures = [os.path.join(work, 'picture%d.jpg' % i) for i in range(LIST_GAMES)]
        for i, picture in enumerate(pictures if 'list' in PARTS else pictures[:1]):
            write_picture(picture, i)
        saved = os.path.join(work, 'saved')
        os.makedirs(saved)
        if 'pacing' in PARTS:
            make_saved_game(saved, pictures[:1])
        cases, gallery = [], os.path.join(work, 'gallery')
        if 'list' in PARTS:
            for case, chosen in (('one', pictures[:1] * LIST_GAMES), ('five', pictures)):
                folder = os.path.join(work, 'saved-' + case)
                os.makedirs(folder)
                make_saved_game(folder, chosen)
                cases.append((case, folder))
            run(os.path.join(tools, 'kestrune-gallery'), gallery)
        medians = measure(saved, cases, gallery)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print('before: %s' % binaries[0])
    print('after:  %s' % binaries[1])
    print('medians of %d runs; the machine is shared, so single figures are noisy' % repeats)
    print('%-58s %9s %9s  %s' % ('', 'before', 'after', 'goal'))
    for key, label, form, goal in ROWS:
        if key not in medians[0]:
            continue
        print('%-58s %9s %9s  %s' % (label, form % medians[0][key], form % medians[1][key], goal))
        if key in RANGES:
            spread = ('before %s to %s, after %s to %s' % (form, form, form, form)) % (
                medians[0]['ranges'][key] + medians[1]['ranges'][key])
            print('%-58s %s' % ('  the same, the fastest run to the slowest', spread))
    if 'pacing' in PARTS:
        print("cores: the game's CPU time (all its threads) over the wall time; the X server's share is not in it")
        print("and is shown apart (0 when the display is not the script's own)")
        print('screen updates are counted on reads of the window, at least %.0f and %.0f reads a second' %
              (medians[0]['reads'], medians[1]['reads']))
    if 'list' in PARTS:
        print('the list complete: the first read of the pixels below its title that then stayed %.1f s the same,' %
              LIST_QUIET)
        print('with %d thumbnails shown; every run, in order:' % LIST_GAMES)
        for key in ('list one', 'list five'):
            for name, values in zip(('before', 'after'), medians):
                print('  %-10s %-7s %s' % (key, name, ' '.join('%.3f' % v for v in values['runs'][key])))


main()
