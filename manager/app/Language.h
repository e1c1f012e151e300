// The language of the manager's resource module, read from its string 110:
// the add-new wizard chooses its Japanese or English lists by it.
#pragma once

#include "platform/core/CString.h"

enum ManagerLanguage : int {
    kLanguageJapanese = 0,  // "JPN"
    kLanguageEnglish = 1,   // "ENG"
    kLanguageOther = 2,     // anything else, or no string
};

ManagerLanguage LanguageOfText(const CString& text);
// String 110 of the current resource module.
ManagerLanguage LoadManagerLanguage();
