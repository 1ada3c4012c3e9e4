#!/usr/bin/env python3
"""Makes the sample course's lesson texts: for every lesson of the catalogue a short text, its
recorded reading Data/lessonread/<code>.mp3 and its lesson movie, the movies gathered into the
resource library Data/lesson/book.dll.

Texts are a few sentences built around the lesson's new characters (or, for a lesson that is a
classical poem, the poem). Each sentence is spoken on its own by espeak-ng's Mandarin voice
reading pinyin (as the pronunciations are), the sentences joined with short pauses and encoded
by lame as mono MPEG-2 layer III at a constant 16 kbit/s without bit reservoir, so that every
frame decodes on its own and a sentence can be played from its first frame. The byte offset
of each sentence is a frame boundary in the middle of the pause before it.

The movies are written by tools/lesson_movies (build it first) from lessons.json, which this
script writes beside itself; book.dll is compiled and linked by MinGW-w64's windres and ld.
Needs the Debian packages espeak-ng, lame, sox and binutils-mingw-w64-x86-64 (and icoutils to
check the result). The output is committed; run again after the catalogue or texts change:

    tools/lesson_texts/make_lesson_texts.py [--content sample-content/Data]
        [--movies build/tools/lesson_movies/lesson_movies] [--force]

--force records the readings again even where the mp3 exists.
"""
import argparse
import json
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile
import wave
import xml.etree.ElementTree as ET

from texts import compose_text

VOICE = "cmn-latn-pinyin"
SPEED = "130"
RATE = 16000
FRAME_SAMPLES = 576  # MPEG-2 layer III
CODEC_DELAY = 576 + 529  # lame's encoder delay plus the decoder's, in samples
LEAD_IN = 0.25  # seconds of silence before the first sentence
PAUSE = 0.5  # seconds between sentences
LAME = ["lame", "--quiet", "-b", "16", "-m", "m", "--cbr", "--nores", "-t"]


def read_xml(path):
    """Parses an XML file in the encoding its declaration names (GB2312 included)."""
    raw = path.read_bytes()
    m = re.match(rb'^\s*<\?xml[^>]*encoding=["\']([A-Za-z0-9._-]+)["\']', raw)
    encoding = m.group(1).decode("ascii") if m else "utf-8"
    text = re.sub(r'^\s*<\?xml[^>]*\?>', "", raw.decode(encoding), count=1)
    return ET.fromstring(text)


def lessons(content):
    """Every lesson of the catalogue in order: code, title, book and its entries."""
    root = read_xml(content / "xml" / "unit.xml")[0]
    result = []
    for book_no, book in enumerate(root, 1):
        entries = {}
        for entry in read_xml(content / "xml" / f"hanzi{book_no}.xml"):
            if entry.get("Chinese") and entry.get("PinYin1"):
                entries.setdefault(entry.tag, []).append(
                    (entry.get("Chinese").strip(), entry.get("PinYin1").strip()))
        for group_pos, group in enumerate(book, 1):
            group_no = group_pos + 1 if book_no == 1 else group_pos
            for lesson_no, lesson in enumerate(group, 1):
                key = f"lesson{group_no}{lesson_no:02d}"
                result.append({
                    "code": f"{book_no:02d}{group_no:02d}{lesson_no:02d}",
                    "title": lesson.get("text"),
                    "book": book_no,
                    "entries": entries.get(key, []),
                })
    return result


def spoken(sentence):
    """The pinyin espeak-ng reads for a sentence of (text, pinyin) tokens."""
    words = []
    for text, pinyin in sentence:
        if pinyin:
            words.append(pinyin)
        elif text in "，、；：":
            words.append(",")
        elif text in "。！？":
            words.append(".")
    return " ".join(words).replace(" ,", ",").replace(" .", ".")


def speak(text, folder, index):
    raw = folder / f"raw{index}.wav"
    out = folder / f"s{index}.wav"
    subprocess.run(["espeak-ng", "-v", VOICE, "-s", SPEED, "-w", str(raw), text], check=True)
    subprocess.run(["sox", str(raw), "-r", str(RATE), "-c", "1", "-b", "16", str(out),
                    "vol", "0.8"], check=True)
    with wave.open(str(out)) as w:
        return w.readframes(w.getnframes())


def mp3_frames(data):
    """Byte offsets of the MPEG audio frames of a file without tags."""
    bitrates = {3: [0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320],
                2: [0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160]}
    rates = {3: [44100, 48000, 32000], 2: [22050, 24000, 16000], 0: [11025, 12000, 8000]}
    offsets = []
    pos = 0
    while pos + 4 <= len(data):
        h = int.from_bytes(data[pos:pos + 4], "big")
        if h >> 21 != 0x7FF:
            raise ValueError(f"no frame header at byte {pos}")
        version = (h >> 19) & 3
        kbps = bitrates[3 if version == 3 else 2][(h >> 12) & 15]
        rate = rates[version][(h >> 10) & 3]
        padding = (h >> 9) & 1
        size = (144 if version == 3 else 72) * kbps * 1000 // rate + padding
        offsets.append(pos)
        pos += size
    return offsets


