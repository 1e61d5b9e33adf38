#include "app/load_ui_setting.h"

#include <libxml/entities.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xpath.h>

#include <climits>
#include <cstdio>
#include <fstream>
#include <memory>
#include <utility>

namespace {

// The parser never reaches the network, never substitutes entities or loads a DTD, and keeps quiet: failures
// are reported through the loader's own texts.
constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
constexpr size_t kMaxLanguageFileBytes = 16 * 1024 * 1024;

struct ParserCtxtFree {
    void operator()(xmlParserCtxt* ctxt) const { xmlFreeParserCtxt(ctxt); }
};
struct XPathContextFree {
    void operator()(xmlXPathContext* ctxt) const { xmlXPathFreeContext(ctxt); }
};
struct XPathObjectFree {
    void operator()(xmlXPathObject* object) const { xmlXPathFreeObject(object); }
};
struct XmlCharFree {
    void operator()(xmlChar* text) const { xmlFree(text); }
};

bool IsExternalEntity(const xmlEntity* entity) {
    return entity->etype == XML_EXTERNAL_GENERAL_PARSED_ENTITY ||
           entity->etype == XML_EXTERNAL_GENERAL_UNPARSED_ENTITY || entity->etype == XML_EXTERNAL_PARAMETER_ENTITY;
}

// An external DTD subset or any external entity declaration makes the file unacceptable: a language file
// holds texts only, and whatever such a declaration points at is never read.
bool RefersOutside(const xmlDoc* doc) {
    for (const xmlDtd* dtd : {doc->intSubset, doc->extSubset}) {
        if (dtd == nullptr) {
            continue;
        }
        if (dtd->ExternalID != nullptr || dtd->SystemID != nullptr) {
            return true;
        }
        for (const xmlNode* node = dtd->children; node != nullptr; node = node->next) {
            if (node->type == XML_ENTITY_DECL && IsExternalEntity(reinterpret_cast<const xmlEntity*>(node))) {
                return true;
            }
        }
    }
    return false;
}

// Keeps libxml2 from printing XPath errors; a failed lookup is reported with the loader's own text.
void IgnoreXmlError(void*, xmlErrorPtr) {}

// Reads the file itself, so that the parser never opens anything, and refuses files beyond any sensible
// language file's size (a device or a runaway file would otherwise be read without end).
bool ReadWholeFile(const std::string& path, std::string& bytes) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return false;
    }
    char chunk[64 * 1024];
    while (file.read(chunk, sizeof chunk) || file.gcount() > 0) {
        bytes.append(chunk, static_cast<size_t>(file.gcount()));
        if (bytes.size() > kMaxLanguageFileBytes) {
            return false;
        }
    }
    return file.eof() && !bytes.empty();
}

