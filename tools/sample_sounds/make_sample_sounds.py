#!/usr/bin/env python3
"""Makes the sample course's sounds: one pronunciation per distinct pinyin of the character
files (Data/sound/<pinyin>.mp3, named exactly as the files store the pinyin), the cue sounds
and the voice prompts (Data/sndsoft).

Speech is espeak-ng's Mandarin voice reading pinyin with tone marks (cmn-latn-pinyin), encoded
with lame; right.wav is a two-note chime made by sox, written as a real WAV file. Needs the
Debian packages espeak-ng, lame and sox. The output is committed; run this again after the
sample course's character files change:

    tools/sample_sounds/make_sample_sounds.py [--content sample-content/Data] [--force]
"""
import argparse
import pathlib
import re
import subprocess
import sys
import tempfile
import unicodedata
import xml.etree.ElementTree as ET

VOICE = "cmn-latn-pinyin"
SPEED = "120"  # words per minute: slow and clear for children
LAME = ["lame", "--quiet", "-b", "32", "-m", "m"]

# Cues and prompts: file name -> what is said (pinyin), with the Chinese it stands for.
SPOKEN_CUES = {
    "begin": "huān yíng lái xué xí shēng zì",  # 欢迎来学习生字
    "think": "zài xiǎng yi xiǎng",  # 再想一想
    "replay": "zài dú yí biàn",  # 再读一遍
    "tingxie": "xiàn zài kāi shǐ tīng xiě",  # 现在开始听写
    "tingxie2": "diǎn zhè lǐ, kāi shǐ tīng xiě",  # 点这里，开始听写
    # Toolbar prompts, named by the buttons' hints.
    "tbxkw": "tóng bù xué kè wén, tīng kè wén lǎng dú",  # 同步学课文，听课文朗读
    "zcsj": "zì cí sù jì, yí gè gè kàn shēng zì",  # 字词速记，一个个看生字
    "tyrz": "tīng yīn rèn zì, tīng fā yīn xuǎn hàn zì",  # 听音认字，听发音选汉字
    "kyrz": "kàn yīn rèn zì, kàn pīn yīn xuǎn hàn zì",  # 看音认字，看拼音选汉字
    "tyby": "tīng yīn biàn yīn, tīng fā yīn xuǎn pīn yīn",  # 听音辨音，听发音选拼音
    "kzry": "kàn zì rèn yīn, kàn hàn zì xuǎn pīn yīn",  # 看字认音，看汉字选拼音
    "wnnx": "wǒ niàn nǐ xiě, tīng xiě shēng zì",  # 我念你写，听写生字
    "szb": "shēng zì biǎo, kàn quán běn shū de shēng zì",  # 生字表，看全本书的生字
    "set": "shè zhì, yǔ yīn tí shì hé pí fū",  # 设置，语音提示和皮肤
    "home": "dǎ kāi wǎng zhàn",  # 打开网站
}

FORBIDDEN = re.compile(r'[\\/:\x00*?"<>|]')


def read_xml(path):
    """Parses a character file in the encoding its declaration names (GB2312 included)."""
    raw = path.read_bytes()
    m = re.match(rb'^\s*<\?xml[^>]*encoding=["\']([A-Za-z0-9._-]+)["\']', raw)
    encoding = m.group(1).decode("ascii") if m else "utf-8"
    text = raw.decode(encoding)
    text = re.sub(r'^\s*<\?xml[^>]*\?>', "", text, count=1)
    return ET.fromstring(text)


def pinyins(content):
    """Distinct PinYin1 values of every character file, in file order."""
    seen = {}
    for path in sorted(content.glob("xml/hanzi*.xml"), key=lambda p: p.name.lower()):
        for entry in read_xml(path):
            value = entry.get("PinYin1")
            if value is not None:
                seen.setdefault(value, path.name)
    return seen


def speak(text, target, force):
    if target.exists() and not force:
        return False
    with tempfile.TemporaryDirectory() as tmp:
        wav = pathlib.Path(tmp) / "speech.wav"
        subprocess.run(["espeak-ng", "-v", VOICE, "-s", SPEED, "-w", str(wav), text], check=True)
        subprocess.run(LAME + [str(wav), str(target)], check=True)
    return True


def chime(target, force):
    if target.exists() and not force:
        return False
    subprocess.run(["sox", "-n", "-r", "22050", "-c", "1", "-b", "16", str(target),
                    "synth", "0.12", "sine", "880", "fade", "0", "0.12", "0.02", ":",
                    "synth", "0.35", "sine", "1320", "fade", "0", "0.35", "0.3",
                    "gain", "-6"], check=True)
    return True


def main():
    repo = pathlib.Path(__file__).resolve().parents[2]
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--content", type=pathlib.Path, default=repo / "sample-content" / "Data")
    parser.add_argument("--force", action="store_true", help="remake files that exist")
    args = parser.parse_args()
    sound = args.content / "sound"
    sndsoft = args.content / "sndsoft"
    sound.mkdir(parents=True, exist_ok=True)
    sndsoft.mkdir(parents=True, exist_ok=True)

    made = 0
    for value, source in pinyins(args.content).items():
        if not value.strip() or FORBIDDEN.search(value) or value in (".", ".."):
            print(f"skipped pinyin {value!r} of {source}: not a file name", file=sys.stderr)
            continue
        if unicodedata.normalize("NFC", value) != value:
            print(f"note: pinyin {value!r} of {source} is not NFC; named as stored",
                  file=sys.stderr)
        made += speak(value.strip(), sound / f"{value}.mp3", args.force)
    for name, text in SPOKEN_CUES.items():
        made += speak(text, sndsoft / f"{name}.mp3", args.force)
    made += chime(sndsoft / "right.wav", args.force)
    print(f"{made} files made")


if __name__ == "__main__":
    main()
