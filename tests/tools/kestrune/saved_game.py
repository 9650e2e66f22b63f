# The saved games of a folder as the end-to-end tests check them: the file
# taken apart with kestrune-archive, and its entries read here from their
# byte layout (index, set-up, and a table entry as its snapshot followed by
# the journal's records, each kept as written).
import os, subprocess, sys, tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'model'))
from saved_games import Reader  # noqa: E402


def entries(tools, archive):
    """The entries of the archive, as a dictionary of their bytes."""
    listed = subprocess.run([os.path.join(tools, 'kestrune-archive'), 'list', archive], capture_output=True,
                            text=True, check=True).stdout
    with tempfile.TemporaryDirectory() as folder:
        subprocess.run([os.path.join(tools, 'kestrune-archive'), 'extract', archive, folder], capture_output=True,
                       check=True)
        found = {}
        for root, _, files in os.walk(folder):
            for name in files:
                path = os.path.join(root, name)
                with open(path, 'rb') as f:
                    found[os.path.relpath(path, folder).replace(os.sep, '/')] = f.read()
    return listed, found


def index(data):
    r = Reader(data)
    version, counter = r.take('II')
    games = [r.text() for _ in range(r.take('I'))]
    trash = [r.text() for _ in range(r.take('I'))]
    return {'version': version, 'counter': counter, 'games': games, 'trash': trash}


def setup(data):
    r = Reader(data)
    version, seed = r.take('II')
    picture = r.text()
    requested = r.take('I')
    size = r.take('ff')
    grid = r.take('II')
    return {'version': version, 'seed': seed, 'picture': picture, 'requested': requested, 'size': size,
            'grid': grid}


def table(data):
    """The snapshot and the records after it, each as written."""
    r = Reader(data)
    version = r.take('I')
    order = r.u32s()
    trays = {}
    for key in r.u32s():
        pose = r.take('fff')
        ids = r.u32s()
        entries = {k: r.take('ffd') for k in ids}
        trays[key] = {'pose': pose, 'entries': entries, 'order': r.u32s()}
    next_part = r.take('I')
    parts = {key: None for key in r.u32s()}
    for key in parts:
        parts[key] = r.u32s()
    background = r.take('IfffI')
    snapshot = {'version': version, 'order': order, 'trays': trays, 'next': next_part, 'parts': parts,
                'background': background}
    records = []
    while not r.end():
        tag = r.take('I')
        if tag == 1:
            tray, part = r.take('II')
            pose = r.take('ffd')
            records.append({'tag': 1, 'tray': tray, 'part': part, 'pose': pose, 'joined': r.u32s()})
        elif tag == 2:
            tray = r.take('I')
            records.append({'tag': 2, 'tray': tray, 'pose': r.take('fff')})
        elif tag == 3:
            records.append({'tag': 3, 'background': r.take('IfffI')})
        else:
            part, source, target = r.take('III')
            records.append({'tag': 0, 'part': part, 'from': source, 'to': target, 'pose': r.take('ffd')})
    return snapshot, records
