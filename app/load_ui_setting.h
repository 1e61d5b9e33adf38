#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// libxml2's document and node types, declared here so that users of the loader need not include libxml2.
struct _xmlDoc;
struct _xmlNode;

// The fixed English texts of the loader's failures, each reported on its own and in the order they occur.
inline constexpr std::string_view kUiCreateInstanceFailure = "CreateInstance failure.";
inline constexpr std::string_view kUiLoadFileFailure = "Load XML file failure.";
inline constexpr std::string_view kUiSelectNodeFailure = "select single node failure.";
inline constexpr std::string_view kUiEmptyTextFailure = "_bstr_t copy failure";
inline constexpr std::string_view kUiStdNodeTextFailure = "CLoadUISetting::GetStdNodeText failure.";
inline constexpr std::string_view kUiPageCaptionFailure = "CLoadUISetting::LoadPageCaption failure.";
inline constexpr std::string_view kUiBasicCtrlInfoFailure = "GetBasicCtrlInfo failure.";
inline constexpr std::string_view kUiLoadBasicCtrlFailure = "CLoadUISetting::LoadBasicCtrl failure.";

// Receives each failure text. The GUI installs one that shows a warning box; without one the texts go to
// standard error.
using UiLoaderReporter = std::function<void(std::string_view text)>;

// The window that a control element is applied to; the GUI adapts its widgets to it.
class IBasicWindow {
public:
    virtual ~IBasicWindow() = default;
    virtual void SetText(const std::string& utf8) = 0;
    // Position in the parent's client coordinates and size, in pixels; z-order and visibility stay.
    virtual void SetGeometry(int x, int y, int width, int height) = 0;
};

// A control element's text and pixel geometry.
struct BasicCtrlInfo {
    std::string text;
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// Loads one language file and answers lookups of element texts by absolute paths of element names.
// Texts are handed out as UTF-8, whatever encoding the file declares, without surrounding white space.
class CLoadUISetting {
public:
    CLoadUISetting() = default;
    ~CLoadUISetting();
    CLoadUISetting(const CLoadUISetting&) = delete;
    CLoadUISetting& operator=(const CLoadUISetting&) = delete;

    // An empty reporter restores the default (standard error).
    void SetReporter(UiLoaderReporter reporter);

    // Replaces any loaded document by the file at `path`. Nothing is fetched from the network, entities
    // are never substituted, and a file that declares an external entity or an external DTD is refused
    // as ill-formed.
    bool LoadXmlFile(const std::string& path);
    // Text of the first element at the XPath `path`. Without a document: false, no report. An element
    // whose text is empty counts as missing and leaves `out` empty; a missing one leaves `out` unchanged.
    bool GetNodeText(const std::string& path, std::string& out);
    // Builds "/names[0]/names[1]/..." from `count` names and reads it with GetNodeText.
    bool GetStdNodeText(int count, const std::string_view names[], std::string& out);
    bool GetStdNodeText(std::string_view root, std::string_view page, std::string_view control, std::string_view key,
                        std::string& out);
    // The text at /root/page/control/key, or an empty text on failure.
    std::string LoadPageCaption(std::string_view root, std::string_view page, std::string_view control,
                                std::string_view key);
    // Reads Text, Location_x, Location_y, Size_w and Size_h of /root/page/control; `info` is left
    // unchanged when any of them fails.
    bool GetBasicCtrlInfo(std::string_view root, std::string_view page, std::string_view control, BasicCtrlInfo& info);
    // GetBasicCtrlInfo, then the window's text, position and size; the window is untouched on failure.
    bool LoadBasicCtrl(IBasicWindow& window, std::string_view root, std::string_view page, std::string_view control);
    void ReleaseDocument();

    bool HasDocument() const { return document_ != nullptr; }

private:
    void Report(std::string_view text) const;

    _xmlDoc* document_ = nullptr;
    _xmlNode* root_ = nullptr;
    UiLoaderReporter reporter_;
};

// Decimal conversion of language-file numbers: leading white space and one sign allowed, stops at the first
// non-digit, no digits give 0; values beyond the 32-bit range saturate.
int32_t UiTextToInt(std::string_view text);

// The process-wide loader, created on first use.
CLoadUISetting& UISetting();
