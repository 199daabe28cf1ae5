#include "picture_io.h"

#include "imaging/metafile/metafile.h"

namespace orvanto {

namespace {

bool ReadMetafile(const std::string& path, QImage& picture, std::string& error, std::string&)
{
    return LoadMetafile(path, picture, error);
}

TRegisterReader wmf{{".WMF", "Windows Metafile", &ReadMetafile}};
TRegisterReader emf{{".EMF", "Enhanced Windows Metafile", &ReadMetafile}};

} // namespace

} // namespace orvanto
