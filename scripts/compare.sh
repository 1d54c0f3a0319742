#!/usr/bin/env bash
# Whole-process comparison, on this machine in one go: dotpress-convert on one
# bitmap against the Qt floor (bench/floor.cpp: the converter's Qt libraries,
# reads the bitmap, writes 10 800 bytes with QSaveFile) and against Pillow and
# ImageMagick writing XBM from the same bitmap; a 1024 x 768 PNG prepared
# (fitted, Floyd-Steinberg) by each of the three; an 8000 x 6000 JPEG and an
# 8192 x 8192 PNG prepared by each (Pillow's script decoding the JPEG at the
# scale it needs, draft), with their peak memory (/usr/bin/time -v), beside
# dotpress-convert on a 20 x 20 PNG (the floor of its loaded libraries);
# then one dotpress-convert call over 1000 bitmaps; and every glyph of
# unifont (57 086 characters) into a C header against pcf2bdf converting the
# same font, uncompressed, to BDF.
# Last, every frame of a 400-frame 480 x 270 GIF prepared for a 128 x 64
# module by dotpress-convert --frames and by ImageMagick, with their peak
# memory (it runs first, and alone with FRAMES_ONLY=1). FONT_ONLY=1 runs the
# unifont part alone.
#
#   scripts/compare.sh [BUILD_DIR]       (default: build-bench)
#
# RUNS (default 30) sets how often each single-bitmap command runs; BIG_RUNS
# (default 5) each command on a large picture; BATCH_RUNS (default 7) how
# often the 1000-bitmap call runs; FONT_RUNS (default 10) the unifont
# commands; FRAMES_RUNS (default 5) each command on the animation.
# FRAMES_ONLY=1 runs the animation's part alone, FONT_ONLY=1 the font's. The
# commands take turns, so
# a change in the machine's load falls on all of them alike. Medians are
# printed, and their ratios.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(realpath -m "${1:-$here/build-bench}")"
runs="${RUNS:-30}"
batch_runs="${BATCH_RUNS:-7}"
big_runs="${BIG_RUNS:-5}"
font_runs="${FONT_RUNS:-10}"
convert_bin="$build/bin/dotpress-convert"
floor_bin="$build/bin/dotpress-floor"
sample="$here/samples/dotpress-logo.bmp"

# Debian's python3 is the one python3-pil installs into; a python3 earlier on
# PATH (pyenv and the like) would not see it. Debian's convert is called by
# its full path for the same reason. eatmydata turns fsync into a no-op: the
# 1000-bitmap call run under it and without it shows what the durable write
# costs.
python=/usr/bin/python3
magick=/usr/bin/convert
source "$here/scripts/setup.sh"
dotpress_install "${DOTPRESS_PACKAGES[@]}" python3 python3-pil imagemagick eatmydata time \
    xfonts-unifont pcf2bdf
# A fresh clone: the Release build that scripts/bench.sh makes.
[[ -x $convert_bin && -x $floor_bin ]] || dotpress_build "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
eatmydata_lib="$(ldconfig -p | awk '/libeatmydata\.so /{print $NF; exit}')"

# Scratch files beside the build, on the disk a user's bitmaps would be on
# (not a RAM-backed /tmp), so the durable write costs what it costs there.
work="$build/compare-work"
rm -rf "$work"
mkdir -p "$work/batch"
trap 'rm -rf "$work"' EXIT
cp "$sample" "$work/x.bmp"
# A 1024 x 768 picture with greys everywhere: a ramp under shapes.
"$magick" -size 768x1024 gradient:white-black -rotate 90 -fill '#404040' -draw "circle 300,384 300,100" \
    -fill '#c0c0c0' -draw "rectangle 600,200 950,600" "$work/in.png"
