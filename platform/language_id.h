#pragma once

#include <cstdint>
#include <string_view>

// The Windows language identifier (primary language in the low 10 bits, sub-language above) of the user's
// locale, which the language-file choice is keyed on.
constexpr uint16_t kLangIdEnglishUs = 0x0409;

// Maps a POSIX locale name ("fr_CA.UTF-8", "de_AT@euro", "zh_CN", "C") to its LANGID. The encoding and the
// modifier are ignored. A known language in a region without an identifier of its own gets the language's
// main identifier; "C", "POSIX", an empty name and unknown languages give English (United States).
uint16_t LangIdFromLocale(std::string_view locale);

// The LANGID of the first of LC_ALL, LC_MESSAGES and LANG that is set and not empty.
uint16_t DefaultLangId();
