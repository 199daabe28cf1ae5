#include "imaging/source_classes.h"

// Each class is built once, on first use. A class with an empty Create
// has no reader in this build yet.

const TGraphicClass& BitmapGraphicClass()
{
    static const TGraphicClass graphicClass{"TBitmap", nullptr, false};
    return graphicClass;
}

const TGraphicClass& JpegGraphicClass()
{
    static const TGraphicClass graphicClass{"TJPEGImage", nullptr, false};
    return graphicClass;
}

const TGraphicClass& IconGraphicClass()
{
    static const TGraphicClass graphicClass{"TIcon", nullptr, false};
    return graphicClass;
}

const TGraphicClass& MetafileGraphicClass()
{
    static const TGraphicClass graphicClass{"TMetafile", nullptr, false};
    return graphicClass;
}

const TGraphicClass& PortablePixelmapGraphicClass()
{
    static const TGraphicClass graphicClass{"TPortablePixelmap", nullptr, false};
    return graphicClass;
}

const TGraphicClass& XBitmapGraphicClass()
{
    static const TGraphicClass graphicClass{"TXBitmap", nullptr, false};
    return graphicClass;
}

const TGraphicClass& TextPictureGraphicClass()
{
    static const TGraphicClass graphicClass{"TTextPicture", nullptr, true};
    return graphicClass;
}

const TGraphicClass& OptimisedImageGraphicClass()
{
    static const TGraphicClass graphicClass{"TOptimisedImage", nullptr, false};
    return graphicClass;
}
