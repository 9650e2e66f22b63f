# An independent reader of the saved-games file, and sessions of
# kestrune-model driven against it.
#
#   saved_games.py read FILE [ID]            the index, or one game replayed, as JSON
#   saved_games.py random DRIVER DIR PICTURE SEED STEPS
#                                            a random session; the file must agree with the dump
#   saved_games.py kill DRIVER DIR PICTURE SEED ROUNDS
#                                            drops killed at random points; every drop printed
#                                            as saved survives, and the file opens again
#   saved_games.py full DRIVER DIR PICTURE   a file size limit: failures reported, nothing lost
#
# The reader knows the layout of the entries and the rules of the table's
# actions on its own; it shares nothing with the model but the file. Poses of
# parts made by joins depend on the cut's geometry: the reader leaves them
# unknown (None) and the comparison passes over them.
import json, os, random, resource, signal, struct, subprocess, sys, threading, time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'foundation', 'packages'))
import archive_oracle  # noqa: E402


class Reader:
    def __init__(self, data):
        self.data, self.at = data, 0

    def take(self, fmt):
        values = struct.unpack_from('<' + fmt, self.data, self.at)
        self.at += struct.calcsize('<' + fmt)
        return values if len(values) > 1 else values[0]

    def u32s(self):
        return [self.take('I') for _ in range(self.take('I'))]

    def text(self):
        n = self.take('I')
        value = self.data[self.at:self.at + n]
        if len(value) != n:
            raise ValueError('short text')
        self.at += n
        return value.decode('utf-8', 'surrogateescape')

    def end(self):
        return self.at >= len(self.data)


def read_index(data):
    r = Reader(data)
    r.take('I')
    counter = r.take('I')
    games = [r.text() for _ in range(r.take('I'))]
    trash = [r.text() for _ in range(r.take('I'))]
    return {'counter': counter, 'games': games, 'trash': trash}


def read_setup(data):
    r = Reader(data)
    r.take('I')
    seed = r.take('I')
    picture = r.text()
    requested = r.take('I')
    size = list(r.take('ff'))
    grid = list(r.take('II'))
    return {'picture': picture, 'seed': seed, 'requested': requested, 'size': size, 'grid': grid}


def read_table(data):
    r = Reader(data)
    r.take('I')
    order = r.u32s()
    trays = {}
    for key in r.u32s():
        pose = list(r.take('fff'))
        entries = {k: None for k in r.u32s()}
        for k in entries:
            entries[k] = list(r.take('ffd'))
        trays[key] = {'pose': pose, 'entries': entries, 'order': r.u32s()}
    next_part = r.take('I')
    parts = {}
    for key in r.u32s():
        parts[key] = r.u32s()
    preview, red, green, blue, pattern = r.take('IfffI')
    table = {'trayOrder': order, 'trays': trays, 'nextPartId': next_part, 'parts': parts,
             'background': {'preview': preview, 'colour': [red, green, blue], 'pattern': pattern}}
    records = 0
    while not r.end():
        replay(table, r)
        records += 1
    return table, records


def replay(table, r):
    trays, parts = table['trays'], table['parts']
    tag = r.take('I')
    if tag == 1:
        tray, part = r.take('II')
        r.take('ffd')
        ids = r.u32s()
        new = table['nextPartId']
        table['nextPartId'] += 1
        parts[new] = parts[part] + [p for i in ids for p in parts[i]]
        on = trays[tray]
        # Where a joined part lies follows from the cut: unknown here.
        on['entries'][new] = [None, None, None]
        on['order'].append(new)
        for gone in ids + [part]:
            on['order'].remove(gone)
            del on['entries'][gone]
            del parts[gone]
    elif tag == 2:
        tray = r.take('I')
        pose = list(r.take('fff'))
        # A view move of a tray already gone names nothing: passed over.
        if tray not in trays:
            return
        trays[tray]['pose'] = pose
    elif tag == 3:
        preview, red, green, blue, pattern = r.take('IfffI')
        table['background'] = {'preview': preview, 'colour': [red, green, blue], 'pattern': pattern}
    else:
        part, source, target = r.take('III')
        x, y, angle = r.take('ffd')
        if source == target:
            entry = trays[source]['entries'][part]
            entry[0], entry[1] = x, y
            trays[source]['order'].remove(part)
            trays[source]['order'].append(part)
        else:
            if target not in trays:
                trays[target] = {'pose': [0.0, 0.0, 0.0], 'entries': {}, 'order': []}
                table['trayOrder'].append(target)
            trays[source]['order'].remove(part)
            del trays[source]['entries'][part]
            trays[target]['entries'][part] = [x, y, angle]
            trays[target]['order'].append(part)
    # As the next tick of live play: emptied trays go, one always stays.
    for tray in sorted(trays):
        if len(trays) < 2:
            break
        if not trays[tray]['order']:
            del trays[tray]
            table['trayOrder'].remove(tray)


