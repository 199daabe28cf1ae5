#include "command_registry.h"
#include "picture_io.h"

#include <cstdio>

namespace orvanto {

namespace {

int RunInfo(const std::vector<std::string>& arguments)
{
    if (arguments.size() != 1)
        return Fail("Usage: orvanto-tool info FILE");
    QImage picture;
    std::string format, details, error;
    if (!ReadPicture(arguments[0], picture, format, details, error))
        return Fail(error);
    const int width = picture.width(), height = picture.height();
    // Describing may decode the file again: the first picture goes first, so
    // the two are never held together.
    picture = QImage();
    if (details.empty())
        details = DescribePicture(arguments[0]);
    std::printf("%d %d %s%s%s\n", width, height, format.c_str(),
                details.empty() ? "" : " ", details.c_str());
    return 0;
}

TRegisterCommand registration{{"info", "info FILE",
                               "loads FILE as Orvanto does and prints WIDTH HEIGHT FORMAT", &RunInfo, false}};

} // namespace

} // namespace orvanto
