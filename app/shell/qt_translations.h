#pragma once
// Qt's own texts (file dialogs, the standard buttons, the print dialog) in the interface
// language, from the translations that come with Qt. English needs none; a missing
// translation leaves Qt's English texts, without a word.

#include <QString>
#include <memory>

class QTranslator;

class QtTranslations
{
  public:
    // The folder of Qt's translations; Qt's own when empty.
    explicit QtTranslations(const QString& folder = QString());
    ~QtTranslations();
    QtTranslations(const QtTranslations&) = delete;
    QtTranslations& operator=(const QtTranslations&) = delete;

    // By language index (0 Simplified Chinese, 1 English, 2 and above Traditional Chinese,
    // as the language files go); true when a translation is installed now.
    bool apply(int languageIndex);
    // The file installed, empty when none.
    QString installedFile() const { return installed_; }

  private:
    void remove();

    QString folder_;
    std::unique_ptr<QTranslator> translator_;
    QString installed_;
};
