#include "platform/language_id.h"

#include <cstdlib>
#include <string>

namespace {

struct LocaleLangId {
    std::string_view locale; // "ll_CC"; the first entry of a language is its main identifier
    uint16_t langId;
};

constexpr LocaleLangId kLocales[] = {
    {"ar_SA", 0x0401}, {"ar_IQ", 0x0801}, {"ar_EG", 0x0c01}, {"bg_BG", 0x0402}, {"ca_ES", 0x0403}, {"zh_TW", 0x0404},
    {"zh_CN", 0x0804}, {"zh_HK", 0x0c04}, {"zh_SG", 0x1004}, {"zh_MO", 0x1404}, {"cs_CZ", 0x0405}, {"da_DK", 0x0406},
    {"de_DE", 0x0407}, {"de_CH", 0x0807}, {"de_AT", 0x0c07}, {"de_LU", 0x1007}, {"de_LI", 0x1407}, {"el_GR", 0x0408},
    {"en_US", 0x0409}, {"en_GB", 0x0809}, {"en_AU", 0x0c09}, {"en_CA", 0x1009}, {"en_NZ", 0x1409}, {"en_IE", 0x1809},
    {"en_ZA", 0x1c09}, {"en_JM", 0x2009}, {"en_BZ", 0x2809}, {"en_TT", 0x2c09}, {"en_ZW", 0x3009}, {"en_PH", 0x3409},
    {"en_IN", 0x4009}, {"en_MY", 0x4409}, {"en_SG", 0x4809}, {"es_ES", 0x0c0a}, {"es_MX", 0x080a}, {"es_GT", 0x100a},
    {"es_CR", 0x140a}, {"es_PA", 0x180a}, {"es_DO", 0x1c0a}, {"es_VE", 0x200a}, {"es_CO", 0x240a}, {"es_PE", 0x280a},
    {"es_AR", 0x2c0a}, {"es_EC", 0x300a}, {"es_CL", 0x340a}, {"es_UY", 0x380a}, {"es_PY", 0x3c0a}, {"es_BO", 0x400a},
    {"es_SV", 0x440a}, {"es_HN", 0x480a}, {"es_NI", 0x4c0a}, {"es_PR", 0x500a}, {"es_US", 0x540a}, {"fi_FI", 0x040b},
    {"fr_FR", 0x040c}, {"fr_BE", 0x080c}, {"fr_CA", 0x0c0c}, {"fr_CH", 0x100c}, {"fr_LU", 0x140c}, {"fr_MC", 0x180c},
    {"he_IL", 0x040d}, {"hu_HU", 0x040e}, {"is_IS", 0x040f}, {"it_IT", 0x0410}, {"it_CH", 0x0810}, {"ja_JP", 0x0411},
    {"ko_KR", 0x0412}, {"nl_NL", 0x0413}, {"nl_BE", 0x0813}, {"nb_NO", 0x0414}, {"no_NO", 0x0414}, {"nn_NO", 0x0814},
    {"pl_PL", 0x0415}, {"pt_BR", 0x0416}, {"pt_PT", 0x0816}, {"ro_RO", 0x0418}, {"ru_RU", 0x0419}, {"hr_HR", 0x041a},
    {"hr_BA", 0x101a}, {"sk_SK", 0x041b}, {"sq_AL", 0x041c}, {"sv_SE", 0x041d}, {"sv_FI", 0x081d}, {"th_TH", 0x041e},
    {"tr_TR", 0x041f}, {"id_ID", 0x0421}, {"uk_UA", 0x0422}, {"be_BY", 0x0423}, {"sl_SI", 0x0424}, {"et_EE", 0x0425},
    {"lv_LV", 0x0426}, {"lt_LT", 0x0427}, {"vi_VN", 0x042a}, {"hi_IN", 0x0439},
};

} // namespace

uint16_t LangIdFromLocale(std::string_view locale) {
    const size_t end = locale.find_first_of(".@");
    if (end != std::string_view::npos) {
        locale = locale.substr(0, end);
    }
    const std::string_view language = locale.substr(0, locale.find('_'));
    if (language.empty() || language == "C" || language == "POSIX") {
        return kLangIdEnglishUs;
    }
    for (const LocaleLangId& entry : kLocales) {
        if (entry.locale == locale) {
            return entry.langId;
        }
    }
    for (const LocaleLangId& entry : kLocales) {
        if (entry.locale.substr(0, entry.locale.find('_')) == language) {
            return entry.langId;
        }
    }
    return kLangIdEnglishUs;
}

uint16_t DefaultLangId() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            return LangIdFromLocale(value);
        }
    }
    return kLangIdEnglishUs;
}
