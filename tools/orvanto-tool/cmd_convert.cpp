#include "bilevel_convert.h"
#include "command_registry.h"
#include "picture_io.h"

#include <set>

namespace orvanto {

namespace {

const TPictureTransform* FindTransform(const std::string& option)
{
    for (const auto& transform : PictureTransforms())
        if (transform.Option == option)
            return &transform;
    return nullptr;
}

bool IsWriterOption(const std::string& option)
{
    for (const auto& writer : PictureWriters())
        for (const auto& name : writer.Options)
            if (name == option)
                return true;
    return false;
}

int RunConvert(const std::vector<std::string>& arguments)
{
    std::vector<std::string> files;
    std::vector<std::pair<const TPictureTransform*, std::string>> steps;
    TToolOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument.rfind("--", 0) != 0) {
            files.push_back(argument);
            continue;
        }
        if (const TPictureTransform* transform = FindTransform(argument)) {
            std::string value;
            if (transform->TakesValue) {
                if (++i >= arguments.size())
                    return Fail(argument + " needs a value");
                value = arguments[i];
            }
            steps.emplace_back(transform, value);
        } else if (IsWriterOption(argument)) {
            if (++i >= arguments.size())
                return Fail(argument + " needs a value");
            options.Values[argument] = arguments[i];
        } else {
            return Fail("Unknown option " + argument);
        }
    }
    if (files.size() != 2)
        return Fail("Usage: orvanto-tool convert IN OUT [options]");

    std::string format, details, error;
    bool converted = false;
    if (steps.empty() && ConvertBilevel(files[0], files[1], options, converted, error))
        return converted ? 0 : Fail(error);
    QImage picture;
    if (!ReadPicture(files[0], picture, format, details, error))
        return Fail(error);
    for (const auto& [transform, value] : steps)
        if (!transform->Apply(picture, value, error))
            return Fail(error);
    if (!WritePicture(picture, files[1], options, error))
        return Fail(error);
    return 0;
}

TRegisterCommand registration{
    {"convert", "convert IN OUT [options]",
     "reads IN as Orvanto does, applies the transform options in order, writes OUT by its extension",
     &RunConvert, false}};

} // namespace

} // namespace orvanto
