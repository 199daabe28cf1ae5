#pragma once

// Windows metafiles (.WMF, placeable or plain) and enhanced metafiles
// (.EMF, EMF+ files through their fallback records), played into 24-bit
// pictures. Linux has no metafile player, so this is ours.

#include <QByteArray>
#include <QImage>

#include <string>

namespace orvanto {

class TMetafile {
public:
    // Sizes are reported at this many pixels per inch; 0 = the screen's.
    explicit TMetafile(int pixelsPerInch = 0);

    // false with LastError "Unknown format" when the header is not sound,
    // "File not found" / "File in use" when the file cannot be read.
    bool LoadFromFile(const std::string& path);
    bool LoadFromBytes(const QByteArray& bytes);

    bool Enhanced() const { return FEnhanced; }
    // The metafile's frame at the pixels per inch; at least 1 once loaded.
    int Width() const { return FPixelWidth; }
    int Height() const { return FPixelHeight; }

    // Plays the records onto picture with the frame spanning the whole
    // picture. A damaged record ends the playing; what was drawn stays.
    void Draw(QImage& picture) const;

    const std::string& LastError() const { return FError; }

private:
    QByteArray FBytes;
    bool FEnhanced = false;
    int FPixelsPerInch;
    int FPixelWidth = 0, FPixelHeight = 0;
    std::string FError;
};

// The whole open of one file: load, allocate a white 24-bit picture of the
// metafile's size through the allocation ceiling, draw. On failure error
// holds "File not found", "Unknown format" or "Out of memory".
bool LoadMetafile(const std::string& path, QImage& picture, std::string& error, int pixelsPerInch = 0);

} // namespace orvanto