def read_game(path, game):
    archive = archive_oracle.read(path)
    entries = {k: bytes.fromhex(v) for k, v in archive['entries'].items()}
    table, records = read_table(entries['puzzle/%s/table' % game])
    return {'setup': read_setup(entries['puzzle/%s/setup' % game]), 'table': table, 'records': records}


def read_lists(path):
    archive = archive_oracle.read(path)
    data = archive['entries'].get('index')
    lists = read_index(bytes.fromhex(data)) if data is not None else {'counter': 0, 'games': [], 'trash': []}
    lists['status'] = archive['status']
    return lists


def single(x):
    return struct.pack('<f', x)


def differences(game, dump):
    """What the dump says otherwise than the replayed file; empty when they agree."""
    out = []
    s, d = game['setup'], dump['setup']
    for key in ('picture', 'seed', 'requested', 'grid'):
        if s[key] != d[key]:
            out.append('setup %s: %r != %r' % (key, s[key], d[key]))
    if [single(v) for v in s['size']] != [single(v) for v in d['size']]:
        out.append('setup size')
    t, d = game['table'], dump['table']
    for key in ('trayOrder', 'nextPartId'):
        if t[key] != d[key]:
            out.append('%s: %r != %r' % (key, t[key], d[key]))
    if d['complete'] != (len(t['parts']) == 1):
        out.append('complete')
    b, db = t['background'], d['background']
    if (b['preview'], b['pattern']) != (db['preview'], db['pattern']) or \
            [single(v) for v in b['colour']] != [single(v) for v in db['colour']]:
        out.append('background %r != %r' % (b, db))
    if {k: v for k, v in t['parts'].items()} != {p['id']: p['pieces'] for p in d['parts']}:
        out.append('parts')
    dumped = {tray['id']: tray for tray in d['trays']}
    if sorted(t['trays']) != sorted(dumped):
        out.append('trays %r != %r' % (sorted(t['trays']), sorted(dumped)))
        return out
    for tid, tray in t['trays'].items():
        other = dumped[tid]
        if [single(v) for v in tray['pose']] != [single(v) for v in other['pose']]:
            out.append('tray %d pose %r != %r' % (tid, tray['pose'], other['pose']))
        if tray['order'] != other['order']:
            out.append('tray %d order %r != %r' % (tid, tray['order'], other['order']))
        entries = {e['part']: e['pose'] for e in other['entries']}
        if sorted(tray['entries']) != sorted(entries):
            out.append('tray %d entries' % tid)
            continue
        for part, pose in tray['entries'].items():
            x, y, angle = pose
            if x is not None and (single(x), single(y)) != (single(entries[part][0]), single(entries[part][1])):
                out.append('tray %d part %d position %r != %r' % (tid, part, pose, entries[part]))
            if angle is not None and angle != entries[part][2]:
                out.append('tray %d part %d angle %r != %r' % (tid, part, angle, entries[part][2]))
    return out


# ---- sessions of the driver ----

class Driver:
    """kestrune-model session over a folder; output lines gathered by a thread."""

    def __init__(self, driver, folder, limit=None):
        def prepare():
            if limit is not None:
                signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
                resource.setrlimit(resource.RLIMIT_FSIZE, (limit, resource.RLIM_INFINITY))
        self.process = subprocess.Popen([driver, 'session', '--folder', folder], stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE, preexec_fn=prepare, bufsize=0)
        self.lines = []
        self.changed = threading.Condition()
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()

    def _read(self):
        for raw in self.process.stdout:
            with self.changed:
                self.lines.append(raw.decode('utf-8', 'replace').rstrip('\n'))
                self.changed.notify_all()
        with self.changed:
            self.lines.append(None)
            self.changed.notify_all()

    def send(self, *commands):
        try:
            self.process.stdin.write(''.join(c + '\n' for c in commands).encode())
        except BrokenPipeError:
            pass

    def mark(self):
        with self.changed:
            return len(self.lines)

    def wait_for(self, predicate, timeout=120, at=0):
        """The first line from line at on that satisfies the predicate."""
        deadline = time.time() + timeout
        with self.changed:
            while True:
                while at < len(self.lines):
                    line = self.lines[at]
                    at += 1
                    if line is None:
                        raise RuntimeError('the driver ended: %s' % self.lines[-20:])
                    if predicate(line):
                        return line
                if time.time() > deadline:
                    raise RuntimeError('no answer from the driver')
                self.changed.wait(deadline - time.time())

    def dump(self):
        at = self.mark()
        self.send('dump')
        return json.loads(self.wait_for(lambda l: l.startswith('dump '), at=at)[5:])

    def finish(self, kill=False):
        if kill:
            self.process.kill()
        else:
            self.send('quit')
            self.process.stdin.close()
        code = self.process.wait(timeout=120)
        self.reader.join(timeout=120)
        return code

    def saved(self):
        return max([int(l.split()[2]) for l in self.lines if l and l.startswith('event saved ')] + [0])

    def logged(self, text):
        return any(l is not None and l.startswith('log ') and text in l for l in self.lines)


