#!/usr/bin/env python3
"""heif_add_transform.py IN OUT [irot:ANGLE | imir:AXIS]...

Copies a HEIF file whose meta box comes before its media data, giving its
primary item the rotation (irot, ANGLE x 90 degrees anticlockwise) and mirror
(imir, AXIS) properties in the order given, as a phone records how it was
held. Encoders on Debian write neither, and the readers must apply both.
"""
import struct
import sys


def boxes(data, start, end):
    at = start
    while at + 8 <= end:
        size, kind = struct.unpack('>I4s', data[at:at + 8])
        yield kind.decode('latin-1'), at, at + size
        at += size


def box(kind, body):
    return struct.pack('>I4s', 8 + len(body), kind.encode()) + body


def main():
    source, target, transforms = sys.argv[1], sys.argv[2], sys.argv[3:]
    data = open(source, 'rb').read()
    top = {k: (s, e) for k, s, e in boxes(data, 0, len(data))}
    ms, me = top['meta']
    assert ms < top['mdat'][0], 'meta must come first'
    children = {k: (s, e) for k, s, e in boxes(data, ms + 12, me)}
    pitm = children['pitm']
    primary = struct.unpack('>H', data[pitm[0] + 12:pitm[0] + 14])[0]
    ps, pe = children['iprp']
    prp = {k: (s, e) for k, s, e in boxes(data, ps + 8, pe)}
    cs, ce = prp['ipco']
    count = len(list(boxes(data, cs + 8, ce)))
    added = b''
    for t in transforms:
        name, value = t.split(':')
        added += box(name, bytes([int(value)]))
    ipco = box('ipco', data[cs + 8:ce] + added)
    # ipma: version 0, flags 0 (1-byte item ids are 2 bytes, indices 7 bits).
    ss, se = prp['ipma']
    version, flags = data[ss + 8], int.from_bytes(data[ss + 9:ss + 12], 'big')
    assert version == 0 and not flags & 1
    entries = struct.unpack('>I', data[ss + 12:ss + 16])[0]
    at, body = ss + 16, b''
    for _ in range(entries):
        item, n = struct.unpack('>HB', data[at:at + 3])
        links = data[at + 3:at + 3 + n]
        if item == primary:
            links += bytes(0x80 | (count + 1 + i) for i in range(len(transforms)))
        body += struct.pack('>HB', item, len(links)) + links
        at += 3 + n
    ipma = box('ipma', data[ss + 8:ss + 16] + body)
    iprp = box('iprp', ipco + ipma)
    grow = len(iprp) - (pe - ps)
    # iloc: absolute extent offsets behind the meta box move by what it grew.
    ls, le = children['iloc']
    iloc = bytearray(data[ls:le])
    version = iloc[8]
    offset_size, length_size = iloc[12] >> 4, iloc[12] & 15
    base_size, index_size = iloc[13] >> 4, iloc[13] & 15 if version in (1, 2) else 0
    at = 14
    items = struct.unpack('>H', iloc[at:at + 2])[0] if version < 2 else struct.unpack('>I', iloc[at:at + 4])[0]
    at += 2 if version < 2 else 4

    def bump(at, size):
        if size:
            value = int.from_bytes(iloc[at:at + size], 'big')
            iloc[at:at + size] = (value + grow).to_bytes(size, 'big')

    for _ in range(items):
        at += 2 if version < 2 else 4
        method = 0
        if version in (1, 2):
            method = iloc[at + 1] & 15
            at += 2
        at += 2  # data reference index
        base = int.from_bytes(iloc[at:at + base_size], 'big') if base_size else 0
        if method == 0 and base:
            bump(at, base_size)
        at += base_size
        extents = struct.unpack('>H', iloc[at:at + 2])[0]
        at += 2
        for _ in range(extents):
            at += index_size
            if method == 0 and not base:
                bump(at, offset_size)
            at += offset_size + length_size
    meta_body = b''
    for k, s, e in boxes(data, ms + 12, me):
        meta_body += iprp if k == 'iprp' else bytes(iloc) if k == 'iloc' else data[s:e]
    meta = box('meta', data[ms + 8:ms + 12] + meta_body)
    open(target, 'wb').write(data[:ms] + meta + data[me:])


main()
