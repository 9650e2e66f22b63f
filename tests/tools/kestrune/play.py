# The game played end to end, as a player plays it, on the X display of the
# test run: a new 12-piece game of a generated picture through the title,
# picture and piece-count pages; a piece carried to the middle of the table;
# the game ended with SIGTERM and its saved game checked with
# kestrune-archive; the game resumed after a restart and compared with what
# was on the screen before; then a drop that must survive a SIGKILL right
# after it.
#
#   play.py BIN_FOLDER [SCREENSHOT_FOLDER]
#
# Exit code 0 when everything holds, 77 (skipped) without an X display.
import os, shutil, signal, sys, tempfile, traceback

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import desktop  # noqa: E402
import menu  # noqa: E402
import pieces  # noqa: E402
import saved_game  # noqa: E402

PICTURE = (480, 360)


def write_gradient(path):
    """The test picture: red grows to the right, green downwards, little blue."""
    width, height = PICTURE
    rows = bytearray()
    for y in range(height):
        for x in range(width):
            rows += bytes((90 + 150 * x // (width - 1), 90 + 150 * y // (height - 1), 10))
    with open(path, 'wb') as f:
        f.write(b'P6\n%d %d\n255\n' % (width, height) + bytes(rows))


def prepare(folder):
    os.makedirs(os.path.join(folder, 'gallery'))
    write_gradient(os.path.join(folder, 'gallery', 'gradient.ppm'))
    with open(os.path.join(folder, 'configuration.txt'), 'w') as f:
        f.write('window_width=800\nwindow_height=600\nmaximized=false\nantialiasing=false\n')


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def start(tools, folder, shots):
    game = desktop.Game(os.path.join(tools, 'kestrune'), folder, '--configuration', 'configuration.txt')
    game.wait_for_window()
    return game, menu.Player(game, shots)


def end(game, number):
    game.signal(number)
    code = game.wait(120)
    check(code == 0, 'the game ended with %d after signal %d:\n%s' % (code, number, game.log()))
    entries = game.log_entries()
    check(entries and entries[0] == 'Kestrune 20250120 started.', 'no start entry:\n' + game.log())
    check(entries[-1] == 'Shutdown.', 'no shut-down entry last:\n' + game.log())


def carry(player, piece, to):
    """Carries the piece from its safest point to the window point `to`;
    the grab and drop points on the screen."""
    grab = pieces.inner_point(piece)
    drop = player.inside(*to)
    desktop.Pointer.drag(grab, drop)
    # The pointer leaves, and the piece must lie at the drop point.
    desktop.Pointer.move(*player.inside(player.window[2] - 5, player.window[3] - 5))
    player.wait_for('the piece at the drop point',
                    lambda shot: pieces.is_piece(shot.at(*drop)) and shot.at(*drop) != shot.at(*grab))
    return grab, drop


def journal(tools, folder):
    listed, found = saved_game.entries(tools, os.path.join(folder, 'puzzles.dat'))
    return listed, found


def check_archive(tools, folder, grab, drop):
    listed, found = journal(tools, folder)
    check(set(found) == {'index', 'puzzle/0/setup', 'puzzle/0/table'}, 'entries: %s\n%s' % (sorted(found), listed))
    index = saved_game.index(found['index'])
    check(index['games'] == ['0'] and index['trash'] == [] and index['counter'] == 1, 'index: %s' % index)
    setup = saved_game.setup(found['puzzle/0/setup'])
    check(setup['picture'].endswith('gradient.ppm') and setup['grid'] == (4, 3)
          and setup['seed'] == 0, 'set-up: %s' % setup)
    snapshot, records = saved_game.table(found['puzzle/0/table'])
    check(len(snapshot['parts']) == 12, 'snapshot parts: %d' % len(snapshot['parts']))
    # The zoom held back, then the move that carried it into the file. (The
    # menu records the background it is shown with when a game is loaded,
    # unchanged: those records are passed over.)
    records = [r for r in records if not (r['tag'] == 3 and r['background'] == snapshot['background'])]
    check([r['tag'] for r in records] == [2, 0], 'records: %s' % records)
    zoom, move = records
    check(zoom['tray'] == 0 and abs(zoom['pose'][2] - snapshot['trays'][0]['pose'][2] + 0.3) < 1e-4,
          'zoom: %s from %s' % (zoom, snapshot['trays'][0]['pose']))
    check(move['from'] == 0 and move['to'] == 0 and move['part'] in snapshot['trays'][0]['entries'], 'move: %s' % move)
    # Where the part was dropped: moved by the pointer's way, in table units
    # of the zoomed view (2^-level a pixel, y upwards).
    before = snapshot['trays'][0]['entries'][move['part']]
    scale = 2.0 ** -zoom['pose'][2]
    expected = (before[0] + (drop[0] - grab[0]) * scale, before[1] - (drop[1] - grab[1]) * scale)
    check(abs(move['pose'][0] - expected[0]) < 0.5 and abs(move['pose'][1] - expected[1]) < 0.5
          and move['pose'][2] == before[2], 'dropped at %s, expected %s (from %s)' % (move['pose'], expected, before))
    return move, len(found['puzzle/0/table'])


def same_screen(player, before, after, what):
    share = pieces.differing(before, after, *player.window)
    check(share < 0.005, '%s: %.2f%% of the window differs' % (what, share * 100))


def main():
    if not os.environ.get('DISPLAY'):
        print('no X display')
        return 77
    tools = sys.argv[1]
    shots_given = len(sys.argv) > 2
    work = tempfile.mkdtemp(prefix='kestrune-play-')
    shots = sys.argv[2] if shots_given else os.path.join(work, 'shots')
    os.makedirs(shots, exist_ok=True)
    folder = os.path.join(work, 'game')
    os.makedirs(folder)
    prepare(folder)
    game = None
    try:
        # A new game of 12 pieces.
        game, player = start(tools, folder, shots)
        player.shot('title')
        player.new_game(menu.steps_down_to(tools, PICTURE[0], PICTURE[1], 16, 12), 'pieces')
        # The view zoomed out a little (held back by the shelf), so that
        # every piece is in the window.
        desktop.Pointer.move(*player.inside(player.window[2] // 2, player.window[3] // 2))
        for _ in range(3):
            desktop.run("xdotool", "click", 5)
        found = player.table(12)
        player.shot('table')
        grab, drop = carry(player, found[0], (player.window[2] // 2, player.window[3] // 2))
        before = player.shot('dropped')
        end(game, signal.SIGTERM)
        move, _ = check_archive(tools, folder, grab, drop)

        # Resumed after a restart: the same table.
        game, player = start(tools, folder, shots)
        player.resume_first_game()
        player.table(12)
        after = player.shot('resumed')
        same_screen(player, before, after, 'the resumed game')

        # A drop, then SIGKILL as soon as it is in the file.
        found = player.table(12)
        others = pieces.away_from(found, drop)
        check(len(others) == 11, 'the carried piece is not alone at the drop point')
        size = len(journal(tools, folder)[1]['puzzle/0/table'])
        target = (player.window[2] // 4, player.window[3] * 3 // 4)
        carry(player, others[0], target)
        dropped = player.shot('dropped-before-kill')

        def saved():
            found_now = journal(tools, folder)[1]
            table = found_now.get('puzzle/0/table', b'')
            return len(table) > size and saved_game.table(table)[1][-1]['tag'] == 0
        desktop.wait_until('the drop in the file', saved, 5.0)
        game.kill()

        game, player = start(tools, folder, shots)
        player.resume_first_game()
        player.table(12)
        same_screen(player, dropped, player.shot('resumed-after-kill'), 'the game resumed after SIGKILL')
        end(game, signal.SIGTERM)
        print('played, ended, resumed and killed as a player would')
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