def fail(message):
    print(message)
    sys.exit(1)


def check_replay(folder, dump):
    game = read_game(os.path.join(folder, 'puzzles.dat'), dump['game'])
    found = differences(game, dump)
    if found:
        fail('the file and the dump differ: ' + '; '.join(found[:5]))


def random_session(driver, folder, picture, seed, steps):
    rnd = random.Random(seed)
    d = Driver(driver, folder)
    d.send('new %s %d' % (picture, rnd.choice([9, 16, 25])), 'sync')
    d.wait_for(lambda l: l.startswith('event puzzleLoaded'))
    for _ in range(steps):
        state = d.dump()['table']
        trays = {t['id']: t for t in state['trays']}
        tray = rnd.choice(list(trays))
        parts = trays[tray]['order']
        kind = rnd.random()
        if kind < 0.35 and len(parts) >= 2:
            a, b = rnd.sample(parts, 2)
            d.send('snap %d %d %d' % (tray, a, b))
        elif kind < 0.6 and parts:
            d.send('drop %d %d %.3f %.3f %.3f' % (tray, rnd.choice(parts), rnd.uniform(-500, 500),
                                                  rnd.uniform(-500, 500), rnd.uniform(-3, 3)))
        elif kind < 0.7 and parts:
            others = [t for t in trays if t != tray]
            if others:
                d.send('send %d %d %d' % (rnd.choice(parts), tray, rnd.choice(others)))
            else:
                d.send('send-new %d %d' % (rnd.choice(parts), tray))
        elif kind < 0.75 and parts:
            d.send('send-new %d %d' % (rnd.choice(parts), tray))
        elif kind < 0.85:
            d.send('pan %d %.2f %.2f %.2f' % (tray, rnd.uniform(-99, 99), rnd.uniform(-99, 99), rnd.uniform(-2, 2)))
        elif kind < 0.9:
            d.send('background %d %d %.3f %.3f %.3f' % (rnd.randrange(3), rnd.randrange(4), rnd.random(),
                                                        rnd.random(), rnd.random()))
        elif kind < 0.95:
            d.send('tick %.2f' % rnd.choice([0.02, 0.5, 5.2]))
        else:
            d.send('leave')
        d.send('tick 0.02')
    d.send('sync')
    final = d.dump()
    if d.finish() != 0:
        fail('the session did not end cleanly')
    check_replay(folder, final)
    # And the game resumes as it was left.
    again = Driver(driver, folder)
    again.send('resume %s' % final['game'], 'sync')
    resumed = again.dump()
    again.finish()
    if resumed != final:
        fail('the resumed game differs from the one left')
    print('agree')


def prefix_check(state, drops, saved, position_of):
    """The table holds the first k drops for some k >= saved, and nothing else of them."""
    positions = {e['part']: e['pose'][:2] for t in state['table']['trays'] for e in t['entries']}
    applied = -1
    for i, (part, x, y) in enumerate(drops):
        if positions.get(part) == [x, y]:
            applied = max(applied, i)
    if applied + 1 < saved:
        fail('drop %d was reported saved, the file holds only %d drops' % (saved, applied + 1))
    expected = dict(position_of)
    for part, x, y in drops[:applied + 1]:
        expected[part] = [x, y]
    for part, where in expected.items():
        if positions.get(part) != where:
            fail('part %d lies at %r, expected %r (first %d drops)' % (part, positions.get(part), where, applied + 1))
    return applied + 1


