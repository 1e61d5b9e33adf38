#include "app/language_table.h"

namespace {

struct LanguageFile {
    uint16_t langId;
    std::string_view path;
};

constexpr LanguageFile kLanguageFiles[] = {
    {0x0402, "Bulgarian/Bulgarian.xml"},   {0x0405, "Czech/Czech.xml"},
    {0x0406, "Danish/Danish.xml"},         {0x0407, "Germany/Germany.xml"},
    {0x0807, "Germany/Germany.xml"},       {0x0c07, "Germany/Germany.xml"},
    {0x1007, "Germany/Germany.xml"},       {0x1407, "Germany/Germany.xml"},
    {0x0408, "Greek/Greek.xml"},           {0x040a, "Spanish/Spanish.xml"},
    {0x080a, "Spanish/Spanish.xml"},       {0x0c0a, "Spanish/Spanish.xml"},
    {0x100a, "Spanish/Spanish.xml"},       {0x140a, "Spanish/Spanish.xml"},
    {0x180a, "Spanish/Spanish.xml"},       {0x1c0a, "Spanish/Spanish.xml"},
    {0x200a, "Spanish/Spanish.xml"},       {0x240a, "Spanish/Spanish.xml"},
    {0x280a, "Spanish/Spanish.xml"},       {0x2c0a, "Spanish/Spanish.xml"},
    {0x300a, "Spanish/Spanish.xml"},       {0x340a, "Spanish/Spanish.xml"},
    {0x380a, "Spanish/Spanish.xml"},       {0x3c0a, "Spanish/Spanish.xml"},
    {0x400a, "Spanish/Spanish.xml"},       {0x440a, "Spanish/Spanish.xml"},
    {0x480a, "Spanish/Spanish.xml"},       {0x4c0a, "Spanish/Spanish.xml"},
    {0x500a, "Spanish/Spanish.xml"},       {0x040b, "Finnish/Finnish.xml"},
    {0x040c, "French/French.xml"},         {0x080c, "French/French.xml"},
    {0x0c0c, "French/French.xml"},         {0x100c, "French/French.xml"},
    {0x140c, "French/French.xml"},         {0x040e, "Hungarian/Hungarian.xml"},
    {0x0410, "Italian/Italian.xml"},       {0x0810, "Italian/Italian.xml"},
    {0x0411, "Japanese/Japanese.xml"},     {0x0412, "Korean/Korean.xml"},
    {0x0413, "Dutch/Dutch.xml"},           {0x0813, "Dutch/Dutch.xml"},
    {0x0414, "Norwegian/Norwegian.xml"},   {0x0814, "Norwegian/Norwegian.xml"},
    {0x0415, "Polish/Polish.xml"},         {0x0416, "Portuguese/Portuguese.xml"},
    {0x0816, "Portuguese/Portuguese.xml"}, {0x0418, "Romanian/Romanian.xml"},
    {0x0419, "Russian/Russian.xml"},       {0x041a, "Croatian/Croatian.xml"},
    {0x101a, "Croatian/Croatian.xml"},     {0x041b, "Slovak/Slovak.xml"},
    {0x041d, "Sweden/Sweden.xml"},         {0x081d, "Sweden/Sweden.xml"},
    {0x0424, "Slovenian/Slovenian.xml"},   {0x0804, "SimpleChinese/SimpleChinese.xml"},
};

} // namespace

std::string_view LanguageFileFor(uint16_t langId) {
    for (const LanguageFile& entry : kLanguageFiles) {
        if (entry.langId == langId) {
            return entry.path;
        }
    }
    return "English/English.xml";
}