def record(sentences, target):
    """Writes the reading and returns (start byte, end byte, start seconds) per sentence."""
    silence = lambda seconds: b"\0\0" * int(seconds * RATE)
    with tempfile.TemporaryDirectory() as tmp:
        folder = pathlib.Path(tmp)
        pcm = bytearray(silence(LEAD_IN))
        starts = []
        for index, sentence in enumerate(sentences):
            if index:
                pcm += silence(PAUSE)
            starts.append(len(pcm) // 2)
            pcm += speak(spoken(sentence), folder, index)
        pcm += silence(PAUSE)
        wav = folder / "whole.wav"
        with wave.open(str(wav), "wb") as w:
            w.setnchannels(1)
            w.setsampwidth(2)
            w.setframerate(RATE)
            w.writeframes(bytes(pcm))
        subprocess.run(LAME + [str(wav), str(target)], check=True)
    return sentence_ranges(starts, target.read_bytes())


def sentence_ranges(starts, data):
    frames = mp3_frames(data)
    firsts = []
    for k, start in enumerate(starts):
        before = LEAD_IN if k == 0 else PAUSE
        sample = start - before * RATE / 2 + CODEC_DELAY
        firsts.append(0 if k == 0 else min(len(frames) - 1, round(sample / FRAME_SAMPLES)))
    ranges = []
    for k, first in enumerate(firsts):
        end = frames[firsts[k + 1]] if k + 1 < len(firsts) else len(data)
        ranges.append((frames[first], end, first * FRAME_SAMPLES / RATE))
    return ranges, len(frames) * FRAME_SAMPLES / RATE


def build_library(movies, target):
    """Links the movies into a resource-only DLL: type "Flash", name "a" + code."""
    with tempfile.TemporaryDirectory() as tmp:
        folder = pathlib.Path(tmp)
        rc = folder / "book.rc"
        lines = [f'a{code} Flash "{path.resolve().as_posix()}"' for code, path in movies]
        rc.write_text("\n".join(lines) + "\n", encoding="ascii")
        res = folder / "book.o"
        # windres runs the script through a C preprocessor; the host's cpp serves.
        subprocess.run(["x86_64-w64-mingw32-windres", "--preprocessor=cpp", "-J", "rc", "-O", "coff", "-i", str(rc),
                        "-o", str(res)], check=True)
        subprocess.run(["x86_64-w64-mingw32-ld", "--dll", "-e", "0", "--no-insert-timestamp", "--subsystem",
                        "windows", "-s", "-o", str(target), str(res)], check=True)


def main():
    repo = pathlib.Path(__file__).resolve().parents[2]
    here = pathlib.Path(__file__).resolve().parent
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--content", type=pathlib.Path, default=repo / "sample-content" / "Data")
    parser.add_argument("--movies", type=pathlib.Path,
                        default=repo / "build" / "tools" / "lesson_movies" / "lesson_movies")
    parser.add_argument("--force", action="store_true", help="record readings again")
    parser.add_argument("--texts-only", action="store_true", help="stop after lessons.json")
    args = parser.parse_args()

    reading = args.content / "lessonread"
    reading.mkdir(parents=True, exist_ok=True)
    previous = {}
    if (here / "lessons.json").exists():
        previous = {l["code"]: l for l in json.loads((here / "lessons.json").read_text())}
    catalogue = []
    for lesson in lessons(args.content):
        text = compose_text(lesson)
        target = reading / f"{lesson['code']}.mp3"
        old = previous.get(lesson["code"])
        if (not args.force and target.exists() and old
                and [s["tokens"] for s in old["sentences"]] == text["sentences"]):
            ranges = [(s["start"], s["end"], s["time"]) for s in old["sentences"]]
            seconds = old["seconds"]
        else:
            ranges, seconds = record(text["sentences"], target)
        catalogue.append({
            "code": lesson["code"],
            "title": lesson["title"],
            "book": lesson["book"],
            "pinyin": lesson["book"] <= 4,
            "poem": text["poem"],
            "seconds": seconds,
            "sentences": [{"tokens": s, "start": r[0], "end": r[1], "time": r[2]}
                          for s, r in zip(text["sentences"], ranges)],
        })
    (here / "lessons.json").write_text(json.dumps(catalogue, ensure_ascii=False, indent=1) + "\n",
                                       encoding="utf-8")
    print(f"{len(catalogue)} lessons written to {here / 'lessons.json'}")
    if args.texts_only:
        return

    if not args.movies.exists():
        sys.exit(f"{args.movies} not found: build the target lesson_movies first")
    with tempfile.TemporaryDirectory() as tmp:
        folder = pathlib.Path(tmp)
        subprocess.run([str(args.movies), str(here / "lessons.json"), str(folder)], check=True)
        movies = [(l["code"], folder / f"a{l['code']}.swf") for l in catalogue]
        library = args.content / "lesson"
        library.mkdir(parents=True, exist_ok=True)
        build_library(movies, library / "book.dll")
    if shutil.which("wrestool"):
        listing = subprocess.run(["wrestool", "-l", str(library / "book.dll")], check=True,
                                 capture_output=True, text=True).stdout
        count = sum(1 for line in listing.splitlines() if "--type='FLASH'" in line)
        print(f"book.dll: {count} FLASH resources for {len(catalogue)} lessons")


if __name__ == "__main__":
    main()
