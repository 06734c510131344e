#!/usr/bin/env python3
"""Sources in UTF-16, CP866 and KOI8-R, decoded by Python's codecs; bytes
that are not UTF-8 written into a UTF-8 file as Python's "replace" reads them.

Random texts (Cyrillic, ASCII, tabs, quotes, CR LF, characters outside the
Basic Multilingual Plane for UTF-16) are written in each encoding; the
program merges them with that --encoding, and the same texts written as
UTF-8 with --encoding utf-8. Both runs must give the same bytes and the same
words on standard error, so Python's codecs are the model of the decoding
and the program's own UTF-8 path that of everything after it. Every option
set is tried with each: plain, quotes with a header, and a Windows-1251
output (where characters it lacks become "?" and are counted).
A file of UTF-8 with broken sequences among its bytes, merged into a UTF-8
file, must give what the same file decoded with errors="replace" gives, and
the count of U+FFFD on standard error.
Usage: source_encodings_test.py <kleitab>
"""
import os
import random
import subprocess
import sys
import tempfile

ALPHABET = list("abcXYZ019 ,;\t\"\r\nАБВЯабвяЁё№€") + ["\u2593", "\u2552", "\u00b0"]
ASTRAL = ["\U0001F600", "\U00010348"]

# (--encoding name, Python codec, mark written before the text, may hold astral)
ENCODINGS = [
    ("utf-16", "utf-16-le", b"\xff\xfe", True),
    ("UTF-16", "utf-16-be", b"\xfe\xff", True),  # the mark wins over the default order
    ("utf-16le", "utf-16-le", b"", True),
    ("utf-16be", "utf-16-be", b"", True),
    ("auto", "utf-16-le", b"\xff\xfe", True),
    ("auto", "utf-16-be", b"\xfe\xff", True),
    ("cp866", "cp866", b"", False),
    ("koi8-r", "koi8_r", b"", False),
]
OPTION_SETS = [
    ["-d", "tab", "--utf8"],
    ["-d", "tab", "--utf8", "--quotes", "--header", "--match-headers", "--quote-output"],
    ["-d", ";", "--file-name", "name"],
]


def random_text(rng, codec, astral):
    chars = ALPHABET + (ASTRAL if astral else [])
    text = "".join(rng.choice(chars) for _ in range(rng.randint(0, 300)))
    # What the codec cannot hold is left out: those files cannot exist.
    return "".join(c for c in text if c.encode(codec, errors="ignore"))


def run(kleitab, env, args):
    out = subprocess.run([kleitab, "-o", "-"] + args, env=env, capture_output=True, check=False)
    return out.returncode, out.stdout, out.stderr


# Pieces of a file that is not quite UTF-8: no CR alone, which a plain line
# drops from the middle of a sequence.
BROKEN_PIECES = [b"a", b"7", b",", b'"', b"\n", b"\r\n", "ж".encode(), "€".encode(),
                 "\U0001F600".encode(), b"\x80", b"\xbf", b"\xc0", b"\xc3", b"\xe2\x82",
                 b"\xed\xa0\x80", b"\xf0\x90", b"\xf4\x90\x80\x80", b"\xff", b"\xf8"]


def check_repairs(kleitab, env, rng, work):
    """The broken files against their repaired copies: (merges, failures)."""
    failed = rounds = 0
    for round_ in range(20):
        data = b"".join(rng.choice(BROKEN_PIECES) for _ in range(rng.randint(1, 60)))
        text = data.decode("utf-8", errors="replace")
        broken = os.path.join(work, f"broken-{round_}.csv")
        repaired = os.path.join(work, f"repaired-{round_}.csv")
        with open(broken, "wb") as f:
            f.write(data)
        with open(repaired, "wb") as f:
            f.write(text.encode("utf-8"))
        for options in (["--utf8"], ["--utf8", "--quotes", "--header", "--quote-output"]):
            rounds += 1
            args = options + ["--encoding", "utf-8"]
            got = run(kleitab, env, args + [broken])
            want = run(kleitab, env, args + [repaired])
            count = text.count("\ufffd")
            told = f"записаны как U+FFFD".encode() in got[2]
            if got[:2] != want[:2] or told != (count > 0) or (
                    count and f"UTF-8: {count}, в файл".encode() not in got[2]):
                failed += 1
                print(f"FAIL repair {options}: {data!r}\n  want {want!r}\n  got  {got!r}")
    return rounds, failed


def main():
    kleitab = os.path.realpath(sys.argv[1])
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    rng = random.Random(24)
    failed = cases = 0
    with tempfile.TemporaryDirectory() as work:
        for round_ in range(6):
            for name, codec, mark, astral in ENCODINGS:
                texts = [random_text(rng, codec, astral) for _ in range(rng.randint(1, 3))]
                coded, plain = [], []
                # The same names in two folders, so that name cells agree.
                coded_dir = os.path.join(work, f"{round_}-{len(coded)}-{name}-{codec}")
                plain_dir = coded_dir + "-utf8"
                os.makedirs(coded_dir)
                os.makedirs(plain_dir)
                for i, text in enumerate(texts):
                    coded.append(os.path.join(coded_dir, f"{i}.csv"))
                    plain.append(os.path.join(plain_dir, f"{i}.csv"))
                    with open(coded[-1], "wb") as f:
                        f.write(mark + text.encode(codec))
                    with open(plain[-1], "wb") as f:
                        f.write(text.encode("utf-8"))
                for options in OPTION_SETS:
                    cases += 1
                    got = run(kleitab, env, options + ["--encoding", name] + coded)
                    want = run(kleitab, env, options + ["--encoding", "utf-8"] + plain)
                    # The messages name the files: compare them with the names swapped.
                    want_err = want[2].replace(plain_dir.encode(), coded_dir.encode())
                    if got[:2] != want[:2] or got[2] != want_err:
                        failed += 1
                        print(f"FAIL {name} ({codec}) {options}: {texts!r}\n"
                              f"  want {want!r}\n  got  {got!r}")
        rounds, repair_failed = check_repairs(kleitab, env, rng, work)
        cases += rounds
        failed += repair_failed
    print(f"{cases - failed} of {cases} merges as Python's codecs decode them")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
