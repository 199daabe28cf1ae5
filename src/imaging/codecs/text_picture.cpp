#include "imaging/codecs/text_picture.h"

#include "imaging/codecs/byte_image.h"
#include "imaging/codecs/byte_stream.h"
#include "imaging/codecs/picture_allocation.h"
#include "support/messages/messages.h"

#include <QBuffer>

namespace orvanto {

namespace {

const TCodecTexts TextPictureTexts{Messages::OutOfMemory, Messages::FileNotFound, Messages::FileInUse};

constexpr int StartMark = 29; // the digit "T"

// What is left at depth 0 once comments and ignored characters are gone.
enum TSymbol : int { EndOfStream = -1, HeaderEnd = -2, PictureEnd = -3 };

// Walks the text character by character through the byte stream, hiding
// brace comments and every character that is neither a digit nor "~" / "#".
class TSymbolReader {
public:
    TSymbolReader(TByteStream& stream, std::int64_t position) : FStream(stream), FPosition(position) {}

    // A digit value 0..63, HeaderEnd, PictureEnd or EndOfStream.
    int Next()
    {
        std::uint8_t c = 0;
        while (FStream.ReadByte(FPosition, c)) {
            ++FPosition;
            if (c == '{') {
                ++FDepth;
                continue;
            }
            if (c == '}') {
                --FDepth;
                continue;
            }
            if (FDepth != 0)
                continue;
            if (c == '~')
                return HeaderEnd;
            if (c == '#')
                return PictureEnd;
            const int digit = TTextPicture::DigitValue(char(c));
            if (digit >= 0)
                return digit;
        }
        return EndOfStream;
    }
    std::int64_t Position() const { return FPosition; }

private:
    TByteStream& FStream;
    std::int64_t FPosition;
    std::int64_t FDepth = 0;
};

struct THeader {
    int BitsPerPixel = 0;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    TColorTable Palette;
    int PaletteSize = 0;
};

void SetDefaultPalette(TColorTable& table)
{
    static const std::uint32_t defaults[8] = {0x000000, 0x0000FF, 0x00FFFF, 0x00FF00,
                                              0xFF0000, 0xC0C0C0, 0x808080, 0xFFFFFF};
    for (int i = 0; i < TColorTable::Capacity; ++i)
        table.SetColor(i, i < 8 ? defaults[i] : 0);
    table.Count = TColorTable::Capacity;
}

// Reads up to "~"; false when the text is not a Text Picture header.
bool ReadHeader(TSymbolReader& reader, THeader& header)
{
    int symbol = reader.Next();
    while (symbol != StartMark) {
        if (symbol == EndOfStream || symbol == PictureEnd)
            return false;
        symbol = reader.Next();
    }
    // bits, 3 width digits, 3 height digits, then 4 digits per colour
    int field = 0;
    std::uint32_t color = 0;
    int colorDigits = 0;
    int colorIndex = 0;
    for (;;) {
        symbol = reader.Next();
        if (symbol == EndOfStream || symbol == PictureEnd)
            return false;
        if (symbol == HeaderEnd)
            return header.BitsPerPixel >= 1 && header.BitsPerPixel <= 6 && header.Width >= 1
                && header.Height >= 1;
        if (field == 0) {
            if (symbol < 1 || symbol > 6)
                return false;
            header.BitsPerPixel = symbol;
            header.PaletteSize = 1 << symbol;
            SetDefaultPalette(header.Palette);
        } else if (field <= 3) {
            header.Width += symbol << (6 * (field - 1));
        } else if (field <= 6) {
            header.Height += symbol << (6 * (field - 4));
        } else if (colorIndex < header.PaletteSize) {
            color += std::uint32_t(symbol) << (6 * colorDigits);
            if (++colorDigits == 4) {
                header.Palette.SetColor(colorIndex++, color);
                color = 0;
                colorDigits = 0;
            }
        }
        ++field;
    }
}

// How many pixels one digit character carries at each depth.
int PixelsPerCharacter(int bitsPerPixel)
{
    static const int counts[7] = {0, 6, 3, 2, 1, 1, 1};
    return counts[bitsPerPixel];
}

// The palette index of pixel slot i of a digit value.
int Unpack(int value, int bitsPerPixel, int slot)
{
    switch (bitsPerPixel) {
    case 1: return (value >> slot) & 1;
    case 2: return (value >> (2 * slot)) & 3;
    case 3: return slot == 0 ? value & 7 : value >> 3;
    default: return value;
    }
}

int Pack(const int* group, int bitsPerPixel)
{
    switch (bitsPerPixel) {
    case 1: return group[0] | group[1] << 1 | group[2] << 2 | group[3] << 3 | group[4] << 4 | group[5] << 5;
    case 2: return group[0] | group[1] << 2 | group[2] << 4;
    case 3: return group[0] | group[1] << 3;
    default: return group[0];
    }
}

// Writes characters and the line style's separators after the header and
// after every 250 (quoted pieces) or 68 (lines) pixel characters.
class TTextWriter {
public:
    TTextWriter(TByteStream& stream, std::int64_t position, int lineStyle)
        : FStream(stream), FPosition(position), FLineStyle(lineStyle)
    {
    }

