# Decoding the library formats to a raw pixmap: a 6000 x 4000 picture (24
# megapixels, a camera's) as PNG, TIFF, WebP and HEIC, orvanto-tool convert
# against ImageMagick and Pillow (Pillow reads no HEIC). The picture is
# smooth with fine detail, as photos are, so the coders work as on real files.

make_input fmt-src.ppm bash -c 'convert -size 6000x4000 -seed 7 plasma:fractal -blur 0x1 -depth 8 fmt-src.ppm'
make_input fmt.png convert fmt-src.ppm fmt.png
make_input fmt.tif convert fmt-src.ppm -compress lzw fmt.tif
make_input fmt.webp convert fmt-src.ppm -quality 90 fmt.webp
# x265's fastest preset: ImageMagick's default encoding of 24 megapixels takes
# many minutes; decoding is alike.
make_input fmt-src.png convert fmt-src.ppm -quality 10 fmt-src.png
make_input fmt.heic heif-enc -q 90 -p preset=ultrafast fmt-src.png -o fmt.heic

PIL_CONVERT='/usr/bin/python3 -c "import sys; from PIL import Image; Image.open(sys.argv[1]).convert(\"RGB\").save(sys.argv[2])"'

for input in fmt.png fmt.tif fmt.webp; do
    row "decode ${input#fmt.} 6000x4000" "\$TOOL convert $input out-orvanto.ppm" \
        "imagemagick" "convert $input out-im.ppm" \
        "pillow" "$PIL_CONVERT $input out-pil.ppm"
done
row "decode heic 6000x4000" "\$TOOL convert fmt.heic out-orvanto.ppm" \
    "imagemagick" "convert fmt.heic out-im.ppm"
