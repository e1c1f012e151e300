#include "manager/app/Language.h"

#include "resources/manager/resource_ids.h"

ManagerLanguage LanguageOfText(const CString& text)
{
    if (text == u"JPN") return kLanguageJapanese;
    if (text == u"ENG") return kLanguageEnglish;
    return kLanguageOther;
}

ManagerLanguage LoadManagerLanguage()
{
    CString text;
    text.LoadString(IDS_LANGUAGE);
    return LanguageOfText(text);
}
