# Writes the seeds of sound_decode_fuzz (see sound_seeds/README).
import os
here = os.path.join(os.path.dirname(__file__), "sound_seeds")
def save(name, data):
    with open(os.path.join(here, name), "wb") as f:
        f.write(bytes(data))
save("adpcm_mono", [0x1 << 4 | 2 << 2 | 2, 0b10000000, 0b11111010, 0] + [0x77] * 200)
save("pcm16_stereo", [0x3 << 4 | 3 << 2 | 3] + [b for i in range(64) for b in (i * 4, 0, 255 - i, 0)])
save("mp3_garbage", [0x2 << 4 | 3 << 2 | 2] + [0xFF, 0xFB, 0x90, 0x00] + [0x55] * 100)
