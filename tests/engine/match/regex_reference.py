#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The reference for the regular expression tests: Python's re on the same cases.

Reads a JSON list of cases ({"pattern", "ignoreCase", "wholeWords", "text"}) from standard
input and writes, for each, the list of its matches, each as [start, end, group 1 start,
group 1 end, ...] in code points of the text (-1 for a group that took no part), or the string
"error".

Every line break of the text (CR LF, LF or CR) is read as one "\\n"; "^" and "$" match at each
line's ends. An empty match where the last match ended is passed over, and the search moves on
one character. With whole words, a match counts only where no word character (\\w: a letter,
digit or underscore) stands on either side of it.
"""
import json
import re
import sys


def normalized(text):
    chars, origin = [], []
    i = 0
    while i < len(text):
        origin.append(i)
        if text[i] == "\r":
            chars.append("\n")
            i += 2 if text[i + 1:i + 2] == "\n" else 1
        else:
            chars.append(text[i])
            i += 1
    origin.append(len(text))
    return "".join(chars), origin


def matches(case):
    flags = re.MULTILINE | (re.IGNORECASE if case["ignoreCase"] else 0)
    expression = case["pattern"]
    if case["wholeWords"]:
        expression = r"(?<!\w)(?:" + expression + r")(?!\w)"
    try:
        pattern = re.compile(expression, flags)
    except re.error:
        return "error"
    text, origin = normalized(case["text"])
    found = []
    position, last_end = 0, None
    while position <= len(text):
        m = pattern.search(text, position)
        if not m:
            break
        if m.start() == m.end() == last_end:
            position = m.start() + 1
            continue
        spans = [m.span(0)] + [m.span(k) for k in range(1, pattern.groups + 1)]
        found.append([origin[p] if p >= 0 else -1 for span in spans for p in span])
        last_end = m.end()
        position = m.end() if m.end() > m.start() else m.end() + 1
    return found


def main():
    cases = json.load(sys.stdin)
    json.dump([matches(case) for case in cases], sys.stdout)


if __name__ == "__main__":
    main()
