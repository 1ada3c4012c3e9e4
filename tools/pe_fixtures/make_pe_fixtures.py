#!/usr/bin/env python3
"""Makes the resource-library fixtures of the PE reader's tests.

Two resource-only DLLs linked by Debian's MinGW-w64 binutils (`windres` and `ld`), one PE32
(i686) and one PE32+ (x86_64), holding the same resources; and, derived from the PE32 one,
malformed files that the reader must refuse with an error. The output is committed, so the
build and the tests need no MinGW.

    python3 tools/pe_fixtures/make_pe_fixtures.py [OUT_DIR]

OUT_DIR defaults to tests/platform/resources/data/pe; malformed files go to its
`malformed/` folder, each named after the fault it carries. A small lesson-movie library for
the lesson-text mode's tests goes to tests/modes/lessontext/data/book.dll: two movies of 30
frames, a010101 on red and a010102 on blue.
"""
import os
import pathlib
import struct
import subprocess
import sys
import tempfile

ROOT = pathlib.Path(__file__).resolve().parents[2]
TARGETS = {"pe32": "i686-w64-mingw32", "pe32plus": "x86_64-w64-mingw32"}


def payload(tag, size):
    """Bytes that start like a movie and differ per resource."""
    body = bytes((i * 7 + len(tag)) & 0xFF for i in range(size))
    return b"FWS\x06" + tag.encode() + body


# name in the script, file name, bytes
PAYLOADS = {
    "m010101": payload("a010101", 300),
    "m020304_en": payload("a020304 en", 40),
    "m020304_neutral": payload("a020304 neutral", 50),
    "raw7": payload("rcdata 7", 12),
    "rawnamed": payload("rcdata movie", 20),
}

SCRIPT = """\
a010101 Flash "m010101"
LANGUAGE 0x09, 0x01
a020304 FLASH "m020304_en"
LANGUAGE 0, 0
A020304 Flash "m020304_neutral"
7 RCDATA "raw7"
movie RCDATA "rawnamed"
"""


def link(target, work, out):
    rc = work / "lessons.rc"
    obj = work / f"{target}.o"
    subprocess.run([f"{target}-windres", "--preprocessor=cpp", "--preprocessor-arg=-xc",
                    "--preprocessor-arg=-DRC_INVOKED", str(rc), "-O", "coff", "-o", str(obj)],
                   check=True, cwd=work)
    subprocess.run([f"{target}-ld", "--dll", "-e", "0", "-s", "--no-insert-timestamp", "-o", str(out), str(obj)],
                   check=True, cwd=work)


def u16(data, at):
    return struct.unpack_from("<H", data, at)[0]


def u32(data, at):
    return struct.unpack_from("<I", data, at)[0]


def rsrc_offset(data):
    """File offset of the .rsrc section's data."""
    pe = u32(data, 0x3C)
    sections = u16(data, pe + 6)
    table = pe + 24 + u16(data, pe + 20)
    for i in range(sections):
        header = table + 40 * i
        if data[header:header + 8].rstrip(b"\0") == b".rsrc":
            return header, u32(data, header + 20)
    raise SystemExit("no .rsrc section")


def first_entry(data, directory):
    return directory + 16


