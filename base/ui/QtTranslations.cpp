#include "base/ui/QtTranslations.h"

#include "base/ui/QtCp1251.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <memory>

namespace orv {

QString QtLocaleOfLanguage(std::string_view language) {
    if (language.empty()) return QStringLiteral("ru");
    const QString name = FromCp1251(language).trimmed();
    for (int code = QLocale::AnyLanguage + 1; code <= QLocale::LastLanguage; ++code) {
        const auto candidate = static_cast<QLocale::Language>(code);
        const QLocale locale(candidate);
        if (locale.language() != candidate) continue;
        if (name.compare(QLocale::languageToString(candidate), Qt::CaseInsensitive) == 0 ||
            name.compare(locale.nativeLanguageName(), Qt::CaseInsensitive) == 0)
            return candidate == QLocale::English ? QString() : locale.name().section('_', 0, 0);
    }
    return {};
}

bool UseQtTranslations(std::string_view language) {
    static std::unique_ptr<QTranslator> installed;
    if (installed) {
        QCoreApplication::removeTranslator(installed.get());
        installed.reset();
    }
    const QString locale = QtLocaleOfLanguage(language);
    if (locale.isEmpty()) return false;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QStringLiteral("qtbase_") + locale,
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    QCoreApplication::installTranslator(translator.get());
    installed = std::move(translator);
    return true;
}

} // namespace orv
