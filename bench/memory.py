# The measurements of run-memory.sh: the peak resident memory (GNU time's
# maximum resident set size) and the wall time of loading a game, for two
# builds side by side, their runs interleaved round by round:
#
#   memory.py BEFORE_BUILD AFTER_BUILD ROUNDS PIECES [PREFIX ...]
#
# - model new: kestrune-model session, "new PICTURE N", sync, quit: the
#   picture decoded, the cut, the table and the meshes of a new game;
# - model resume: kestrune-model session, "resume 0", sync, quit, of that
#   game saved;
# - game new, game resume: bench_game_memory, the same in the game on the X
#   display of DISPLAY, up to the table's first frames (its own peak, VmHWM,
#   and its time from the request to the table shown); left out for a build
#   without bench_game_memory.
#
# The picture is a 4000 x 3000 JPEG of vivid colours in diagonal bands
# (cjpeg, quality 90); N is the request that the cut makes PIECES pieces of
# (999 by default). PREFIX runs before every measured command (chrt, say).
# Prints the median of each build and the ratio after / before.
import os, shutil, statistics, subprocess, sys, tempfile, time

from benchpicture import PICTURE, write_picture

before, after, rounds, pieces = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
prefix = sys.argv[5:]
builds = [os.path.realpath(before), os.path.realpath(after)]


def requested_count(tools):
    """The request that the cut makes `pieces` pieces of."""
    for delta in range(0, pieces // 10 + 50):
        for requested in (pieces + delta, pieces - delta):
            out = subprocess.run([os.path.join(tools, 'kestrune-puzzle'), 'setup', str(PICTURE[0]),
                                  str(PICTURE[1]), str(requested)], capture_output=True, text=True).stdout
            if 'pieces' in out and int(out.split('pieces')[1].split()[0]) == pieces:
                return requested
    raise RuntimeError('no request gives %d pieces' % pieces)


def timed(command, folder, stdin=None):
    """Runs the command in the folder under GNU time: (peak kB, wall s, output)."""
    report = os.path.join(folder, 'time.txt')
    start = time.monotonic()
    done = subprocess.run([*prefix, '/usr/bin/time', '-o', report, '-f', '%M', *command], cwd=folder,
                          input=stdin, capture_output=True, text=True, timeout=900)
    wall = time.monotonic() - start
    if done.returncode != 0:
        raise RuntimeError('%s failed (%d): %s' % (' '.join(command), done.returncode, done.stderr[-400:]))
    with open(report) as f:
        peak = f.read().split()[-1]
    return int(peak), wall, done.stdout


def fresh(work, name, saved=None):
    folder = os.path.join(work, name)
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    if saved is not None:
        shutil.copy(os.path.join(saved, 'puzzles.dat'), folder)
    return folder


def model(build, command, folder):
    peak, wall, out = timed([os.path.join(build, 'bin', 'kestrune-model'), 'session', '--folder', '.'], folder,
                            command + 'sync\nquit\n')
    if 'event puzzleLoaded' not in out:
        raise RuntimeError('kestrune-model did not load the game:\n' + out[-400:])
    return peak, wall * 1000.0


def game(build, arguments, folder):
    peak, _, out = timed([os.path.join(build, 'bench', 'bench_game_memory'), *arguments], folder)
    values = dict(line.split()[:2] for line in out.splitlines() if line.startswith(('peak', 'load')))
    return int(values['peak']), float(values['load'])


def main():
    work = tempfile.mkdtemp(prefix='kestrune-memory-')
    try:
        picture = os.path.join(work, 'picture.jpg')
        write_picture(picture)
        requested = requested_count(os.path.join(builds[1], 'bin'))
        # The saved game both builds resume, made by the build under test.
        saved = fresh(work, 'saved')
        model(builds[1], 'new %s %d\n' % (picture, requested), saved)
        print('picture %d x %d JPEG, %d pieces (requested %d)' % (PICTURE[0], PICTURE[1], pieces, requested))
        print('builds: before %s, after %s; %d rounds' % (builds[0], builds[1], rounds))
        has_game = [os.path.exists(os.path.join(b, 'bench', 'bench_game_memory')) for b in builds]
        cases = [
            ('model new', lambda b, f: model(b, 'new %s %d\n' % (picture, requested), f), None),
            ('model resume', lambda b, f: model(b, 'resume 0\n', f), saved),
        ]
        if all(has_game):
            cases += [
                ('game new', lambda b, f: game(b, ['new', picture, str(requested)], f), None),
                ('game resume', lambda b, f: game(b, ['resume', '0'], f), saved),
            ]
        else:
            print('game left out: no bench_game_memory in ' +
                  ', '.join(b for b, has in zip(builds, has_game) if not has))
        results = {(name, i): ([], []) for name, _, _ in cases for i in range(2)}
        for round in range(rounds):
            for name, measure, source in cases:
                for i, build in enumerate(builds):
                    peak, ms = measure(build, fresh(work, 'run', source))
                    results[(name, i)][0].append(peak)
                    results[(name, i)][1].append(ms)
            print('round %d of %d done' % (round + 1, rounds), file=sys.stderr)
        print('%-13s %11s %11s %7s %11s %11s %7s' % ('', 'before MiB', 'after MiB', 'ratio', 'before ms',
                                                     'after ms', 'ratio'))
        for name, _, _ in cases:
            peaks = [statistics.median(results[(name, i)][0]) / 1024.0 for i in range(2)]
            times = [statistics.median(results[(name, i)][1]) for i in range(2)]
            print('%-13s %11.1f %11.1f %7.3f %11.1f %11.1f %7.3f' % (name, peaks[0], peaks[1], peaks[1] / peaks[0],
                                                                    times[0], times[1], times[1] / times[0]))
        print('(medians of %d runs; game times from the request to the table shown, model times of the '
              'whole session)' % rounds)
    finally:
        shutil.rmtree(work, ignore_errors=True)


main()
