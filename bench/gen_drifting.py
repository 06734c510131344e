#!/usr/bin/env python3
"""A UTF-8 folder whose headers drift: each file's header is its own pick and
order of a pool of column names, its fields quoted where they hold the
delimiter, a quote or a line break, with Cyrillic text and numbers.
Usage: gen_drifting.py DIR FILES BYTES_PER_FILE SEED"""
import os
import random
import sys

POOL = ["id", "дата", "сумма", "клиент", "город", "комментарий", "статус", "код",
        "email", "телефон", "менеджер", "скидка"]
WORDS = ["Москва", "Тула", "заказ", "оплачен", "ok", "N/A", "1,5", 'пишет "да"',
         "строка\nвторая", "Ёж", "x", "", "42", "3.14", "a;b"]


def cell(rng, name):
    if name in ("id", "код"):
        return str(rng.randrange(10**9))
    if name == "сумма":
        return f"{rng.random() * 1e5:.2f}"
    text = " ".join(rng.choice(WORDS) for _ in range(rng.randint(1, 4)))
    if any(c in text for c in ',"\n\r'):
        return '"' + text.replace('"', '""') + '"'
    return text


def main():
    out, files, size, seed = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
    rng = random.Random(seed)
    os.makedirs(out, exist_ok=True)
    for i in range(files):
        names = rng.sample(POOL, rng.randint(4, len(POOL)))
        end = "\r\n" if i % 2 else "\n"
        lines = [",".join(names)]
        written = 0
        # Lines drawn from a few thousand made for this file: quick to write.
        made = [",".join(cell(rng, n) for n in names) for _ in range(3000)]
        with open(os.path.join(out, f"part{i:03d}.csv"), "w", encoding="utf-8", newline="") as f:
            while written < size:
                text = end.join(lines + rng.choices(made, k=20000)) + end
                lines = []
                f.write(text)
                written += len(text.encode())


if __name__ == "__main__":
    main()