bool IsXmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view TrimXmlSpace(std::string_view text) {
    while (!text.empty() && IsXmlSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsXmlSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::string JoinPath(int count, const std::string_view names[]) {
    std::string path;
    for (int i = 0; names != nullptr && i < count; ++i) {
        path += '/';
        path += names[i];
    }
    return path;
}

} // namespace

CLoadUISetting::~CLoadUISetting() {
    ReleaseDocument();
}

void CLoadUISetting::SetReporter(UiLoaderReporter reporter) {
    reporter_ = std::move(reporter);
}

void CLoadUISetting::Report(std::string_view text) const {
    if (reporter_) {
        reporter_(text);
        return;
    }
    std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
}

bool CLoadUISetting::LoadXmlFile(const std::string& path) {
    ReleaseDocument();
    std::unique_ptr<xmlParserCtxt, ParserCtxtFree> ctxt(xmlNewParserCtxt());
    if (!ctxt) {
        Report(kUiCreateInstanceFailure);
        return false;
    }
    std::string bytes;
    xmlDoc* doc = nullptr;
    if (ReadWholeFile(path, bytes)) {
        doc = xmlCtxtReadMemory(ctxt.get(), bytes.data(), static_cast<int>(bytes.size()), path.c_str(), nullptr,
                                kParseOptions);
    }
    if (doc == nullptr || !ctxt->wellFormed || RefersOutside(doc)) {
        if (doc != nullptr) {
            xmlFreeDoc(doc);
        }
        Report(kUiLoadFileFailure);
        return false;
    }
    document_ = doc;
    // A document without an element leaves the root empty, so every lookup then quietly fails.
    root_ = xmlDocGetRootElement(doc);
    return true;
}

bool CLoadUISetting::GetNodeText(const std::string& path, std::string& out) {
    if (root_ == nullptr) {
        return false;
    }
    std::unique_ptr<xmlXPathContext, XPathContextFree> ctxt(xmlXPathNewContext(document_));
    std::unique_ptr<xmlXPathObject, XPathObjectFree> found;
    if (ctxt) {
        ctxt->error = IgnoreXmlError;
        found.reset(xmlXPathEval(reinterpret_cast<const xmlChar*>(path.c_str()), ctxt.get()));
    }
    // A malformed path, a result that is not a node set and an empty node set all mean "no such element".
    if (!found || found->type != XPATH_NODESET || xmlXPathNodeSetIsEmpty(found->nodesetval)) {
        Report(kUiSelectNodeFailure);
        return false;
    }
    const xmlNode* node = xmlXPathNodeSetItem(found->nodesetval, 0);
    std::unique_ptr<xmlChar, XmlCharFree> content(xmlNodeGetContent(node));
    out = content ? std::string(TrimXmlSpace(reinterpret_cast<const char*>(content.get()))) : std::string();
    if (out.empty()) {
        Report(kUiEmptyTextFailure);
        return false;
    }
    return true;
}

bool CLoadUISetting::GetStdNodeText(int count, const std::string_view names[], std::string& out) {
    if (!GetNodeText(JoinPath(count, names), out)) {
        Report(kUiStdNodeTextFailure);
        return false;
    }
    return true;
}

bool CLoadUISetting::GetStdNodeText(std::string_view root, std::string_view page, std::string_view control,
                                    std::string_view key, std::string& out) {
    const std::string_view names[] = {root, page, control, key};
    return GetStdNodeText(4, names, out);
}

std::string CLoadUISetting::LoadPageCaption(std::string_view root, std::string_view page, std::string_view control,
                                            std::string_view key) {
    const std::string_view names[] = {root, page, control, key};
    std::string text;
    if (!GetNodeText(JoinPath(4, names), text)) {
        Report(kUiPageCaptionFailure);
    }
    return text;
}

bool CLoadUISetting::GetBasicCtrlInfo(std::string_view root, std::string_view page, std::string_view control,
                                      BasicCtrlInfo& info) {
    static constexpr std::string_view kKeys[] = {"Text", "Location_x", "Location_y", "Size_w", "Size_h"};
    std::string values[std::size(kKeys)];
    for (size_t i = 0; i < std::size(kKeys); ++i) {
        if (!GetStdNodeText(root, page, control, kKeys[i], values[i])) {
            Report(kUiBasicCtrlInfoFailure);
            return false;
        }
    }
    info.text = std::move(values[0]);
    info.x = UiTextToInt(values[1]);
    info.y = UiTextToInt(values[2]);
    info.width = UiTextToInt(values[3]);
    info.height = UiTextToInt(values[4]);
    return true;
}

bool CLoadUISetting::LoadBasicCtrl(IBasicWindow& window, std::string_view root, std::string_view page,
                                   std::string_view control) {
    BasicCtrlInfo info;
    if (!GetBasicCtrlInfo(root, page, control, info)) {
        Report(kUiLoadBasicCtrlFailure);
        return false;
    }
    window.SetText(info.text);
    window.SetGeometry(info.x, info.y, info.width, info.height);
    return true;
}

void CLoadUISetting::ReleaseDocument() {
    root_ = nullptr;
    if (document_ != nullptr) {
        xmlFreeDoc(document_);
        document_ = nullptr;
    }
}

int32_t UiTextToInt(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Accumulate towards the sign's side so that INT32_MIN itself is reachable; saturate beyond the range.
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        const int digit = text[i] - '0';
        value = negative ? value * 10 - digit : value * 10 + digit;
        if (value > INT32_MAX) {
            return INT32_MAX;
        }
        if (value < INT32_MIN) {
            return INT32_MIN;
        }
    }
    return static_cast<int32_t>(value);
}

CLoadUISetting& UISetting() {
    static CLoadUISetting loader;
    return loader;
}
