"""The lesson texts of the sample course, as sentences of (text, pinyin) tokens: one token per
character, punctuation with empty pinyin.

A lesson that is a classical poem gets the poem, one line a sentence. Every other lesson gets a
short text written for this course around its new characters: an opening sentence, sentences
that put two or three of the new characters (or a new word) to use, and a closing sentence,
six sentences at most. Templates are chosen by the lesson's position so neighbours differ.
"""
import re
import unicodedata

# Public-domain classical poems by lesson title: lines with their pinyin.
POEMS = {
    "一去二三里": [
        ("一去二三里，", "yī qù èr sān lǐ"),
        ("烟村四五家。", "yān cūn sì wǔ jiā"),
        ("亭台六七座，", "tíng tái liù qī zuò"),
        ("八九十枝花。", "bā jiǔ shí zhī huā"),
    ],
    "画": [
        ("远看山有色，", "yuǎn kàn shān yǒu sè"),
        ("近听水无声。", "jìn tīng shuǐ wú shēng"),
        ("春去花还在，", "chūn qù huā hái zài"),
        ("人来鸟不惊。", "rén lái niǎo bù jīng"),
    ],
    "咏柳": [
        ("碧玉妆成一树高，", "bì yù zhuāng chéng yí shù gāo"),
        ("万条垂下绿丝绦。", "wàn tiáo chuí xià lǜ sī tāo"),
        ("不知细叶谁裁出，", "bù zhī xì yè shuí cái chū"),
        ("二月春风似剪刀。", "èr yuè chūn fēng sì jiǎn dāo"),
    ],
    "题西林壁": [
        ("横看成岭侧成峰，", "héng kàn chéng lǐng cè chéng fēng"),
        ("远近高低各不同。", "yuǎn jìn gāo dī gè bù tóng"),
        ("不识庐山真面目，", "bù shí lú shān zhēn miàn mù"),
        ("只缘身在此山中。", "zhǐ yuán shēn zài cǐ shān zhōng"),
    ],
    "泊船瓜洲": [
        ("京口瓜洲一水间，", "jīng kǒu guā zhōu yì shuǐ jiān"),
        ("钟山只隔数重山。", "zhōng shān zhǐ gé shù chóng shān"),
        ("春风又绿江南岸，", "chūn fēng yòu lǜ jiāng nán àn"),
        ("明月何时照我还。", "míng yuè hé shí zhào wǒ huán"),
    ],
    "游子吟": [
        ("慈母手中线，", "cí mǔ shǒu zhōng xiàn"),
        ("游子身上衣。", "yóu zǐ shēn shàng yī"),
        ("临行密密缝，", "lín xíng mì mì féng"),
        ("意恐迟迟归。", "yì kǒng chí chí guī"),
        ("谁言寸草心，", "shuí yán cùn cǎo xīn"),
        ("报得三春晖。", "bào dé sān chūn huī"),
    ],
}

OPENINGS = [
    ("我们一起来读新字。", "wǒ men yì qǐ lái dú xīn zì"),
    ("今天我们认识新朋友。", "jīn tiān wǒ men rèn shi xīn péng you"),
    ("这一课有好几个生字。", "zhè yí kè yǒu hǎo jǐ gè shēng zì"),
    ("打开书，我们来学生字。", "dǎ kāi shū wǒ men lái xué shēng zì"),
]
PAIRS = [
    ("我会读{0}，也会写{1}。", "wǒ huì dú {0} yě huì xiě {1}"),
    ("老师教我们写{0}和{1}。", "lǎo shī jiāo wǒ men xiě {0} hé {1}"),
    ("{0}字和{1}字，我都认识了。", "{0} zì hé {1} zì wǒ dōu rèn shi le"),
    ("小明把{0}和{1}写在本子上。", "xiǎo míng bǎ {0} hé {1} xiě zài běn zi shang"),
]
TRIPLES = [
    ("{0}、{1}、{2}，我们一个一个读。", "{0} {1} {2} wǒ men yí gè yí gè dú"),
    ("我们大声读{0}、{1}和{2}。", "wǒ men dà shēng dú {0} {1} hé {2}"),
    ("妈妈听我读{0}、{1}和{2}。", "mā ma tīng wǒ dú {0} {1} hé {2}"),
]
SINGLES = [
    ("{0}字我也记住了。", "{0} zì wǒ yě jì zhù le"),
    ("我还会写{0}字。", "wǒ hái huì xiě {0} zì"),
]
WORDS = [
    ("{0}这个词，我会读也会用。", "{0} zhè ge cí wǒ huì dú yě huì yòng"),
    ("我用{0}说了一句话。", "wǒ yòng {0} shuō le yí jù huà"),
]
CLOSINGS = [
    ("读一读，写一写，我们学得真好。", "dú yi dú xiě yi xiě wǒ men xué de zhēn hǎo"),
    ("生字都学会了，大家真高兴。", "shēng zì dōu xué huì le dà jiā zhēn gāo xìng"),
    ("回家以后，我再读给爸爸听。", "huí jiā yǐ hòu wǒ zài dú gěi bà ba tīng"),
]