# Large pictures: a plasma scaled up as a photo's JPEG, and a plasma PNG at
# the most pixels a picture may have (scaled up by Pillow: ImageMagick's
# policy refuses a picture that large); the floor's 20 x 20 PNG.
[[ -n ${FRAMES_ONLY:-}${FONT_ONLY:-} ]] || "$magick" -seed 1 -size 1000x750 plasma: -resize '8000x6000!' -quality 90 "$work/big.jpg"
[[ -n ${FRAMES_ONLY:-}${FONT_ONLY:-} ]] || "$magick" -seed 2 -size 1024x1024 plasma: "$work/plasma.png"
[[ -n ${FRAMES_ONLY:-}${FONT_ONLY:-} ]] || "$python" -c "from PIL import Image; Image.open('$work/plasma.png').convert('RGB').resize((8192, 8192), Image.BICUBIC).save('$work/big.png', compress_level=1)"
"$magick" -size 20x20 gradient:white-black "$work/tiny.png"
# An animation of 400 frames of 480 x 270: a grey ramp, a dark disc going round
# and a light square sliding, each frame stored as the rectangle that changed.
[[ -n ${FONT_ONLY:-} ]] || "$python" -c "from PIL import Image, ImageDraw
import math
ramp = Image.linear_gradient('L').rotate(90).resize((480, 270)); frames = []
for i in range(400):
    im = ramp.copy(); draw = ImageDraw.Draw(im); a = 2 * math.pi * i / 100
    x, y = 240 + 150 * math.cos(a), 135 + 80 * math.sin(a)
    draw.ellipse((x - 40, y - 40, x + 40, y + 40), fill=40); draw.rectangle((i % 440, 200, i % 440 + 40, 260), fill=220)
    frames.append(im)
frames[0].save('$work/anim.gif', save_all=True, append_images=frames[1:], duration=40, loop=0)"
for i in $(seq -w 0 999); do
    cp "$sample" "$work/batch/b$i.bmp"
done

echo "machine: $(nproc) cores, $(lscpu | sed -n 's/^Model name: *//p'), load $(cut -d' ' -f1-3 /proc/loadavg)"
echo "dotpress-convert: $convert_bin"
echo "Pillow $("$python" -c 'import PIL; print(PIL.__version__)'), $("$magick" -version | sed -n 1p)"
echo

cd "$work"
"$python" - "$runs" "$batch_runs" "$convert_bin" "$floor_bin" "$python" "$magick" "$eatmydata_lib" "$big_runs" \
    "${FRAMES_RUNS:-5}" "${FONT_ONLY:+font}${FRAMES_ONLY:+frames}" "$font_runs" <<'PY'
import gzip, os, re, statistics, subprocess, sys, time

runs, batch_runs, big_runs, frames_runs = int(sys.argv[1]), int(sys.argv[2]), int(sys.argv[8]), int(sys.argv[9])
font_runs = int(sys.argv[11])
dotpress, floor, python, magick, eatmydata = sys.argv[3:8]
only = sys.argv[10]  # "frames", "font" or every part
devnull = subprocess.DEVNULL


def timed(argv, env=None):
    start = time.perf_counter()
    done = subprocess.run(argv, stdout=devnull, stderr=subprocess.PIPE, env=env)
    elapsed = time.perf_counter() - start
    if done.returncode != 0:
        sys.exit(f"{' '.join(argv)} failed ({done.returncode}): {done.stderr.decode()}")
    return elapsed


def race(commands, rounds):
    """Runs the commands in turn, rounds times after one warm-up round each,
    and gives each command's median wall time in seconds."""
    for _, argv, env in commands:
        timed(argv, env)
    times = {name: [] for name, _, _ in commands}
    for _ in range(rounds):
        for name, argv, env in commands:
            times[name].append(timed(argv, env))
    return {name: statistics.median(values) for name, values in times.items()}


def ms(seconds):
    return f"{seconds * 1000:8.2f} ms"


def peak(argv):
    """Runs argv under /usr/bin/time -v: its wall time in seconds and its
    peak resident memory in MB."""
    start = time.perf_counter()
    done = subprocess.run(["/usr/bin/time", "-v"] + argv, stdout=devnull, stderr=subprocess.PIPE)
    elapsed = time.perf_counter() - start
    if done.returncode != 0:
        sys.exit(f"{' '.join(argv)} failed ({done.returncode}): {done.stderr.decode()}")
    kbytes = int(re.search(rb"Maximum resident set size \(kbytes\): (\d+)", done.stderr).group(1))
    return elapsed, kbytes / 1000


def peaks(commands, rounds):
    """Runs the commands in turn under peak(), rounds times, and prints each
    one's median time and median peak memory; gives the two medians by name."""
    measured = {name: [] for name, _ in commands}
    for _ in range(rounds):
        for name, argv in commands:
            measured[name].append(peak(argv))
    for name, _ in commands:
        measured[name] = (statistics.median(t for t, _ in measured[name]),
                          statistics.median(m for _, m in measured[name]))
        print(f"  {name:56s} {ms(measured[name][0])} {measured[name][1]:8.1f} MB")
    return measured


