#include "app/startup/program_icon.h"

namespace orvanto {

namespace {

const int IconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

} // namespace

QString IconResource(int size)
{
    return QStringLiteral(":/icons/orvanto-%1.png").arg(size);
}

QIcon ProgramIcon()
{
    QIcon icon;
    for (const int size : IconSizes)
        icon.addFile(IconResource(size), QSize(size, size));
    return icon;
}

} // namespace orvanto
