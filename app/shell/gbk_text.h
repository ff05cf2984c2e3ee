#pragma once
// Narrow GBK texts of the language table and the files, as the widgets show them.

#include <QString>
#include <string>
#include <string_view>

#include "app/shell/language.h"
#include "platform/encoding.h"

inline QString fromGbk(std::string_view gbk)
{
    return QString::fromStdString(kwz::gbkToUtf8(gbk));
}
inline std::string toGbk(const QString& text)
{
    return kwz::utf8ToGbk(text.toStdString());
}

inline QString qtext(const LanguageTexts& texts, std::string_view key)
{
    return fromGbk(texts.text(key));
}
inline QString qtext(const LanguageTexts& texts, std::string_view section, std::string_view key)
{
    return fromGbk(texts.text(section, key));
}
