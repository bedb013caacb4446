#!/usr/bin/env python3
"""Writes the sine and three-class example data files (deterministic).

Run from the examples directory: python3 generate_examples.py
"""
import math
import random


def write(path, comment, inputs, outputs, rows):
    with open(path, "w") as f:
        f.write(f"* {comment}\n[INPUTS] {inputs}\n[OUTPUTS] {outputs}\n")
        for row in rows:
            f.write(" ".join(f"{v:.6g}" for v in row) + "\n")


def sine_rows(count, rng, jitter):
    rows = []
    for k in range(count):
        x = 2 * math.pi * (k + (rng.random() if jitter else 0.5)) / count
        rows.append((x, math.sin(x)))
    return rows


def class_rows(count, rng):
    centres = [(-1.0, -0.5), (1.0, -0.5), (0.0, 1.2)]
    rows = []
    for k in range(count):
        c = k % 3
        x = rng.gauss(centres[c][0], 0.35)
        y = rng.gauss(centres[c][1], 0.35)
        rows.append((x, y) + tuple(1 if j == c else 0 for j in range(3)))
    return rows


rng = random.Random(20261206)
write("sine.trn", "sin(x) for x in [0, 2 pi]: training points", 1, 1, sine_rows(120, rng, True))
write("sine.tst", "sin(x) for x in [0, 2 pi]: testing points between them", 1, 1, sine_rows(40, rng, False))
write("classes.trn", "three clusters of points (x, y); one output per class", 2, 3, class_rows(300, rng))
write("classes.tst", "three clusters of points (x, y); one output per class", 2, 3, class_rows(150, rng))