    bool Text(const std::string& text) { return FStream.WriteText(FPosition, text); }
    bool Separator()
    {
        FCount = 0;
        if (FLineStyle == 1) {
            // Every 4th break of the string constant, from the 3rd on, also
            // breaks the line so the source stays readable.
            ++FSeparators;
            return Text(FSeparators % 4 == 3 ? "\"+\r\n\"" : "\"+\"");
        }
        if (FLineStyle == 2)
            return Text("\r\n");
        return true;
    }
    bool PixelCharacter(char c)
    {
        std::uint8_t byte = std::uint8_t(c);
        if (!FStream.WriteByte(FPosition, byte))
            return false;
        ++FPosition;
        const int limit = FLineStyle == 1 ? 250 : FLineStyle == 2 ? 68 : 0;
        if (limit != 0 && ++FCount == limit)
            return Separator();
        return true;
    }

private:
    TByteStream& FStream;
    std::int64_t FPosition;
    int FLineStyle;
    int FCount = 0;
    int FSeparators = 0;
};

std::string Number(std::uint32_t value, int digits)
{
    std::string text;
    for (int i = 0; i < digits; ++i)
        text += TTextPicture::DigitChar(int(value >> (6 * i)));
    return text;
}

} // namespace

int TColorTable::FindColor(std::uint8_t blue, std::uint8_t green, std::uint8_t red) const
{
    for (int i = 0; i < Count; ++i)
        if (Bytes[i][0] == blue && Bytes[i][1] == green && Bytes[i][2] == red)
            return i;
    return -1;
}

int TColorTable::AddColor(std::uint8_t blue, std::uint8_t green, std::uint8_t red)
{
    const int found = FindColor(blue, green, red);
    if (found >= 0)
        return found;
    if (Count >= Capacity)
        return -1;
    SetColor(Count, std::uint32_t(red) | std::uint32_t(green) << 8 | std::uint32_t(blue) << 16);
    return Count++;
}

void TColorTable::SetColor(int index, std::uint32_t color)
{
    if (index < 0 || index >= Capacity)
        return;
    Colors[index] = color & 0xFFFFFF;
    Bytes[index][0] = std::uint8_t(color >> 16); // blue
    Bytes[index][1] = std::uint8_t(color >> 8);  // green
    Bytes[index][2] = std::uint8_t(color);       // red
}

bool CollectColors(const QImage* bitmap, TColorTable& table, int maximum)
{
    if (bitmap == nullptr)
        return false;
    if (maximum > TColorTable::Capacity)
        maximum = TColorTable::Capacity;
    table.Count = 0;
    const QImage picture = bitmap->format() == QImage::Format_BGR888
        ? *bitmap
        : bitmap->convertToFormat(QImage::Format_BGR888);
    for (int y = 0; y < picture.height() && table.Count < maximum; ++y) {
        const std::uint8_t* pixel = picture.constScanLine(y);
        for (int x = 0; x < picture.width() && table.Count < maximum; ++x, pixel += 3)
            table.AddColor(pixel[0], pixel[1], pixel[2]);
    }
    return true;
}

TTextPicture::TTextPicture() : TCodecGraphic(TextPictureTexts)
{
    Picture = QImage(0, 0, QImage::Format_BGR888);
}

void TTextPicture::SetBitsPerPixel(int bits)
{
    FBitsPerPixel = bits < 1 ? 1 : bits > 6 ? 6 : bits;
}

void TTextPicture::SetLineStyle(int style)
{
    FLineStyle = style < 0 ? 0 : style > 2 ? 2 : style;
}

int TTextPicture::DigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'Z')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 36;
    if (c == '(')
        return 62;
    if (c == ')')
        return 63;
    return -1;
}

bool TTextPicture::SameClass(const TGraphic& other) const
{
    return dynamic_cast<const TTextPicture*>(&other) != nullptr;
}

