#pragma once
// A built-in text of the program in the interface language (0 Simplified Chinese, 1 English,
// 2 Traditional Chinese), for texts that no language file holds.

#include <QString>

#include "app/shell/language.h"

inline QString uiText(int language, const char* english, const char* simplified,
                      const char* traditional)
{
    return QString::fromUtf8(builtInText(language, english, simplified, traditional));
}