def malformed(pe32):
    """(name, bytes) of files each carrying one fault."""
    section_header, rsrc = rsrc_offset(pe32)
    type_entry = first_entry(pe32, rsrc)
    name_dir = rsrc + (u32(pe32, type_entry + 4) & 0x7FFFFFFF)
    name_entry = first_entry(pe32, name_dir)
    lang_dir = rsrc + (u32(pe32, name_entry + 4) & 0x7FFFFFFF)
    lang_entry = first_entry(pe32, lang_dir)
    data_entry = rsrc + u32(pe32, lang_entry + 4)
    pe = u32(pe32, 0x3C)

    def patched(at, fmt, value):
        data = bytearray(pe32)
        struct.pack_into(fmt, data, at, value)
        return bytes(data)

    return [
        ("truncated_in_headers.dll", pe32[:pe + 30]),
        ("truncated_in_resources.dll", pe32[:rsrc + 40]),
        ("pe_offset_past_end.dll", patched(0x3C, "<I", 0x7FFFFFF0)),
        ("section_table_count_huge.dll", patched(pe + 6, "<H", 0xFFFF)),
        ("section_data_past_end.dll", patched(section_header + 16, "<I", 0x10000000)),
        ("directory_loops_to_root.dll", patched(name_entry + 4, "<I", 0x80000000)),
        ("directory_points_to_itself.dll",
         patched(name_entry + 4, "<I", 0x80000000 | (name_dir - rsrc))),
        ("type_count_huge.dll", patched(rsrc + 14, "<H", 0xFFFF)),
        ("name_count_huge.dll", patched(name_dir + 12, "<H", 0x8000)),
        ("name_past_end.dll", patched(type_entry, "<I", 0xFFFFFFF0)),
        ("name_length_past_end.dll",
         patched(rsrc + (u32(pe32, type_entry) & 0x7FFFFFFF), "<H", 0xFFFF)),
        ("subdirectory_past_end.dll", patched(type_entry + 4, "<I", 0xFFFFFF00)),
        ("data_entry_past_end.dll", patched(lang_entry + 4, "<I", 0x7FFFFFF0)),
        ("data_outside_sections.dll", patched(data_entry, "<I", 0x7FFF0000)),
        ("data_size_past_section.dll", patched(data_entry + 4, "<I", 0x00100000)),
        ("type_entry_is_data.dll", patched(type_entry + 4, "<I", lang_entry - rsrc)),
        ("language_entry_is_directory.dll",
         patched(lang_entry + 4, "<I", 0x80000000 | (lang_dir - rsrc))),
    ]


def swf(background, frames):
    """An uncompressed movie of 400 x 300 pixels at 12 frames a second, one colour."""
    def tag(code, body=b""):
        return struct.pack("<H", code << 6 | len(body)) + body
    bits = 14
    fields = [0, 8000, 0, 6000]
    value = bits
    for field in fields:
        value = value << bits | field
    total = 5 + 4 * bits
    rect = (value << (8 - total % 8)).to_bytes((total + 7) // 8, "big")
    tags = tag(9, bytes(background)) + tag(1) * frames + tag(0)
    body = rect + struct.pack("<HH", 12 << 8, frames) + tags
    return b"FWS" + bytes([6]) + struct.pack("<I", 8 + len(body)) + body


def lesson_book(out):
    with tempfile.TemporaryDirectory() as tmp:
        work = pathlib.Path(tmp)
        (work / "red.swf").write_bytes(swf((255, 0, 0), 30))
        (work / "blue.swf").write_bytes(swf((0, 0, 255), 30))
        (work / "lessons.rc").write_text('a010101 Flash "red.swf"\na010102 Flash "blue.swf"\n')
        out.parent.mkdir(parents=True, exist_ok=True)
        link(TARGETS["pe32"], work, out)


def main():
    out = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else \
        ROOT / "tests/platform/resources/data/pe"
    (out / "malformed").mkdir(parents=True, exist_ok=True)
    with tempfile.TemporaryDirectory() as tmp:
        work = pathlib.Path(tmp)
        for name, data in PAYLOADS.items():
            (work / name).write_bytes(data)
        (work / "lessons.rc").write_text(SCRIPT)
        for kind, target in TARGETS.items():
            link(target, work, out / f"lessons_{kind}.dll")
    pe32 = (out / "lessons_pe32.dll").read_bytes()
    for name, data in malformed(pe32):
        (out / "malformed" / name).write_bytes(data)
    for name, data in PAYLOADS.items():
        (out / f"{name}.bin").write_bytes(data)
    lesson_book(ROOT / "tests/modes/lessontext/data/book.dll")
    print(f"wrote {out}")


if __name__ == "__main__":
    main()
