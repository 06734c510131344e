#!/usr/bin/env python3
"""Writes N random folders of *.csv files, the same for the same N: Windows-1251
and UTF-8 text, with and without a byte-order mark, ',' and ';' delimiters,
CR LF, LF and lone CR line ends, empty lines and fields, quoted fields with
line breaks, a final line without its end, and names outside Windows-1251."""
import os
import random
import sys

LETTERS_1251 = "абвгдеёжзийклмнопрстуфхцчшщъыьэюяАБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ"
OTHER = "éü€日本"


def field(rng, utf8):
    kind = rng.random()
    if kind < 0.1:
        return ""
    if kind < 0.2:
        return str(rng.randint(-10**6, 10**6))
    if kind < 0.3:
        return '"%s, %s"' % (rng.choice(LETTERS_1251), rng.randint(0, 99))
    if kind < 0.35:
        return '"a\r\nb ""c"""'
    alphabet = LETTERS_1251 + "abcxyz #-" + (OTHER if utf8 else "")
    return "".join(rng.choice(alphabet) for _ in range(rng.randint(1, 12)))


def write_file(rng, path, header):
    utf8 = rng.random() < 0.5
    delimiter = rng.choice([",", ",", ";"])
    ends = rng.choice(["\r\n", "\n", "\r\n", "\r"])
    lines = [header] if header else []
    for _ in range(rng.randint(0, 40)):
        if rng.random() < 0.05:
            lines.append("")
            continue
        lines.append(delimiter.join(field(rng, utf8) for _ in range(rng.randint(1, 6))))
    text = ends.join(lines) + (ends if rng.random() < 0.8 else "")
    data = text.encode("utf-8") if utf8 else text.encode("cp1251")
    if utf8 and rng.random() < 0.3:
        data = b"\xef\xbb\xbf" + data
    with open(path, "wb") as out:
        out.write(data)


def main():
    target, count = sys.argv[1], int(sys.argv[2])
    rng = random.Random(20261209)
    for n in range(count):
        folder = os.path.join(target, "folder%02d" % n)
        os.makedirs(folder)
        header = ",".join(rng.sample(["id", "name", "sum", "date", "город"], 3))
        names = ["отчёт %d.csv" % i for i in range(rng.randint(1, 4))]
        names += ["file%d.CSV" % i for i in range(rng.randint(0, 3))]
        if rng.random() < 0.5:
            names.append("café.csv")
        for name in names:
            write_file(rng, os.path.join(folder, name), header if rng.random() < 0.7 else "")
        with open(os.path.join(folder, "notes.txt"), "w") as out:
            out.write("not a source\n")


if __name__ == "__main__":
    main()
