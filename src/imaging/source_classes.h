#pragma once

#include "imaging/open_image.h"

namespace orvanto {

// The source graphic classes of the built-in formats. Each one wraps the
// reader of its format; a class whose reader is not built in has an empty
// Create, and its files fail as undecodable ones do.
const TGraphicClass& BitmapGraphicClass();        // .BMP .DIB .RLE
const TGraphicClass& JpegGraphicClass();          // .JPG .JIF .JPEG .JPE
const TGraphicClass& IconGraphicClass();          // .ICO
const TGraphicClass& MetafileGraphicClass();      // .WMF .EMF
const TGraphicClass& PortablePixelmapGraphicClass(); // .PPM .PGM .PBM
const TGraphicClass& XBitmapGraphicClass();       // .XBM
const TGraphicClass& TextPictureGraphicClass();   // .TEP
const TGraphicClass& OptimisedImageGraphicClass(); // .OMI
// The formats read through libraries; they tell too large, unsupported and
// damaged files apart in their messages.
const TGraphicClass& PngGraphicClass();           // .PNG
const TGraphicClass& GifGraphicClass();           // .GIF
const TGraphicClass& TiffGraphicClass();          // .TIF .TIFF
const TGraphicClass& WebpGraphicClass();          // .WEBP
const TGraphicClass& HeifGraphicClass();          // .HEIC .HEIF .AVIF

} // namespace orvanto
