#pragma once

#include <QIcon>
#include <QString>

namespace orvanto {

// The program icon at one size (16 to 256 pixels), as a resource name.
QString IconResource(int size);

// The program icon at the sizes desktops use.
QIcon ProgramIcon();

} // namespace orvanto
