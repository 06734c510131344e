#!/usr/bin/env python3
"""Runs one command as a fresh process; prints its wall time in seconds and
its peak resident memory in MiB: `measure.py [-o FILE] -- command args...`
(-o sends the command's standard output to FILE, as a shell's > would)."""
import os
import sys
import time

args = sys.argv[1:]
out = None
if args[:1] == ["-o"]:
    out, args = args[1], args[2:]
if args[:1] == ["--"]:
    args = args[1:]
start = time.monotonic()
pid = os.fork()
if pid == 0:
    if out is not None:
        fd = os.open(out, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o644)
        os.dup2(fd, 1)
    os.execvp(args[0], args)
_, status, usage = os.wait4(pid, 0)
wall = time.monotonic() - start
if os.waitstatus_to_exitcode(status) != 0:
    sys.exit(f"{args[0]} failed: {status}")
print(f"{wall:.3f} {usage.ru_maxrss / 1024:.1f}")
