# An independent reader and writer of the archive container, for the tests.
#   archive_oracle.py read FILE        prints {"status": ..., "entries": {name: hex}}
#   archive_oracle.py write FILE       writes a multi-segment file, prints the same
import json, struct, sys, zlib

def enc_str(b):
    return struct.pack('<I', len(b)) + b

def enc_header(entries, length, version):
    out = struct.pack('<I', len(entries))
    for name, attrs in entries:
        out += enc_str(name)
        keys = sorted(attrs)
        out += struct.pack('<I', len(keys))
        for k in keys:
            out += enc_str(k)
        for k in keys:
            out += enc_str(attrs[k])
    out += struct.pack('<Q' if version == 1 else '<I', length)
    return out

def read(path):
    data = open(path, 'rb').read()
    index = {}
    pos = 0
    status = 'NORMAL'
    while pos < len(data):
        start = pos
        if len(data) - pos < 4:
            status = 'INCOMPLETE_LEADER'; break
        t, a, version, zero = data[pos:pos + 4]
        if t != 0x54 or a != 0x41 or zero != 0 or version > 1:
            status = 'BAD_LEADER'; break
        p = pos + 4
        try:
            (count,) = struct.unpack_from('<I', data, p); p += 4
            entries = []
            for _ in range(count):
                (n,) = struct.unpack_from('<I', data, p); p += 4
                name = data[p:p + n]; p += n
                (k,) = struct.unpack_from('<I', data, p); p += 4
                keys = []
                for _ in range(k):
                    (n,) = struct.unpack_from('<I', data, p); p += 4
                    keys.append(data[p:p + n]); p += n
                vals = []
                for _ in range(k):
                    (n,) = struct.unpack_from('<I', data, p); p += 4
                    vals.append(data[p:p + n]); p += n
                entries.append((name, dict(zip(keys, vals))))
            if version == 1:
                (length,) = struct.unpack_from('<Q', data, p); p += 8
            else:
                (length,) = struct.unpack_from('<I', data, p); p += 4
            crc, comp = struct.unpack_from('<II', data, p)
        except struct.error:
            status = 'INCOMPLETE'; break
        if comp != crc ^ 0xFFFFFFFF or zlib.crc32(data[start:p]) != crc:
            status = 'BAD_TRAILER'; break
        for name, attrs in entries:
            if b'offset' not in attrs or b'size' not in attrs:
                index.pop(name, None)
                continue
            off, size = int(attrs[b'offset']), int(attrs[b'size'])
            at = (start + off) if version == 1 else ((start + off) & 0xFFFFFFFF)
            chunk = data[at:at + size]
            if b'append' in attrs:
                index[name] = index.get(name, b'') + chunk
            else:
                index[name] = chunk
        if length == 0:
            break
        pos = start + length
    return {'status': status, 'entries': {k.decode('latin-1'): v.hex() for k, v in sorted(index.items())}}

def write(path):
    out = bytearray()
    where = {}

    def segment(changes, version=1, gap=16):
        # changes: (name, data, append_base) to write data, (name, None, None) to
        # delete, or (name, ('ref', other), None) to point at another entry's bytes.
        start = len(out)
        data_at = 0
        for _ in range(4):  # offsets change the header's size: settle them
            entries, rel, payload = [], data_at, b''
            for name, data, base in changes:
                if data is None:
                    entries.append((name, {}))
                elif isinstance(data, tuple):
                    at, size = where[data[1]]
                    entries.append((name, {b'offset': str(at - start).encode(), b'size': str(size).encode()}))
                else:
                    attrs = {b'offset': str(rel).encode(), b'size': str(len(data)).encode()}
                    if base:
                        attrs[b'append'] = str(base).encode()
                    entries.append((name, attrs))
                    rel += len(data)
                    payload += data
            header = enc_header(entries, 0, version)
            data_at = 4 + len(header) + 8 + gap
        header = enc_header(entries, data_at + len(payload), version)
        body = bytes([0x54, 0x41, version, 0]) + header
        crc = zlib.crc32(body)
        out.extend(body + struct.pack('<II', crc, crc ^ 0xFFFFFFFF) + b'\0' * gap + payload)
        rel = data_at
        for name, data, base in changes:
            if isinstance(data, bytes):
                where[name] = (start + rel, len(data))
                rel += len(data)

    segment([(b'alpha', b'first', None), (b'beta', b'to be removed', None), (b'gamma', b'', None)])
    segment([(b'alpha', b'+second', 5)])
    segment([(b'beta', None, None), (b'delta', b'delta data', None)])
    segment([(b'alpha', b'replaced', None), (b'eta', b'version zero', None)], version=0)
    segment([(b'delta', None, None), (b'epsilon', ('ref', b'delta'), None)], gap=0)
    segment([(b'empty', b'', None), (b'zeta', b'zz', None), (b'zeta', b'!', 2)])
    open(path, 'wb').write(bytes(out))

if __name__ == '__main__':
    if sys.argv[1] == 'write':
        write(sys.argv[2])
    print(json.dumps(read(sys.argv[2]), sort_keys=True))