VOWELS = "aeiouüāáǎàēéěèīíǐìōóǒòūúǔùǖǘǚǜ"
SYLLABLE = re.compile(
    rf"(?:zh|ch|sh|[bpmfdtnlgkhjqxrzcsyw])?[{VOWELS}]+"
    rf"(?:ng(?![{VOWELS}])|n(?![{VOWELS}])|r(?![{VOWELS}]))?", re.IGNORECASE)


def is_han(ch):
    return unicodedata.category(ch) == "Lo"


def syllables(word, pinyin):
    """The pinyin of a word split per character, or None when it does not split evenly."""
    if len(word) == 1:
        return [pinyin]
    parts = SYLLABLE.findall(pinyin.replace("'", "").replace(" ", ""))
    if len(parts) != len(word) or "".join(parts) != pinyin.replace("'", "").replace(" ", ""):
        return None
    return parts


def tokens(text, pinyin, fills=()):
    """Tokens of a template: {n} takes fill n (characters and syllables) in 「」 quotes."""
    words = pinyin.split()
    result = []
    pos = 0
    while pos < len(text):
        ch = text[pos]
        if ch == "{":
            close = text.index("}", pos)
            chars, sounds = fills[int(text[pos + 1:close])]
            result.append(["「", ""])
            result.extend([c, s] for c, s in zip(chars, sounds))
            result.append(["」", ""])
            words.pop(0)
            pos = close + 1
            continue
        if is_han(ch):
            result.append([ch, words.pop(0)])
        else:
            result.append([ch, ""])
        pos += 1
    if words:
        raise ValueError(f"pinyin left over in {text!r}: {words}")
    return result


def pick(choices, seed):
    return choices[seed % len(choices)]


def compose_text(lesson):
    """{"poem": bool, "sentences": [[[text, pinyin], ...], ...]} for one lesson."""
    poem = POEMS.get(lesson["title"])
    if poem:
        return {"poem": True, "sentences": [tokens(t, p) for t, p in poem]}
    seed = int(lesson["code"])
    chars = []
    words = []
    for word, pinyin in lesson["entries"]:
        split = syllables(word, pinyin)
        if split is None:
            continue
        (chars if len(word) == 1 else words).append((word, split))
    sentences = [tokens(*pick(OPENINGS, seed))]
    middle = []
    while chars and len(middle) < 4:
        take = 3 if len(chars) >= 5 or len(chars) == 3 else min(2, len(chars))
        group, chars = chars[:take], chars[take:]
        templates = {1: SINGLES, 2: PAIRS, 3: TRIPLES}[take]
        middle.append(tokens(*pick(templates, seed + len(middle)), group))
    if words and len(middle) < 4:
        middle.append(tokens(*pick(WORDS, seed), words[:1]))
    sentences += middle
    sentences.append(tokens(*pick(CLOSINGS, seed // 100 + seed)))
    return {"poem": False, "sentences": sentences}
