#!/usr/bin/env python3
"""Checks the files that make-assets writes, by reading their bytes:

  check-assets.py jpeg FILE WIDTH HEIGHT MAX_BYTES   baseline, three components
  check-assets.py png FILE WIDTH HEIGHT              8-bit RGBA, not interlaced
  check-assets.py loop RAW                           16-bit stereo that loops without a seam
  check-assets.py lame-tag FILE                      prints the mp3's encoder delay and padding

Exits non-zero with a message on the first check that fails."""
import array
import os
import struct
import sys

RATE = 44100


def fail(message):
    sys.exit(f'check-assets: {message}')


def jpeg(path, width, height, max_bytes):
    data = open(path, 'rb').read()
    if len(data) > max_bytes:
        fail(f'{path} is {len(data)} bytes, more than {max_bytes}')
    if data[:2] != b'\xff\xd8':
        fail(f'{path} is not a JPEG file')
    at = 2
    while at + 4 <= len(data):
        marker, length = data[at + 1], struct.unpack('>H', data[at + 2:at + 4])[0]
        if 0xC1 <= marker <= 0xCF and marker not in (0xC4, 0xC8, 0xCC):
            fail(f'{path} is not baseline (frame marker FF{marker:02X})')
        if marker == 0xC0:
            h, w, components = struct.unpack('>HHB', data[at + 5:at + 10])
            if (w, h, components) != (width, height, 3):
                fail(f'{path} is {w}x{h} with {components} components, not {width}x{height} with 3')
            return
        at += 2 + length
    fail(f'{path} has no baseline frame header')


def png(path, width, height):
    data = open(path, 'rb').read(33)
    if data[:8] != b'\x89PNG\r\n\x1a\n' or data[12:16] != b'IHDR':
        fail(f'{path} is not a PNG file')
    w, h, depth, colour, _, _, interlace = struct.unpack('>IIBBBBB', data[16:29])
    if (w, h) != (width, height):
        fail(f'{path} is {w}x{h}, not {width}x{height}')
    if (depth, colour, interlace) != (8, 6, 0):
        fail(f'{path} has depth {depth}, colour type {colour}, interlace {interlace}; want 8-bit RGBA, not interlaced')


def window_levels(x, size):
    """RMS of each window of x, and RMS of its first difference: a click shows in the second."""
    levels, rough = [], []
    for at in range(0, len(x) - size + 1, size):
        w = x[at:at + size]
        levels.append((sum(v * v for v in w) / size) ** 0.5)
        rough.append((sum((w[i] - w[i - 1]) ** 2 for i in range(1, size)) / size) ** 0.5)
    return levels, rough


def seamless(x, name):
    """True when the step from the last sample to the first, and a window across the join,
    look like every other place in the channel."""
    steps = sorted(abs(x[i] - x[i - 1]) for i in range(1, len(x)))
    limit = steps[int(len(steps) * 0.999)]
    join = abs(x[0] - x[-1])
    size = RATE // 20
    levels, rough = window_levels(x, size)
    across = x[-(size // 2):] + x[:size - size // 2]
    level, roughness = (v[0] for v in window_levels(across, size))
    print(f'  {name}: join step {join} (0.1% of steps above {limit}); window across the join: '
          f'RMS {level:.0f} (others {min(levels):.0f}..{max(levels):.0f}), '
          f'difference RMS {roughness:.0f} (others {min(rough):.0f}..{max(rough):.0f})')
    return join <= limit and min(levels) <= level <= max(levels) and min(rough) <= roughness <= max(rough)


def loop(path):
    samples = array.array('h', open(path, 'rb').read())
    if not all([seamless(samples[0::2], 'left'), seamless(samples[1::2], 'right')]):
        fail(f'{path} does not loop without a seam')


def lame_tag(path):
    head = open(path, 'rb').read(4096)
    at = head.find(b'LAME')
    if at < 0:
        fail(f'{path} has no encoder tag')
    b = head[at + 21:at + 24]
    print(f'  encoder delay {(b[0] << 4) | (b[1] >> 4)} samples, padding {((b[1] & 15) << 8) | b[2]} samples')


def main(args):
    commands = {'jpeg': (jpeg, 4), 'png': (png, 3), 'loop': (loop, 1), 'lame-tag': (lame_tag, 1)}
    if not args or args[0] not in commands or len(args) - 1 != commands[args[0]][1]:
        fail(__doc__)
    if not os.path.isfile(args[1]):
        fail(f'{args[1]} is missing')
    command, _ = commands[args[0]]
    command(args[1], *(int(a) for a in args[2:]))


if __name__ == '__main__':
    main(sys.argv[1:])