def start_game(driver, folder, picture):
    d = Driver(driver, folder)
    d.send('new %s 16' % picture, 'sync')
    d.wait_for(lambda l: l.startswith('event puzzleLoaded'))
    state = d.dump()
    d.finish()
    return state


def resume(driver, folder, game):
    d = Driver(driver, folder)
    d.send('resume %s' % game, 'sync')
    d.wait_for(lambda l: l.startswith('event puzzleLoaded'))
    state = d.dump()
    if d.finish() != 0:
        fail('the resumed session did not end cleanly')
    return state, d


def kill_rounds(driver, folder, picture, seed, rounds):
    rnd = random.Random(seed)
    state = start_game(driver, folder, picture)
    game = state['game']
    parts = [e['part'] for e in state['table']['trays'][0]['entries']]
    counter, repaired, reported = 0, 0, 0
    for _ in range(rounds):
        position_of = {e['part']: e['pose'][:2] for e in state['table']['trays'][0]['entries']}
        d = Driver(driver, folder)
        d.send('resume %s' % game, 'sync')
        d.wait_for(lambda l: l.startswith('event puzzleLoaded'))
        drops, commands = [], []
        for _ in range(rnd.randrange(10, 60)):
            counter += 1
            part = rnd.choice(parts)
            x, y = 20000.0 + 400.0 * counter, 10000.0 + 50.0 * (counter % 7)
            drops.append((part, x, y))
            commands.append('drop 0 %d %.1f %.1f' % (part, x, y))
            if rnd.random() < 0.1:
                commands.append('pan 0 %d 3 0.5' % counter)
            if rnd.random() < 0.05:
                commands.append('leave')
        d.send(*commands, 'sync')
        # The kill: after a chosen number of saves, then a short random wait.
        wanted = rnd.randrange(0, len(drops) + 1)
        if wanted:
            try:
                d.wait_for(lambda l: l == 'event saved %d' % wanted, timeout=30)
            except RuntimeError:
                pass
        time.sleep(rnd.random() * 0.004)
        d.finish(kill=True)
        saved = d.saved()
        reported += saved
        state, after = resume(driver, folder, game)
        if after.logged('Saved games were damaged'):
            repaired += 1
        status = read_lists(os.path.join(folder, 'puzzles.dat'))['status']
        if status != 'NORMAL':
            fail('the file is left damaged: ' + status)
        prefix_check(state, drops, saved, position_of)
    print('rounds %d saved %d repaired %d' % (rounds, reported, repaired))


def full_disk(driver, folder, picture):
    state = start_game(driver, folder, picture)
    game = state['game']
    position_of = {e['part']: e['pose'][:2] for e in state['table']['trays'][0]['entries']}
    parts = sorted(position_of)
    limit = os.path.getsize(os.path.join(folder, 'puzzles.dat')) + 6000
    d = Driver(driver, folder, limit=limit)
    d.send('resume %s' % game, 'sync')
    d.wait_for(lambda l: l.startswith('event puzzleLoaded'))
    drops = []
    for i in range(120):
        part = parts[i % len(parts)]
        drops.append((part, 30000.0 + 400.0 * i, 500.0))
        d.send('drop 0 %d %.1f %.1f' % drops[-1])
    d.send('sync')
    if d.finish() != 0:
        fail('the session with a full disk did not end cleanly')
    if not d.logged('Failed to save data to puzzle/%s/table.' % game):
        fail('no failure was reported')
    saved = d.saved()
    if not 0 < saved < len(drops):
        fail('%d of %d drops reported saved' % (saved, len(drops)))
    state, _ = resume(driver, folder, game)
    kept = prefix_check(state, drops, saved, position_of)
    print('saved %d kept %d of %d' % (saved, kept, len(drops)))


if __name__ == '__main__':
    command = sys.argv[1]
    if command == 'read':
        if len(sys.argv) > 3:
            print(json.dumps(read_game(sys.argv[2], sys.argv[3]), sort_keys=True))
        else:
            print(json.dumps(read_lists(sys.argv[2]), sort_keys=True))
    elif command == 'random':
        random_session(sys.argv[2], sys.argv[3], sys.argv[4], int(sys.argv[5]), int(sys.argv[6]))
    elif command == 'kill':
        kill_rounds(sys.argv[2], sys.argv[3], sys.argv[4], int(sys.argv[5]), int(sys.argv[6]))
    elif command == 'full':
        full_disk(sys.argv[2], sys.argv[3], sys.argv[4])
    else:
        fail('unknown command ' + command)
