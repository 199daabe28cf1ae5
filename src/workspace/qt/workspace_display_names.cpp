#include "workspace/qt/workspace_display_names.h"

#include "localisation/language.h"
#include "workspace/print_workspace_info.h"

#include <optional>
#include <string>

namespace orvanto {

namespace {

QString Shown(const std::string& english)
{
    return QString::fromStdString(Translate(english));
}

template <std::size_t N>
void TranslateNames(std::array<QString, N>& names, std::string (*english)(int))
{
    for (std::size_t i = 0; i < N; ++i)
        names[i] = Shown(english(int(i)));
}

TWorkspaceDisplayNames MakeNames()
{
    TWorkspaceDisplayNames names;
    TranslateNames(names.Scale, PrintScaleName);
    TranslateNames(names.Position, PrintPositionName);
    TranslateNames(names.Quality, PrintQualityName);
    TranslateNames(names.Orientation, PrintOrientationName);
    names.Horizontal = Shown("Horizontal");
    names.Vertical = Shown("Vertical");
    names.Fixed = Shown("Fixed");
    return names;
}

std::optional<TWorkspaceDisplayNames>& KeptNames()
{
    static std::optional<TWorkspaceDisplayNames> names;
    return names;
}

} // namespace

const TWorkspaceDisplayNames& WorkspaceDisplayNames()
{
    std::optional<TWorkspaceDisplayNames>& names = KeptNames();
    if (!names)
        names = MakeNames();
    return *names;
}

void ForgetWorkspaceDisplayNames()
{
    KeptNames().reset();
}

} // namespace orvanto
