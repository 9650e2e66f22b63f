# The game on the X display of the test run with an EGL context instead of a
# GLX one (SDL_VIDEO_X11_FORCE_EGL=1): GLEW finds no GLX display there, and
# the game must start all the same, draw its title page and end in order on
# a termination signal. That the context is EGL's is read from the libraries
# the game has loaded: Mesa's EGL driver, and not its GLX one.
#
#   egl.py BIN_FOLDER [SCREENSHOT_FOLDER]
#
# Exit code 0 when everything holds, 77 (skipped) without an X display.
import os, shutil, signal, sys, tempfile, traceback

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import desktop  # noqa: E402
import menu  # noqa: E402
import play  # noqa: E402


def loaded(pid):
    """The file names of the shared libraries mapped in the process."""
    with open('/proc/%d/maps' % pid) as f:
        return {os.path.basename(line.split()[-1]) for line in f if '.so' in line}


def main():
    if not os.environ.get('DISPLAY'):
        print('no X display')
        return 77
    tools = sys.argv[1]
    shots_given = len(sys.argv) > 2
    work = tempfile.mkdtemp(prefix='kestrune-egl-')
    shots = sys.argv[2] if shots_given else os.path.join(work, 'shots')
    os.makedirs(shots, exist_ok=True)
    folder = os.path.join(work, 'game')
    os.makedirs(folder)
    play.prepare(folder)
    game = None
    try:
        # Under AddressSanitizer, the leak checker's count of the game's own
        # suppressions would end its standard error.
        environment = dict(os.environ, SDL_VIDEO_X11_FORCE_EGL='1',
                           LSAN_OPTIONS=os.environ.get('LSAN_OPTIONS', '') + ':print_suppressions=0')
        game = desktop.Game(os.path.join(tools, 'kestrune'), folder, '--configuration', 'configuration.txt',
                            environment=environment)
        game.wait_for_window()
        player = menu.Player(game, shots)
        player.title_page()
        player.shot('egl-title')
        libraries = loaded(game.process.pid)
        drivers = sorted(name for name in libraries if name.startswith(('libEGL_', 'libGLX_')))
        play.check(any(name.startswith('libEGL_mesa') for name in libraries)
                   and not any(name.startswith('libGLX_mesa') for name in libraries),
                   'not an EGL context: the drivers loaded are %s' % drivers)
        play.end(game, signal.SIGTERM)
        with open(game.err.name) as f:
            errors = f.read()
        play.check(errors == '', 'the game wrote on its standard error:\n' + errors)
        print('started on an EGL context on X (%s), drew its title page and ended in order' % ', '.join(drivers))
        return 0
    finally:
        if game is not None:
            game.kill()
        if not shots_given:
            shutil.rmtree(work, ignore_errors=True)


if __name__ == '__main__':
    try:
        sys.exit(main())
    except Exception:
        traceback.print_exc(file=sys.stdout)
        sys.exit(1)
