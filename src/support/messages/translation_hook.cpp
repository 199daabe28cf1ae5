#include "support/messages/translation_hook.h"

#include <atomic>

namespace orvanto {

namespace {

std::atomic<TTranslateFunction> Installed{nullptr};

} // namespace

void SetTranslateFunction(TTranslateFunction translate)
{
    Installed.store(translate);
}

TTranslateFunction InstalledTranslateFunction()
{
    return Installed.load();
}

std::string TranslateForDisplay(const std::string& english)
{
    const TTranslateFunction translate = Installed.load();
    if (!translate)
        return english;
    try {
        return translate(english);
    } catch (...) {
        return english;
    }
}

} // namespace orvanto
