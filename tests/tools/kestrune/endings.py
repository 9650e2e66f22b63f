# Every way a player ends the game ends it in order: the window closed, the
# quit button, Escape in developer mode, an interrupt (Ctrl+C) and the loss
# of the terminal. Each time a zoom of the view was made just before, which
# the game holds back for five seconds: it must be in the saved game all the
# same, and the game must end with exit code 0 and its "Shutdown." entry.
#
#   endings.py BIN_FOLDER [SCREENSHOT_FOLDER]
#
# Exit code 0 when everything holds, 77 (skipped) without an X display.
import os, shutil, signal, sys, tempfile, traceback

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import desktop  # noqa: E402
import menu  # noqa: E402
import pieces  # noqa: E402
import play  # noqa: E402
import saved_game  # noqa: E402


def final_level(tools, folder):
    """The zoom level of tray 0 after the saved table's journal."""
    _, found = saved_game.entries(tools, os.path.join(folder, 'puzzles.dat'))
    snapshot, records = saved_game.table(found['puzzle/0/table'])
    level = snapshot['trays'][0]['pose'][2]
    for record in records:
        if record['tag'] == 2 and record['tray'] == 0:
            level = record['pose'][2]
    return level


def end_by_closing(player):
    desktop.close_window(player.game.window)


def end_by_quitting(player):
    player.leave_game()
    desktop.Pointer.click(*player.quit_button())


def end_by_escape(player):
    # Keys go to the window under the pointer.
    desktop.Pointer.move(*player.inside(player.window[2] // 2, player.window[3] // 2))
    desktop.Pointer.key('Escape')


def end_by_interrupt(player):
    player.game.signal(signal.SIGINT)


def end_by_hang_up(player):
    player.game.signal(signal.SIGHUP)


ENDINGS = [('window closed', end_by_closing, False), ('quit button', end_by_quitting, False),
           ('Escape in developer mode', end_by_escape, True), ('interrupt', end_by_interrupt, False),
           ('terminal lost', end_by_hang_up, False)]


def main():
    if not os.environ.get('DISPLAY'):
        print('no X display')
        return 77
    tools = sys.argv[1]
    shots_given = len(sys.argv) > 2
    work = tempfile.mkdtemp(prefix='kestrune-endings-')
    shots = sys.argv[2] if shots_given else os.path.join(work, 'shots')
    os.makedirs(shots, exist_ok=True)
    base = os.path.join(work, 'base')
    os.makedirs(base)
    play.prepare(base)
    game = None
    try:
        # One saved game of 12 pieces to start from.
        game, player = play.start(tools, base, shots)
        player.new_game(menu.steps_down_to(tools, play.PICTURE[0], play.PICTURE[1], 16, 12), 'pieces')
        player.wait_for('the table', lambda shot: menu.pictures(shot, player.window))
        play.end(game, signal.SIGTERM)

        for name, ending, developer in ENDINGS:
            folder = os.path.join(work, name.replace(' ', '-'))
            shutil.copytree(base, folder)
            os.remove(os.path.join(folder, 'jigsaw_log.txt'))
            if developer:
                with open(os.path.join(folder, 'configuration.txt'), 'a') as f:
                    f.write('developer_mode=true\n')
            level = final_level(tools, folder)
            game, player = play.start(tools, folder, shots)
            player.resume_first_game()
            player.wait_for('the table', lambda shot: menu.pictures(shot, player.window))
            # One step of the wheel towards the player: a zoom held back.
            # It has been made once the screen shows it.
            desktop.Pointer.move(*player.inside(player.window[2] // 2, player.window[3] // 2))
            before = player.shot()
            desktop.run('xdotool', 'click', 4)
            player.wait_for('the zoom', lambda shot: pieces.differing(before, shot, *player.window) > 0.05)
            player.shot(name.replace(' ', '-'))
            ending(player)
            code = game.wait(120)
            play.check(code == 0, '%s: exit code %d\n%s' % (name, code, game.log()))
            entries = game.log_entries()
            play.check(entries[0] == 'Kestrune 20250120 started.' and entries[-1] == 'Shutdown.',
                       '%s: log\n%s' % (name, game.log()))
            after = final_level(tools, folder)
            play.check(abs(after - (level + 0.1)) < 1e-4, '%s: the zoom level saved is %r, not %r + 0.1' %
                       (name, after, level))
            print('%s: ended in order, the held-back zoom saved' % name)
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