def unifont():
    # Every glyph of unifont (U+0000 to U+FFFF asked for; the codes it lacks are
    # named on standard error) into a C header, against pcf2bdf on the same font
    # uncompressed, which writes its BDF without a sync.
    font = "/usr/share/fonts/X11/misc/unifont.pcf.gz"
    with gzip.open(font) as packed, open("unifont.pcf", "wb") as plain:
        plain.write(packed.read())
    fonts = [
        ("dotpress-convert --font unifont.pcf.gz", [dotpress, "--font", font, "--chars", "0-0xFFFF", "-o", "unifont.h"], None),
        ("pcf2bdf unifont.pcf (uncompressed)", ["pcf2bdf", "-o", "unifont.bdf", "unifont.pcf"], None),
    ]
    if eatmydata:
        fonts.append(("dotpress-convert, the sync skipped (eatmydata)", fonts[0][1], dict(os.environ, LD_PRELOAD=eatmydata)))
    font_medians = race(fonts, font_runs)
    print(f"Every glyph of unifont to a C header, median of {font_runs} runs each:")
    for name, _, _ in fonts:
        print(f"  {name:50s} {ms(font_medians[name])}")
    ours, theirs = font_medians[fonts[0][0]], font_medians[fonts[1][0]]
    print(f"  dotpress-convert / pcf2bdf = {ours / theirs:.3f}  (target <= 1.5)")
    if eatmydata:
        print(f"  without the sync: {font_medians[fonts[2][0]] / theirs:.3f}")


if only == "font":
    unifont()
    sys.exit(0)


# Every frame of the animation, coalesced as a browser shows it, fitted to
# 128 x 64 on white and made 1-bit, by each.
animation = [
    ("dotpress-convert --frames --size 128x64 --format bin",
     [dotpress, "--frames", "--size", "128x64", "--format", "bin", "-o", "lcd_anim.bin", "anim.gif"]),
    ("ImageMagick convert -coalesce -resize -extent -monochrome",
     [magick, "anim.gif", "-coalesce", "-resize", "128x64", "-background", "white", "-gravity", "center",
      "-extent", "128x64", "-monochrome", "anim_im.xbm"]),
]
print(f"A 400-frame 480 x 270 GIF reduced to 128 x 64, median of {frames_runs} runs each (time, peak memory):")
ours, im = peaks(animation, frames_runs).values()
print(f"  dotpress-convert / ImageMagick = {ours[0] / im[0]:.3f} time, {ours[1] / im[1]:.3f} memory  "
      f"(targets <= 0.5, <= 0.25)")
print()
if only == "frames":
    sys.exit(0)


single = [
    ("dotpress-convert", [dotpress, "-o", "lcd_x.txt", "x.bmp"], None),
    ("dotpress-convert -o - (no file)", [dotpress, "-o", "-", "x.bmp"], None),
    ("dotpress-convert --version (start)", [dotpress, "--version"], None),
    ("Qt floor (read BMP, QSaveFile 10 800 bytes)", [floor, "x.bmp", "floor.txt"], None),
    ("Pillow BMP -> XBM", [python, "-c",
                           "from PIL import Image; Image.open('x.bmp').save('x_pil.xbm')"], None),
    ("ImageMagick convert BMP -> XBM", [magick, "x.bmp", "x_im.xbm"], None),
    ("process start alone (/bin/true)", ["/bin/true"], None),
]
medians = race(single, runs)
prepare = [
    ("dotpress-convert --fit contain --dither floyd-steinberg",
     [dotpress, "--fit", "contain", "--dither", "floyd-steinberg", "-o", "lcd_in.txt", "in.png"], None),
    ("ImageMagick convert -resize -extent -dither -monochrome",
     [magick, "in.png", "-resize", "240x64", "-background", "white", "-gravity", "center", "-extent", "240x64",
      "-colorspace", "gray", "-dither", "FloydSteinberg", "-monochrome", "in_im.xbm"], None),
    ("Pillow resize (box), paste, Floyd-Steinberg", [python, "-c",
     "from PIL import Image\n"
     "im = Image.open('in.png').convert('RGB'); w, h = im.size; s = min(240 / w, 64 / h)\n"
     "size = (round(w * s), round(h * s)); im = im.resize(size, Image.BOX)\n"
     "canvas = Image.new('RGB', (240, 64), 'white'); canvas.paste(im, ((240 - size[0]) // 2, (64 - size[1]) // 2))\n"
     "canvas.convert('L').convert('1', dither=Image.FLOYDSTEINBERG).save('in_pil.xbm')\n"], None),
]
prepared = race(prepare, runs)
print(f"One bitmap, median of {runs} runs each:")
for name, _, _ in single:
    print(f"  {name:50s} {ms(medians[name])}")
