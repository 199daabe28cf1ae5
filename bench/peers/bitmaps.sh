# Windows bitmaps and JPEG to a raw portable pixmap, 6000 x 4000.
make_input photo.ppm convert -size 6000x4000 plasma:fractal -seed 7 photo.ppm
make_input photo24.bmp convert photo.ppm BMP3:photo24.bmp
make_input photo-rle8.bmp convert photo.ppm -colors 64 -type Palette -compress RLE BMP3:photo-rle8.bmp
make_input photo90.jpg cjpeg -quality 90 -outfile photo90.jpg photo.ppm

row "24-bit BMP -> PPM" "$TOOL convert photo24.bmp out.ppm" \
    "bmptopnm" "bmptopnm photo24.bmp > peer.ppm" \
    "ImageMagick" "convert photo24.bmp peer.ppm"
row "8-bit RLE BMP -> PPM" "$TOOL convert photo-rle8.bmp out.ppm" \
    "bmptopnm" "bmptopnm photo-rle8.bmp > peer.ppm" \
    "ImageMagick" "convert photo-rle8.bmp peer.ppm"
row "JPEG q90 -> PPM" "$TOOL convert photo90.jpg out.ppm" \
    "djpeg" "djpeg -outfile peer.ppm photo90.jpg" \
    "jpegtopnm" "jpegtopnm photo90.jpg > peer.ppm" \
    "ImageMagick" "convert photo90.jpg peer.ppm"
