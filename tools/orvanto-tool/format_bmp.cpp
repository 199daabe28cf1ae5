#include "picture_io.h"

#include "imaging/bitmap/bitmap_reader.h"
#include "imaging/bitmap/bitmap_writer.h"

namespace orvanto {

namespace {

bool ReadAny(const std::string& path, QImage& picture, std::string& error, std::string& details)
{
    return ReadBitmapFile(path, picture, error, &details);
}

bool Write(const QImage& picture, const std::string& path, const TToolOptions&, std::string& error)
{
    return SaveBitmapFile(picture, path, error);
}

TRegisterReader bmp{{".BMP", "Bitmap", &ReadAny}};
TRegisterReader dib{{".DIB", "Device Independant Bitmap", &ReadAny}};
TRegisterReader rle{{".RLE", "Windows RLE", &ReadAny}};
TRegisterWriter bmpWriter{{".BMP", {}, &Write}};

} // namespace

} // namespace orvanto