ours = medians["dotpress-convert"]
qt_floor = medians["Qt floor (read BMP, QSaveFile 10 800 bytes)"]
pil = medians["Pillow BMP -> XBM"]
im = medians["ImageMagick convert BMP -> XBM"]
print(f"  dotpress-convert / floor       = {ours / qt_floor:.3f}  (target <= 1.3)")
print(f"  dotpress-convert / Pillow      = {ours / pil:.3f}  (target <= 0.25)")
print(f"  dotpress-convert / ImageMagick = {ours / im:.3f}  (target <= 0.08)")
print()
print(f"A 1024 x 768 PNG prepared for the module, median of {runs} runs each:")
for name, _, _ in prepare:
    print(f"  {name:56s} {ms(prepared[name])}")
ours = prepared[prepare[0][0]]
print(f"  dotpress-convert / ImageMagick = {ours / prepared[prepare[1][0]]:.3f}  (target <= 0.2)")
print(f"  dotpress-convert / Pillow      = {ours / prepared[prepare[2][0]]:.3f}  (target <= 0.5)")
print()

pillow_draft = ("from PIL import Image; import sys\n"
                "im = Image.open(sys.argv[1]); im.draft('L', (240, 64)); im.thumbnail((240, 64)); im = im.convert('L')\n"
                "canvas = Image.new('L', (240, 64), 255)\n"
                "canvas.paste(im, ((240 - im.size[0]) // 2, (64 - im.size[1]) // 2))\n"
                "canvas.convert('1').save('big_pil.xbm')\n")
fit = [dotpress, "--fit", "contain", "--dither", "floyd-steinberg", "-o", "lcd_big.txt"]
targets = {"big.jpg": (1.0, 1.25), "big.png": (0.5, 1.5)}  # time to Pillow's, memory to the floor's
for picture, label in (("big.jpg", "An 8000 x 6000 JPEG"), ("big.png", "An 8192 x 8192 PNG (plasma)")):
    large = [
        ("dotpress-convert --fit contain --dither floyd-steinberg", fit + [picture]),
        ("Pillow draft('L', (240, 64)), thumbnail, paste, convert('1')", [python, "-c", pillow_draft, picture]),
        ("ImageMagick convert (as above)",
         [magick, picture, "-resize", "240x64", "-background", "white", "-gravity", "center", "-extent", "240x64",
          "-colorspace", "gray", "-dither", "FloydSteinberg", "-monochrome", "big_im.xbm"]),
        ("the floor: dotpress-convert (as above) on a 20 x 20 PNG", fit + ["tiny.png"]),
    ]
    print(f"{label} ({os.path.getsize(picture) / 1e6:.1f} MB) prepared for the module, "
          f"median of {big_runs} runs each (time, peak memory):")
    measured = peaks(large, big_runs)
    ours, pil, im, floor_run = (measured[name] for name, _ in large)
    time_target, memory_target = targets[picture]
    print(f"  dotpress-convert / Pillow      = {ours[0] / pil[0]:.3f} time  (target <= {time_target})")
    print(f"  dotpress-convert / floor       = {ours[1] / floor_run[1]:.3f} memory  (target <= {memory_target})")
    print(f"  dotpress-convert / ImageMagick = {ours[0] / im[0]:.3f} time, {ours[1] / im[1]:.3f} memory")
    print()

bitmaps = sorted(os.path.join("batch", f) for f in os.listdir("batch") if f.endswith(".bmp"))
count = len(bitmaps)
batch = [
    ("written durably (as shipped)", [dotpress] + bitmaps, None),
]
# The same call with fdatasync and fsync made no-ops: the difference is what
# the sync before each rename costs.
if eatmydata:
    env = dict(os.environ, LD_PRELOAD=eatmydata)
    batch.append(("with the syncs skipped (eatmydata)", [dotpress] + bitmaps, env))
batch_medians = race(batch, batch_runs)
print(f"{count} bitmaps in one call, median of {batch_runs} runs:")
for name, _, _ in batch:
    seconds = batch_medians[name]
    print(f"  {name:34s} {ms(seconds)}  = {count / seconds:8.0f} bitmaps/s")
if len(batch) > 1:
    durable = batch_medians[batch[0][0]]
    unsynced = batch_medians[batch[1][0]]
    print(f"  the syncs cost {ms((durable - unsynced) / count).strip()} per bitmap, "
          f"{100 * (durable - unsynced) / durable:.0f} % of the call")
else:
    print("  (install eatmydata to see what the syncs cost of it)")
print()

unifont()
PY
