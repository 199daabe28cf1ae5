# A camera JPEG in Adobe RGB, decoded and its colours turned into sRGB by the
# embedded profile, written as a raw pixmap. Both peers convert with the same
# colour engine (LittleCMS) as orvanto-tool.
ICC=/usr/share/color/icc
make_input photo.ppm convert -size 6000x4000 plasma:fractal -seed 7 photo.ppm
make_input photo-adobe.jpg convert photo.ppm -profile $ICC/sRGB.icc -profile $ICC/compatibleWithAdobeRGB1998.icc \
    -quality 90 photo-adobe.jpg

PIL_TO_SRGB='/usr/bin/python3 -c "import io, sys; from PIL import Image, ImageCms
im = Image.open(sys.argv[1])
source = ImageCms.ImageCmsProfile(io.BytesIO(im.info[\"icc_profile\"]))
ImageCms.profileToProfile(im, source, ImageCms.createProfile(\"sRGB\"), inPlace=True)
im.save(sys.argv[2])"'

row "JPEG Adobe RGB 6000x4000 -> sRGB PPM" "\$TOOL convert photo-adobe.jpg out.ppm" \
    "ImageMagick" "convert photo-adobe.jpg -profile $ICC/sRGB.icc peer.ppm" \
    "Pillow" "$PIL_TO_SRGB photo-adobe.jpg peer.ppm"
