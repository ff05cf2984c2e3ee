#include "app/shell/qt_translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>

#include "app/shell/language.h"

QtTranslations::QtTranslations(const QString& folder)
    : folder_(folder.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : folder)
{
}

QtTranslations::~QtTranslations()
{
    remove();
}

void QtTranslations::remove()
{
    if (translator_)
        QCoreApplication::removeTranslator(translator_.get());
    translator_.reset();
    installed_.clear();
}

bool QtTranslations::apply(int languageIndex)
{
    remove();
    if (languageIndex == kLanguageEnglish || languageIndex < 0)
        return false;
    const QString name = languageIndex == kLanguageChinese ? QStringLiteral("qtbase_zh_CN")
                                                           : QStringLiteral("qtbase_zh_TW");
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(name, folder_))
        return false;
    QCoreApplication::installTranslator(translator.get());
    translator_ = std::move(translator);
    installed_ = QDir(folder_).filePath(name + ".qm");
    return true;
}
