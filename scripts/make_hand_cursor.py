#!/usr/bin/env python3
"""Writes server/res/hand.cur, the links' pointing hand, from the picture below.

32 by 32, monochrome. 'X' is black, '.' white, anything else transparent.
The hot spot is the top of the index finger.
"""
import struct
import sys

HOT_SPOT = (12, 7)

PICTURE = """
           XXX
          X...X
          X...X
          X...X
          X...X
          X...XXXX
          X...X..XXXX
          X...X..X..XXXX
          X...X..X..X..X
     XX   X...X..X..X..X
    X..X  X............X
    X...X X............X
     X...XX............X
      X...X............X
      X................X
       X...............X
       X..............X
        X.............X
        X............X
         X...........X
         X...........X
          XXXXXXXXXXXX
"""


def rows():
    # The picture starts at the fingertip's row.
    lines = PICTURE.strip("\n").split("\n")
    grid = [" " * 32] * HOT_SPOT[1] + [line.ljust(32)[:32] for line in lines]
    grid += [" " * 32] * (32 - len(grid))
    return grid


def mask_row(line, wanted):
    value = 0
    for column, char in enumerate(line):
        if wanted(char):
            value |= 1 << (31 - column)
    return struct.pack(">I", value)


def cursor_bytes():
    grid = rows()
    assert grid[HOT_SPOT[1]][HOT_SPOT[0]] == "X", "the hot spot must be on the fingertip"
    bottom_up = list(reversed(grid))
    xor = b"".join(mask_row(line, lambda c: c == ".") for line in bottom_up)
    and_ = b"".join(mask_row(line, lambda c: c not in "X.") for line in bottom_up)
    header = struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, 1, 0, len(xor) + len(and_), 0, 0, 2, 2)
    colours = struct.pack("<II", 0x000000, 0xFFFFFF)
    image = header + colours + xor + and_
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", 32, 32, 2, 0, HOT_SPOT[0], HOT_SPOT[1], len(image), 6 + 16)
    return directory + entry + image


if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else "server/res/hand.cur"
    with open(out, "wb") as f:
        f.write(cursor_bytes())
