#!/usr/bin/env python3
"""Writes the avm1_fuzzer seed inputs into fuzz_seeds/: small hand-assembled action blocks
(one version byte, then bytecode) covering loops, calls, exceptions, with, arrays and strings.
Run from this folder: python3 make_fuzz_seeds.py"""
import os
import struct


def rec(code, payload=b""):
    return bytes([code]) + (struct.pack("<H", len(payload)) + payload if code >= 0x80 else b"")


def s(text):
    return b"\x00" + text.encode() + b"\x00"


def i(n):
    return b"\x07" + struct.pack("<i", n)


def push(*vals):
    return rec(0x96, b"".join(vals))


def jump(code, off):
    return rec(code, struct.pack("<h", off))


def fn(name, params, body):
    head = name.encode() + b"\x00" + struct.pack("<H", len(params))
    head += b"".join(p.encode() + b"\x00" for p in params) + struct.pack("<H", len(body))
    return rec(0x9B, head) + body


TRACE, GETVAR, SETVAR, ADD2, LESS2, NOT, POP = 0x26, 0x1C, 0x1D, 0x47, 0x48, 0x12, 0x17
CALLF, CALLM, RET, INITARR, GETMEM, INC = 0x3D, 0x52, 0x3E, 0x42, 0x4E, 0x50

seeds = {}
# i = 0; while (i < 50) i++; trace(i)
loop_body = push(s("i"), s("i")) + rec(GETVAR) + rec(INC) + rec(SETVAR)
cond = push(s("i")) + rec(GETVAR) + push(i(50)) + rec(LESS2) + rec(NOT)
seeds["loop"] = (push(s("i"), i(0)) + rec(SETVAR) + cond + jump(0x9D, len(loop_body) + 5) +
                 loop_body + jump(0x99, -(len(loop_body) + 5 + len(cond))) +
                 push(s("i")) + rec(GETVAR) + rec(TRACE))
# function f(a) { return f(a) } f(1): recursion to the depth limit
body = push(s("a")) + rec(GETVAR) + push(i(1), s("f")) + rec(CALLF) + rec(RET)
seeds["recursion"] = fn("f", ["a"], body) + push(i(1), i(1), s("f")) + rec(CALLF) + rec(POP)
# try { throw "x" } catch (e) { trace(e) } finally { trace("f") }
tb = push(s("x")) + rec(0x2A)
cb = push(s("e")) + rec(GETVAR) + rec(TRACE)
fb = push(s("f")) + rec(TRACE)
seeds["try"] = rec(0x8F, bytes([3]) + struct.pack("<HHH", len(tb), len(cb), len(fb)) +
                   b"e\x00") + tb + cb + fb
# [3,1,2].sort().join("-") traced
seeds["array"] = (push(i(2), i(1), i(3), i(3)) + rec(INITARR) + push(i(0)) + rec(0x87, b"\x00") +
                  rec(POP) + push(i(0), b"\x04\x00", s("sort")) + rec(CALLM) + rec(POP) +
                  push(s("-"), i(1), b"\x04\x00", s("join")) + rec(CALLM) + rec(TRACE))
# "abc".toUpperCase() + String length through with
seeds["string"] = (push(i(0), s("abc"), s("toUpperCase")) + rec(CALLM) + push(s("d")) +
                   rec(ADD2) + rec(TRACE) + push(s("xyz")) + rec(0x94, struct.pack("<H", 6)) +
                   push(s("length")) + rec(GETVAR) + rec(TRACE))
# A loop whose backward branch lands inside an unknown record, whose payload holds a trace:
# the decoder reads a second, overlapping run of records there.
hidden = push(s("pass")) + rec(TRACE)
seeds["overlapping_runs"] = (push(s("i"), i(0)) + rec(SETVAR) + rec(0xF0, hidden) +
                             push(s("i"), s("i")) + rec(GETVAR) + rec(INC) + rec(SETVAR) +
                             push(s("i")) + rec(GETVAR) + push(i(3)) + rec(LESS2))
seeds["overlapping_runs"] += jump(0x9D, -(len(seeds["overlapping_runs"]) + 5 -
                                         len(push(s("i"), i(0)) + rec(SETVAR)) - 3))
# Records whose lengths disagree with their operands: a StoreRegister and a Jump with bytes to
# spare, a Push whose string runs past its record, a function header without its body size and a
# Try without its sizes; each next record starts where the length says.
seeds["record_lengths"] = (push(s("v")) + rec(0x87, b"\x01" + bytes([TRACE])) + rec(POP) +
                           rec(0x99, b"\x00\x00" + bytes([TRACE])) +
                           rec(0x96, i(3) + b"\x00ab") + rec(TRACE) +
                           rec(0x9B, b"f\x00\x00\x00") + rec(0x8F, b"\x01\x02") +
                           push(i(0), s("f")) + rec(CALLF) + rec(TRACE))
os.makedirs("fuzz_seeds", exist_ok=True)
for name, code in seeds.items():
    with open(os.path.join("fuzz_seeds", name + ".bin"), "wb") as f:
        f.write(bytes([4]) + code + b"\x00")  # version byte 4 -> SWF 8