void TTextPicture::AssignSettings(const TCodecGraphic& source)
{
    const auto& picture = static_cast<const TTextPicture&>(source);
    FBitsPerPixel = picture.FBitsPerPixel;
    FLineStyle = picture.FLineStyle;
}

bool TTextPicture::LoadFromText(const std::string& text)
{
    LastError = Messages::OutOfMemory;
    try {
        QByteArray bytes(text.data(), qsizetype(text.size()));
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        LoadFromStream(buffer);
        return true;
    } catch (...) {
        return false;
    }
}

void TTextPicture::LoadSteps(QIODevice& device, std::string& message)
{
    TByteStream stream;
    stream.SetStream(&device);
    TSymbolReader reader(stream, device.pos());
    THeader header;
    if (!ReadHeader(reader, header)) {
        message = Messages::UnknownFormat;
        return;
    }
    QImage picture = AllocatePicture(header.Width, header.Height);
    if (picture.isNull())
        return; // pending: out of memory
    Picture = picture;

    TByteImage image;
    image.SetBitmap(&Picture);
    const int perCharacter = PixelsPerCharacter(header.BitsPerPixel);
    const int highest = header.PaletteSize - 1;
    const std::int64_t size = stream.Size() > 0 ? stream.Size() : 1;
    std::int64_t characters = 0;
    bool full = false;
    while (!full) {
        const int symbol = reader.Next();
        if (symbol == EndOfStream || symbol == PictureEnd)
            break;
        if (symbol < 0)
            continue; // a second "~" carries no pixels
        for (int slot = 0; slot < perCharacter; ++slot) {
            int index = Unpack(symbol, header.BitsPerPixel, slot);
            if (index > highest)
                index = highest;
            const std::uint8_t* color = header.Palette.Bytes[index];
            if (!image.PutNextPixel(color[0], color[1], color[2])) {
                full = true;
                break;
            }
        }
        if (++characters % 10000 == 0)
            RequestProgress(reader.Position() * 100 / size);
    }
    device.seek(reader.Position());
    message.clear();
}

void TTextPicture::SaveSteps(QIODevice& device, std::string& message)
{
    if (GetEmpty())
        return;
    // Three base-64 digits carry sizes below 262144; a larger picture would
    // be written with its size cut and read back as another picture.
    if (Picture.width() > MaxDimension || Picture.height() > MaxDimension)
        return;
    const int bits = FBitsPerPixel;
    TColorTable table;
    CollectColors(&Picture, table, 1 << bits);

    TByteStream stream;
    stream.SetStream(&device);
    TTextWriter writer(stream, device.pos(), FLineStyle);
    std::string header = "T";
    header += DigitChar(bits);
    header += Number(std::uint32_t(Picture.width()), 3) + Number(std::uint32_t(Picture.height()), 3);
    for (int i = 0; i < table.Count; ++i)
        header += Number(table.Colors[i], 4);
    header += '~';
    if (!writer.Text(header) || !writer.Separator())
        return;

    const int perCharacter = PixelsPerCharacter(bits);
    int group[6] = {0, 0, 0, 0, 0, 0};
    int filled = 0;
    int lastIndex = -1;
    std::uint32_t lastColor = 0xFFFFFFFF;
    for (int y = 0; y < Picture.height(); ++y) {
        RequestProgress(std::int64_t(y + 1) * 100 / Picture.height());
        const std::uint8_t* pixel = Picture.constScanLine(y);
        for (int x = 0; x < Picture.width(); ++x, pixel += 3) {
            // Neighbouring pixels mostly share a colour: skip the search then.
            const std::uint32_t color = pixel[0] | pixel[1] << 8 | std::uint32_t(pixel[2]) << 16;
            if (color != lastColor) {
                lastColor = color;
                lastIndex = table.FindColor(pixel[0], pixel[1], pixel[2]);
                if (lastIndex < 0)
                    lastIndex = 0;
            }
            group[filled++] = lastIndex;
            if (filled == perCharacter) {
                if (!writer.PixelCharacter(DigitChar(Pack(group, bits))))
                    return;
                filled = 0;
            }
        }
    }
    // The last group keeps what the previous group left in its unused group;
    // a reader ignores pixels beyond the raster.
    if (filled > 0 && !writer.PixelCharacter(DigitChar(Pack(group, bits))))
        return;
    if (!writer.Text("#") || !stream.Flush())
        return;
    message.clear();
}

QImage BitmapFromText(const std::string& text)
{
    TTextPicture picture;
    if (!picture.LoadFromText(text))
        return QImage();
    return picture.Picture.copy();
}

} // namespace orvanto
