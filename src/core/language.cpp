#include "core/language.h"

#include "core/strings.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace kz {

bool InstallQtTranslator()
{
    if (LangOffset != 0)
        return false;
    static QTranslator translator;
    if (!translator.load(QLocale(QLocale::Japanese), QStringLiteral("qt"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    return QCoreApplication::installTranslator(&translator);
}

}  // namespace kz
