#!/bin/sh
# Makes the small FLV videos we ship and test with, from ffmpeg's test pictures and tones:
#   tools/sample_flv/make_sample_flv.sh
# writes sample-content/video/sample.flv (a few seconds, Sorenson video with MP3 sound) and
# tests/platform/flash/flv/data/tone-<codec>.flv (half a second of a 32 x 24 picture and a
# 440 Hz tone, a keyframe every other picture, one file per audio codec; Speex also with three
# frames a tag) and avc-red-blue.flv
# (H.264 with B-frames: four red pictures then four blue ones, 32 x 32, with an AAC tone).
# Run it again after changing it and commit the output.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
tests="$root/tests/platform/flash/flv/data"
sample="$root/sample-content/video"
mkdir -p "$tests" "$sample"
ff="ffmpeg -hide_banner -loglevel error -y -bitexact"

tone() {  # codec rate channels file [audio options]
    $ff -f lavfi -i "testsrc=size=32x24:rate=10" -f lavfi -i "sine=frequency=440:sample_rate=$2" \
        -t 0.5 -map 0:v -map 1:a -c:v flv1 -q:v 10 -g 2 -c:a "$1" -ar "$2" -ac "$3" ${5:-} \
        -fflags +bitexact -flags:v +bitexact -flags:a +bitexact "$tests/$4"
}
tone libmp3lame 22050 1 tone-mp3.flv
tone adpcm_swf 22050 1 tone-adpcm.flv
tone nellymoser 22050 1 tone-nellymoser.flv
tone aac 44100 2 tone-aac.flv
tone pcm_s16le 11025 1 tone-pcm.flv
tone libspeex 16000 1 tone-speex.flv
tone libspeex 16000 1 tone-speex-3frames.flv "-frames_per_packet 3 -cbr_quality 8"

$ff -f lavfi -i "color=c=red:size=32x32:rate=10:d=0.4" -f lavfi -i "color=c=blue:size=32x32:rate=10:d=0.4" \
    -f lavfi -i "sine=frequency=440:sample_rate=44100" \
    -filter_complex "[0:v][1:v]concat=n=2:v=1:a=0,format=yuv420p[v]" -t 0.8 -map "[v]" -map 2:a \
    -c:v libx264 -threads 1 -preset veryfast -profile:v main -bf 2 -g 4 -c:a aac -ar 44100 -ac 1 \
    -fflags +bitexact -flags:v +bitexact -flags:a +bitexact "$tests/avc-red-blue.flv"

$ff -f lavfi -i "testsrc=size=320x240:rate=12" \
    -f lavfi -i "sine=frequency=330:sample_rate=22050:beep_factor=4" \
    -t 6 -map 0:v -map 1:a -c:v flv1 -q:v 12 -g 12 -c:a libmp3lame -b:a 32k -ar 22050 -ac 1 \
    -fflags +bitexact -flags:v +bitexact -flags:a +bitexact "$sample/sample.flv"
