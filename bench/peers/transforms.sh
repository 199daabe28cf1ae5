# Raster transforms on a 6000 x 4000 raw pixmap (72 MB of pixels), whole
# process against whole process, every tool writing a raw pixmap.

make_input transforms-in.ppm python3 -c '
import os, sys
w, h = 6000, 4000
row = bytes((i * 7) & 255 for i in range(w * 3))
with open("transforms-in.ppm", "wb") as f:
    f.write(b"P6\n%d %d\n255\n" % (w, h))
    for y in range(h):
        f.write(row[y % 251:] + row[:y % 251])
'
IN=transforms-in.ppm
say "input: $(picture_bytes $IN) picture bytes"

pil() { echo "/usr/bin/python3 -c 'from PIL import Image; Image.open(\"$IN\").$1.save(\"pil.ppm\")'"; }

row "rotate 90" "\$TOOL convert $IN out.ppm --rotate 90" \
    "pamflip -cw" "pamflip -cw $IN > netpbm.ppm" \
    "magick -rotate 90" "/usr/bin/convert $IN -rotate 90 im.ppm" \
    "gm -rotate 90" "gm convert $IN -rotate 90 gm.ppm" \
    "pillow ROTATE_270" "$(pil 'transpose(Image.Transpose.ROTATE_270)')"
row "rotate 180" "\$TOOL convert $IN out.ppm --rotate 180" \
    "pamflip -r180" "pamflip -r180 $IN > netpbm.ppm" \
    "magick -rotate 180" "/usr/bin/convert $IN -rotate 180 im.ppm" \
    "gm -rotate 180" "gm convert $IN -rotate 180 gm.ppm" \
    "pillow ROTATE_180" "$(pil 'transpose(Image.Transpose.ROTATE_180)')"
row "rotate 270" "\$TOOL convert $IN out.ppm --rotate 270" \
    "pamflip -ccw" "pamflip -ccw $IN > netpbm.ppm" \
    "magick -rotate 270" "/usr/bin/convert $IN -rotate 270 im.ppm" \
    "gm -rotate 270" "gm convert $IN -rotate 270 gm.ppm" \
    "pillow ROTATE_90" "$(pil 'transpose(Image.Transpose.ROTATE_90)')"
row "flip" "\$TOOL convert $IN out.ppm --flip" \
    "pamflip -tb" "pamflip -tb $IN > netpbm.ppm" \
    "magick -flip" "/usr/bin/convert $IN -flip im.ppm" \
    "gm -flip" "gm convert $IN -flip gm.ppm" \
    "pillow FLIP_TOP_BOTTOM" "$(pil 'transpose(Image.Transpose.FLIP_TOP_BOTTOM)')"
row "mirror" "\$TOOL convert $IN out.ppm --mirror" \
    "pamflip -lr" "pamflip -lr $IN > netpbm.ppm" \
    "magick -flop" "/usr/bin/convert $IN -flop im.ppm" \
    "gm -flop" "gm convert $IN -flop gm.ppm" \
    "pillow FLIP_LEFT_RIGHT" "$(pil 'transpose(Image.Transpose.FLIP_LEFT_RIGHT)')"
row "invert" "\$TOOL convert $IN out.ppm --invert" \
    "pnminvert" "pnminvert $IN > netpbm.ppm" \
    "magick -negate" "/usr/bin/convert $IN -negate im.ppm" \
    "gm -negate" "gm convert $IN -negate gm.ppm" \
    "pillow ImageOps.invert" "/usr/bin/python3 -c 'from PIL import Image, ImageOps; ImageOps.invert(Image.open(\"$IN\")).save(\"pil.ppm\")'"
row "copy the file (floor)" "cat $IN > out.ppm"
