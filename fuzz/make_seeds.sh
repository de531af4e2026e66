#!/usr/bin/env bash
# Makes the seed corpora of the fuzzing harnesses in FOLDER, one folder per harness:
# tracking files and number fields from the project's own writers, a registration
# file and a ground-truth tracking file from the demo generator, pictures from the
# artwork and ImageMagick, and clips of a few frames from ffmpeg.
#
#   make_seeds.sh FOLDER SEED_WRITER DEMO_GENERATOR TEXTURES
set -eu
folder=$1 seed_writer=$2 demo_generator=$3 textures=$4
rm -rf "$folder"
for harness in tracking_file registration image_file video_source numbers command_line; do
  mkdir -p "$folder/$harness"
done

"$seed_writer" "$folder" >/dev/null

demo=$(mktemp -d)
trap 'rm -rf "$demo"' EXIT
"$demo_generator" --no-video --frames 3 "$demo" >/dev/null
cp "$demo/demo.reg" "$folder/registration/demo.reg"
cp "$demo/demo-groundtruth.dat" "$folder/tracking_file/demo-groundtruth.dat"
printf '0\n' >"$folder/registration/empty.reg"

# The smallest pieces of artwork, and the PNG kinds the loader converts.
cp "$textures/button bar.png" "$folder/image_file/button-bar.png"
cp "$textures/defaultNext.png" "$folder/image_file/default-next.png"
images=$folder/image_file
convert -size 5x3 gradient:black-white -depth 8 "PNG8:$images/grey.png"
convert -size 4x3 gradient:red-blue -depth 16 "PNG48:$images/rgb16.png"
convert -size 3x4 gradient:white-black -alpha set -channel A -evaluate set 50% \
  "PNG32:$images/rgba.png"
convert -size 3x3 gradient:black-white -alpha set -channel A -evaluate set 30% -colorspace Gray \
  "PNG:$images/grey-alpha.png"
convert -size 7x2 xc:orange -interlace PNG "PNG24:$images/interlaced.png"

# Clips of a few frames in the containers and codecs the tool meets.
clip() {
  ffmpeg -nostdin -v error -y -f lavfi -i testsrc=size=32x24:rate=25 -frames:v "$1" \
    -pix_fmt "$2" "${@:4}" "$folder/video_source/$3"
}
clip 4 yuvj420p mjpeg.avi -c:v mjpeg -q:v 10
clip 6 yuv420p h264.mp4 -c:v libx264 -preset ultrafast -g 3 -bf 2
clip 6 yuv420p h264.ts -c:v libx264 -preset ultrafast -g 3 -f mpegts
clip 6 yuv420p mpeg4.avi -c:v mpeg4 -g 3 -bf 1 -q:v 10

touch "$folder/.complete"
