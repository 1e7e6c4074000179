#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Generates the benchmark's input: a tree of web-like text files with one search word spread
through them, and optionally one big file. The same arguments always give the same bytes."""

import argparse
import os
import random

MATCHING = ["htm", "html", "php", "txt", "asp", "cfm", "pl"]
OTHER = ["css", "js", "json", "xml", "md"]

VOCABULARY = (
    "the of and to in is you that it he was for on are as with his they at be this have from "
    "or one had by word but not what all were we when your can said there use an each which "
    "she do how their if will up other about out many then them these so some her would make "
    "like him into time has look two more write go see number no way could people my than "
    "first water been call who oil its now find long down day did get come made may part "
    "caf\u00e9 na\u00efve r\u00e9sum\u00e9 stra\u00dfe"
).split()

TAGS = ["p", "div", "span", "li", "td", "h2", "em", "strong"]


def paragraph(rng, word, occurrences):
    words = [rng.choice(VOCABULARY) for _ in range(rng.randint(40, 120))]
    for _ in range(occurrences):
        # Mostly the word itself; now and then a capitalised one, which a case-sensitive
        # replacement leaves alone.
        form = word if rng.random() < 0.9 else word.capitalize()
        words.insert(rng.randrange(len(words) + 1), form)
    lines, line = [], []
    for w in words:
        line.append(w)
        if len(line) >= rng.randint(8, 14):
            lines.append(" ".join(line))
            line = []
    if line:
        lines.append(" ".join(line))
    tag = rng.choice(TAGS)
    return "<%s class=\"c%d\">\n%s\n</%s>\n" % (tag, rng.randrange(100), "\n".join(lines), tag)


def text_of_size(rng, word, size, per_file):
    """About `size` bytes (UTF-8) holding `per_file` occurrences of the word."""
    chunks, total = ["<html><head><title>page</title></head><body>\n"], 0
    placed = 0
    while total < size:
        want = 1 if placed < per_file and rng.random() < 0.5 else 0
        p = paragraph(rng, word, want)
        placed += want
        chunks.append(p)
        total += len(p.encode("utf-8"))
    while placed < per_file:
        chunks.append(paragraph(rng, word, 1))
        placed += 1
    chunks.append("</body></html>\n")
    return "".join(chunks)


def make_tree(root, files, total_bytes, word, seed, list_path):
    rng = random.Random(seed)
    size = max(256, total_bytes // files)
    # A pool of ready-made texts keeps the generation fast; each file takes one and adds its
    # own number, so no two files are the same.
    pool = [text_of_size(rng, word, size, rng.randint(2, 6)) for _ in range(64)]
    matching = []
    for i in range(files):
        sub = os.path.join(root, "d%02d" % (i % 40), "s%d" % (i % 7))
        os.makedirs(sub, exist_ok=True)
        ext = rng.choice(MATCHING) if rng.random() < 0.75 else rng.choice(OTHER)
        name = os.path.join(sub, "page%05d.%s" % (i, ext))
        with open(name, "w", encoding="utf-8", newline="") as f:
            f.write("<!-- %d -->\n" % i)
            f.write(rng.choice(pool))
        if ext in MATCHING:
            matching.append(os.path.relpath(name, root))
    if list_path:
        with open(list_path, "wb") as f:
            for name in sorted(matching):
                f.write(name.encode() + b"\0")


def make_big(path, total_bytes, word, seed):
    rng = random.Random(seed)
    pool = [text_of_size(rng, word, 64 * 1024, 8) for _ in range(32)]
    written = 0
    with open(path, "w", encoding="utf-8", newline="") as f:
        while written < total_bytes:
            piece = rng.choice(pool)
            f.write(piece)
            written += len(piece.encode("utf-8"))


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--tree", help="folder to create the tree in")
    parser.add_argument("--files", type=int, default=5000)
    parser.add_argument("--total-mb", type=float, default=50)
    parser.add_argument("--list", help="write the matching files' paths, NUL-separated")
    parser.add_argument("--big", help="also write one big file here")
    parser.add_argument("--big-mib", type=float, default=256)
    parser.add_argument("--word", default="widget")
    parser.add_argument("--seed", type=int, default=7)
    args = parser.parse_args()
    if args.tree:
        make_tree(args.tree, args.files, int(args.total_mb * 1e6), args.word, args.seed,
                  args.list)
    if args.big:
        make_big(args.big, int(args.big_mib * 1024 * 1024), args.word, args.seed)


if __name__ == "__main__":
    main()
