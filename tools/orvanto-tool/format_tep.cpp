// Text Picture for `info`, `convert` and `tep-text`.

#include "codec_io.h"
#include "command_registry.h"
#include "picture_io.h"

#include "imaging/codecs/text_picture.h"

#include <QBuffer>

#include <cstdio>

namespace orvanto {

namespace {

bool ReadTextPicture(const std::string& path, QImage& picture, std::string& error, std::string&)
{
    TTextPicture codec;
    return LoadWithCodec(codec, path, picture, error);
}

// The codec set up from --tep-bits (default 6) and --tep-style (default 2).
bool Configure(TTextPicture& codec, const QImage& picture, const TToolOptions& options,
               std::string& error)
{
    int bits = 6, style = 2;
    if (!options.Integer("--tep-bits", 6, 1, 6, bits, error)
        || !options.Integer("--tep-style", 2, 0, 2, style, error))
        return false;
    codec.AssignBitmap(picture);
    codec.SetBitsPerPixel(bits);
    codec.SetLineStyle(style);
    return true;
}

bool Save(TTextPicture& codec, QIODevice& device, std::string& error)
{
    try {
        codec.SaveToStream(device);
        return true;
    } catch (const EGeneralError& failure) {
        error = failure.Message;
        return false;
    }
}

bool WriteTextPicture(const QImage& picture, const std::string& path, const TToolOptions& options,
                      std::string& error)
{
    TTextPicture codec;
    return Configure(codec, picture, options, error) && SaveWithCodec(codec, picture, path, error);
}

// Prints a picture as Text Picture text, ready to paste into source code.
int RunTepText(const std::vector<std::string>& arguments)
{
    std::vector<std::string> files;
    TToolOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--tep-bits" || arguments[i] == "--tep-style") {
            if (i + 1 >= arguments.size())
                return Fail(arguments[i] + " needs a value");
            options.Values[arguments[i]] = arguments[i + 1];
            ++i;
        } else if (arguments[i].rfind("--", 0) == 0) {
            return Fail("Unknown option " + arguments[i]);
        } else {
            files.push_back(arguments[i]);
        }
    }
    if (files.size() != 1)
        return Fail("Usage: orvanto-tool tep-text IN [--tep-bits N] [--tep-style N]");
    QImage picture;
    std::string format, details, error;
    if (!ReadPicture(files[0], picture, format, details, error))
        return Fail(error);
    TTextPicture codec;
    if (!Configure(codec, picture, options, error))
        return Fail(error);
    QByteArray text;
    QBuffer buffer(&text);
    buffer.open(QIODevice::WriteOnly);
    if (!Save(codec, buffer, error))
        return Fail(error);
    buffer.close();
    // Line style 1 writes the inner breaks of a string constant; the quotes
    // around the whole are the caller's, so add them here.
    const bool quoted = codec.LineStyle() == 1;
    std::printf("%s%s%s\n", quoted ? "\"" : "", text.constData(), quoted ? "\"" : "");
    return 0;
}

TRegisterReader tepReader({".TEP", "Text Picture", &ReadTextPicture});
TRegisterWriter tepWriter({".TEP", {"--tep-bits", "--tep-style"}, &WriteTextPicture});
TRegisterCommand tepText{{"tep-text", "tep-text IN [--tep-bits N] [--tep-style N]",
                          "prints a picture as Text Picture text for source code", &RunTepText, false}};

} // namespace

} // namespace orvanto
