#include "app/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace orvanto {

namespace {

struct TLanguageLocale {
    const char* Name; // as a language file names itself, and in English
    const char* Locale;
};

constexpr TLanguageLocale LanguageLocales[] = {
    {"Deutsch", "de"},    {"German", "de"},     {"Français", "fr"},  {"French", "fr"},
    {"Español", "es"},    {"Spanish", "es"},    {"Italiano", "it"},  {"Italian", "it"},
    {"Nederlands", "nl"}, {"Dutch", "nl"},      {"Polski", "pl"},    {"Polish", "pl"},
    {"Português", "pt"},  {"Portuguese", "pt"}, {"Dansk", "da"},     {"Danish", "da"},
    {"Svenska", "sv"},    {"Swedish", "sv"},    {"Čeština", "cs"},   {"Czech", "cs"},
    {"Magyar", "hu"},     {"Hungarian", "hu"},  {"Русский", "ru"},   {"Russian", "ru"},
};

} // namespace

std::string QtLocaleOfLanguage(const std::string& languageName)
{
    for (const TLanguageLocale& entry : LanguageLocales)
        if (languageName == entry.Name)
            return entry.Locale;
    return {};
}

bool InstallQtTranslations(const std::string& languageName)
{
    const std::string code = QtLocaleOfLanguage(languageName);
    if (code.empty() || !QCoreApplication::instance())
        return false;
    const QString catalogue = QStringLiteral("qtbase_") + QString::fromStdString(code);
    auto* translator = new QTranslator(QCoreApplication::instance());
    for (const QString& folder : {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                                  QStringLiteral("/usr/share/qt5/translations")}) {
        if (translator->load(catalogue, folder)) {
            QCoreApplication::installTranslator(translator);
            // Dates, numbers and the dialogs' own wording follow the same language.
            QLocale::setDefault(QLocale(QString::fromStdString(code)));
            return true;
        }
    }
    delete translator;
    return false;
}

} // namespace orvanto
