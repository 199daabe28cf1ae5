# Decoding the portable pixmap family and X Bitmap: orvanto-tool convert IN
# OUT.ppm against the established readers, each writing its result to a file.
# Netpbm's converters write the input's own type (as a user would run them);
# the others write a raw pixmap like ours.

make_input dec-p6.ppm bash -c '{ printf "P6\n6000 4000\n255\n"; head -c 72000000 /dev/urandom; } > dec-p6.ppm'
make_input dec-p5.pgm bash -c 'ppmtopgm dec-p6.ppm > dec-p5.pgm'
make_input dec-p4.pbm bash -c 'pgmtopbm -threshold dec-p5.pgm > dec-p4.pbm'
make_input dec-p3.ppm bash -c 'pnmtoplainpnm dec-p6.ppm > dec-p3.ppm'
make_input dec-p1.pbm bash -c 'pnmtoplainpnm dec-p4.pbm > dec-p1.pbm'
make_input dec-x.xbm bash -c 'pamcut -width 2000 -height 2000 dec-p4.pbm | pbmtoxbm > dec-x.xbm'

PIL_CONVERT='/usr/bin/python3 -c "import sys; from PIL import Image; Image.open(sys.argv[1]).save(sys.argv[2])"'

decode_row() {
    local label=$1 input=$2 netpbm=$3
    row "$label" "\$TOOL convert $input out-orvanto.ppm" \
        "netpbm" "$netpbm $input > out-netpbm" \
        "imagemagick" "convert $input out-im.ppm" \
        "graphicsmagick" "gm convert $input out-gm.ppm" \
        "pillow" "$PIL_CONVERT $input out-pil.ppm"
}

decode_row "decode P6 6000x4000" dec-p6.ppm pamtopnm
decode_row "decode P5 6000x4000" dec-p5.pgm pamtopnm
decode_row "decode P4 6000x4000" dec-p4.pbm pamtopnm
decode_row "decode P3 6000x4000" dec-p3.ppm pamtopnm
decode_row "decode P1 6000x4000" dec-p1.pbm pamtopnm
decode_row "decode XBM 2000x2000" dec-x.xbm xbmtopbm
