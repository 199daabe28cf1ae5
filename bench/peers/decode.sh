# Decoding the portable pixmap family and X Bitmap: orvanto-tool convert IN
# OUT against the established readers, each writing its result to a file.
# Netpbm's converters write the input's own kind of picture (as a user would
# run them), so every tool writes that same kind: a raw pixmap for colour
# inputs, a raw graymap (.pgm, a third of the bytes) for gray ones, a raw
# bitmap (.pbm, a 24th) for bitmaps and X Bitmap.

make_input dec-p6.ppm bash -c '{ printf "P6\n6000 4000\n255\n"; head -c 72000000 /dev/urandom; } > dec-p6.ppm'
make_input dec-p5.pgm bash -c 'ppmtopgm dec-p6.ppm > dec-p5.pgm'
make_input dec-p4.pbm bash -c 'pgmtopbm -threshold dec-p5.pgm > dec-p4.pbm'
make_input dec-p3.ppm bash -c 'pnmtoplainpnm dec-p6.ppm > dec-p3.ppm'
make_input dec-p1.pbm bash -c 'pnmtoplainpnm dec-p4.pbm > dec-p1.pbm'
make_input dec-x.xbm bash -c 'pamcut -width 2000 -height 2000 dec-p4.pbm | pbmtoxbm > dec-x.xbm'

PIL_CONVERT='/usr/bin/python3 -c "import sys; from PIL import Image; Image.open(sys.argv[1]).save(sys.argv[2])"'

decode_row() {
    local label=$1 input=$2 netpbm=$3 out=$4
    row "$label" "\$TOOL convert $input out-orvanto.$out" \
        "netpbm" "$netpbm $input > out-netpbm" \
        "imagemagick" "convert $input out-im.$out" \
        "graphicsmagick" "gm convert $input out-gm.$out" \
        "pillow" "$PIL_CONVERT $input out-pil.$out"
}

decode_row "decode P6 6000x4000" dec-p6.ppm pamtopnm ppm
decode_row "decode P5 6000x4000 to .pgm" dec-p5.pgm pamtopnm pgm
decode_row "decode P4 6000x4000 to .pbm" dec-p4.pbm pamtopnm pbm
decode_row "decode P3 6000x4000" dec-p3.ppm pamtopnm ppm
decode_row "decode P1 6000x4000 to .pbm" dec-p1.pbm pamtopnm pbm
decode_row "decode XBM 2000x2000 to .pbm" dec-x.xbm xbmtopbm pbm
