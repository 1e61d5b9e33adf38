#pragma once

#include <cstdint>
#include <string_view>

// The language file for a LANGID, relative to the current directory ("French/French.xml"). The whole
// identifier is compared, primary and sub-language together; every identifier not listed gets
// "English/English.xml".
std::string_view LanguageFileFor(uint16_t langId);
