# The game on a Wayland desktop with no X server of its own: a Wayland
# compositor (weston, drawing with pixman into a window of the test run's X
# display) and the game started with DISPLAY unset and WAYLAND_DISPLAY naming
# the compositor. Its title page must show in the compositor's window on the
# screen, and a termination signal must end it in order (exit code 0,
# "Shutdown." last in its log).
#
#   wayland.py BIN_FOLDER [SCREENSHOT_FOLDER]
#
# Exit code 0 when everything holds, 77 (skipped) without an X display.
import os, shutil, signal, subprocess, sys, tempfile, traceback

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import desktop  # noqa: E402
import menu  # noqa: E402
import play  # noqa: E402

SOCKET = 'kestrune-wayland'

# Under AddressSanitizer: what the Wayland side of the window keeps to the
# end of the process (SDL's Wayland driver in its protocol listeners,
# libdecor's frame and the fonts of its title bar) is not the game's leak.
# The game's runs on X are checked without these.
WAYLAND_LEAKS = 'leak:libSDL2-2.0.so\nleak:libdecor\nleak:libwayland-client.so\nleak:libfontconfig.so\n'


class Compositor:
    """weston as a client of the X display, with its own runtime folder."""

    def __init__(self, work):
        self.work = work
        # Wayland sockets live in XDG_RUNTIME_DIR, a folder only its owner may use.
        self.runtime = os.path.join(work, 'runtime')
        os.mkdir(self.runtime, 0o700)
        environment = dict(os.environ, XDG_RUNTIME_DIR=self.runtime)
        environment.pop('WAYLAND_DISPLAY', None)
        self.log = os.path.join(work, 'weston.txt')
        self.output = open(self.log, 'w')
        # No screen lock while the test waits (--idle-time=0), and an output
        # large enough for the game's window with its title bar.
        self.process = subprocess.Popen(
            ['weston', '--backend=x11-backend.so', '--use-pixman', '--socket=' + SOCKET, '--idle-time=0',
             '--width=1024', '--height=768'], env=environment, stdout=self.output, stderr=subprocess.STDOUT)

    def wait_until_ready(self):
        """The compositor's window on the X display as (left, top, width,
        height), once its socket takes clients."""
        def ready():
            if self.process.poll() is not None:
                raise RuntimeError('weston ended with %d:\n%s' % (self.process.returncode, self.text()))
            if not os.path.exists(os.path.join(self.runtime, SOCKET)):
                return None
            # Its window tells no process id; only one compositor runs.
            found = desktop.run('xdotool', 'search', '--onlyvisible', '--class', '^Weston Compositor$', check=False)
            ids = found.stdout.split()
            return int(ids[0]) if found.returncode == 0 and ids else None
        window = desktop.wait_until('the compositor', ready)
        values = dict(line.split('=') for line in
                      desktop.run('xdotool', 'getwindowgeometry', '--shell', window).stdout.split())
        return int(values['X']), int(values['Y']), int(values['WIDTH']), int(values['HEIGHT'])

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

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(30)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.output.close()


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
    play.prepare(folder)
    compositor = None
    game = None
    try:
        compositor = Compositor(work)
        screen = compositor.wait_until_ready()
        game = desktop.Game(os.path.join(tools, 'kestrune'), folder, '--configuration', 'configuration.txt',
                            environment=compositor.game_environment())

        def shown():
            if game.process.poll() is not None:
                raise RuntimeError('the game ended with %d before its title page showed:\n%s\n%s' %
                                   (game.process.returncode, game.log(), open(game.err.name).read()))
            return title_page(desktop.Screenshot(), screen)
        desktop.wait_until('the title page in the compositor', shown, every=0.1)
        desktop.Screenshot(os.path.join(shots, 'wayland-title.ppm'))
        play.end(game, signal.SIGTERM)
        print('started on a Wayland compositor, showed its title page and ended in order')
        return 0
    finally:
        if game is not None:
            game.kill()
        if compositor is not None:
            compositor.stop()
        if not shots_given:
            shutil.rmtree(work, ignore_errors=True)


if __name__ == '__main__':
    try:
        sys.exit(main())
    except Exception:
        traceback.print_exc(file=sys.stdout)
        sys.exit(1)
