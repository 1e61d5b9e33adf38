#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>

#include "app/load_ui_setting.h"

// Every element of the language file that the program reads, page by page. Windows read their texts and
// geometry through these tables, and a test checks that the shipped language files hold each of them, so a
// page and its language files cannot drift apart. A page that reads a new element adds it to its table.
//
// Geometry in the language files is in pixels, converted from the dialog templates' dialog units at the
// metrics of the dialogs' font, Arial 9 pt at 96 dpi (12 px; Liberation Sans on Linux): average character
// width 7 px, character height 14 px. So x px = x dlu * 7 / 4 and y px = y dlu * 14 / 8, rounded half away
// from zero.

inline constexpr std::string_view kUiRoot = "Pemra";

// One leaf element, as the element names from the document element down.
struct UiTextPath {
    static constexpr int kMaxNames = 5;
    std::array<std::string_view, kMaxNames> names{};
    int count = 0;

    // "/Pemra/..." as the loader evaluates it.
    std::string PathText() const {
        std::string text;
        for (int i = 0; i < count; ++i) {
            text += '/';
            text += names[i];
        }
        return text;
    }
};

template <typename... Names> constexpr UiTextPath UiPath(Names... names) {
    static_assert(sizeof...(names) + 1 <= UiTextPath::kMaxNames, "language paths are at most five names deep");
    return UiTextPath{{kUiRoot, std::string_view(names)...}, static_cast<int>(sizeof...(names)) + 1};
}

// A control element with its five leaves (Text, Location_x, Location_y, Size_w, Size_h), applied to the
// window with this control id by LoadBasicCtrl. Tables list them in the order the window applies them.
struct UiControl {
    int id = 0;
    std::string_view page;
    std::string_view element;
};

// A list column element: its heading "Text" (unless the column shows none) and its width "Size_w".
struct UiColumn {
    std::string_view page;
    std::string_view list;
    std::string_view element;
    bool hasHeading = true;

    constexpr UiTextPath Heading() const { return UiPath(page, list, element, "Text"); }
    constexpr UiTextPath Width() const { return UiPath(page, list, element, "Size_w"); }
};

// Reads one leaf with GetStdNodeText, so that a failure shows the loader's usual texts.
inline bool ReadUiText(CLoadUISetting& loader, const UiTextPath& path, std::string& out) {
    return loader.GetStdNodeText(path.count, path.names.data(), out);
}

inline bool LoadUiControl(CLoadUISetting& loader, IBasicWindow& window, const UiControl& control) {
    return loader.LoadBasicCtrl(window, kUiRoot, control.page, control.element);
}

// The caption of every message box: the program title, with "%model" replaced by the caller.
inline constexpr UiTextPath kUiMessageCaption = UiPath("Utility", "Text");

// The text of a message box, /Pemra/Messages/<key>/Text.
constexpr UiTextPath UiMessagePath(std::string_view key) {
    return UiPath("Messages", key, "Text");
}

struct MessagesUi {
    static constexpr UiTextPath kSecurityApplied = UiMessagePath("msg02");
    static constexpr UiTextPath kLedChangeFailed = UiMessagePath("msg03");
    static constexpr UiTextPath kNoLocalAdapter = UiMessagePath("msg04");
    static constexpr UiTextPath kResetDone = UiMessagePath("msg08");
    static constexpr UiTextPath kNothingTicked = UiMessagePath("msg09");
    // Shown after its rewrite: every '2' becomes '6', the first '4' becomes '8', and the text is split into
    // two lines at its first backslash, which with the character after it is dropped.
    static constexpr UiTextPath kPasswordLength = UiMessagePath("msg10");
    static constexpr UiTextPath kDeviceChangeFailed = UiMessagePath("msg11");
    static constexpr UiTextPath kLedOn = UiMessagePath("msg12");
    static constexpr UiTextPath kLedOff = UiMessagePath("msg13");
    static constexpr UiTextPath kWrongDevicePassword = UiMessagePath("msg14");

    static constexpr UiTextPath kTexts[] = {kSecurityApplied, kLedChangeFailed,    kNoLocalAdapter,     kResetDone,
                                            kNothingTicked,   kPasswordLength,     kDeviceChangeFailed, kLedOn,
                                            kLedOff,          kWrongDevicePassword};
};

// Main window (template 102) and its Close button.
struct MainWindowUi {
    static constexpr UiTextPath kTitle = kUiMessageCaption;
    static constexpr UiTextPath kWidth = UiPath("Utility", "Size_w");
    static constexpr UiTextPath kHeight = UiPath("Utility", "Size_h");

    static constexpr UiControl kControls[] = {{2, "BaseDLG", "ButtonCancel"}};
    static constexpr UiTextPath kTexts[] = {kTitle, kWidth, kHeight};
};

// Device settings page (template 129), tab 0.
struct DevSettingsPageUi {
    static constexpr std::string_view kPage = "CDevSettingsPage";

    static constexpr UiTextPath kTabCaption = UiPath(kPage, "Text");
    static constexpr UiTextPath kDetailsTitle = UiPath(kPage, "Label2", "Text");
    static constexpr UiTextPath kSubVersionLabel = UiPath(kPage, "Label4", "Text");
    static constexpr UiTextPath kExpandTooltip = UiPath(kPage, "ButtonExtend", "Text");
    // The local word that replaces "Device" in device names, on every page that lists devices.
    static constexpr UiTextPath kDeviceWord = UiPath(kPage, "InfoList", "ColumnName", "value");
    static constexpr UiTextPath kLedTooltip = UiPath(kPage, "tooltip", "LED");

    static constexpr UiControl kControls[] = {
        {1044, kPage, "Label1"},       {1010, kPage, "Label2"},        {1012, kPage, "Label3"},
        {1013, kPage, "Label4"},       {1014, kPage, "Label5"},        {1015, kPage, "Label6"},
        {1035, kPage, "ButtonRate"},   {1009, kPage, "ButtonRefresh"}, {1008, kPage, "ProgressBar"},
        {1011, kPage, "ButtonExtend"}, {1003, kPage, "InfoList"},
    };
    static constexpr UiColumn kColumns[] = {
        {kPage, "InfoList", "ColumnName"},    {kPage, "InfoList", "ColumnModel"}, {kPage, "InfoList", "ColumnMac"},
        {kPage, "InfoList", "ColumnQuality"}, {kPage, "InfoList", "ColumnLED"},
    };
    static constexpr UiTextPath kTexts[] = {kTabCaption,    kDetailsTitle, kSubVersionLabel,
                                            kExpandTooltip, kDeviceWord,   kLedTooltip};
};

// Advanced-settings overview page (template 130), tab 1. Its QoS items live under the QoS page element.
struct AdvancedPageUi {
    static constexpr std::string_view kPage = "CAdvaceSettingsPage";

    static constexpr UiTextPath kTabCaption = UiPath(kPage, "Text");
    static constexpr UiTextPath kSecurityTooltip = UiPath(kPage, "ButtonSecurity", "Text");
    static constexpr UiTextPath kDiagnosticsTooltip = UiPath(kPage, "ButtonDiagnostics", "Text");
    static constexpr UiTextPath kResetTooltip = UiPath(kPage, "ButtonReset", "Text");

    static constexpr UiControl kControls[] = {
        {1016, kPage, "Label1"},
        {1029, kPage, "Label2"},
        {1030, kPage, "Label3"},
        {1031, kPage, "Label4"},
        {1032, kPage, "Label5"},
        {1033, kPage, "Label6"},
        {1034, kPage, "Label7"},
        {1004, kPage, "ButtonSecurity"},
        {1005, kPage, "ButtonDiagnostics"},
        {1006, kPage, "ButtonReset"},
        {1062, "CQoSPage", "Label1_ADV"},
        {1063, "CQoSPage", "Label2_ADV"},
        {1071, "CQoSPage", "ButtonQoS_ADV"},
    };
    static constexpr UiTextPath kTexts[] = {kTabCaption, kSecurityTooltip, kDiagnosticsTooltip, kResetTooltip};
};

// About page (template 131), tab 2.
struct AboutPageUi {
    static constexpr std::string_view kPage = "CAboutPage";

    static constexpr UiTextPath kTabCaption = UiPath(kPage, "Text");
    // Also the notice line of the diagnostics report file.
    static constexpr UiTextPath kNotice = UiPath(kPage, "Label1", "Text");
    static constexpr UiTextPath kVersionLabel = UiPath(kPage, "Label4", "Text");
    static constexpr UiTextPath kReleaseDateLabel = UiPath(kPage, "Label5", "Text");

    static constexpr UiControl kControls[] = {
        {1023, kPage, "Label1"}, {1024, kPage, "Label2"}, {1025, kPage, "Label3"},
        {1026, kPage, "Label4"}, {1027, kPage, "Label5"},
    };
    static constexpr UiTextPath kTexts[] = {kTabCaption, kNotice, kVersionLabel, kReleaseDateLabel};
};

// Diagnostics sub-page (template 134) and its report.
struct DiagnosticsPageUi {
    static constexpr std::string_view kPage = "CDiagnosticsPage";

    static constexpr UiTextPath kBackText = UiPath(kPage, "ButtonBack", "Text");
    static constexpr UiTextPath kColumnHeading = UiPath(kPage, "InfoList", "Text");
    static constexpr UiTextPath kNicInfo = UiPath(kPage, "Info", "NICInfo");
    static constexpr UiTextPath kNoDevice = UiPath(kPage, "Info", "NoDev");
    static constexpr UiTextPath kPcName = UiPath(kPage, "Info", "PCName");
    static constexpr UiTextPath kUserName = UiPath(kPage, "Info", "UserName");
    static constexpr UiTextPath kProcessor = UiPath(kPage, "Info", "Microprocessor");
    static constexpr UiTextPath kVersionLabel = UiPath(kPage, "Text");
    static constexpr UiTextPath kOsLabel = UiPath("Utility", "ModelName");

    static constexpr UiControl kControls[] = {
        {1049, kPage, "Label1"},      {1004, kPage, "ButtonBack"}, {1005, kPage, "ButtonSave"},
        {1048, kPage, "ButtonPrint"}, {1041, kPage, "InfoList"},
    };
    static constexpr UiTextPath kTexts[] = {kBackText, kColumnHeading, kNicInfo,      kNoDevice, kPcName,
                                            kUserName, kProcessor,     kVersionLabel, kOsLabel};
};

// Security sub-page (template 133).
struct SecurityPageUi {
    static constexpr std::string_view kPage = "CSecurityPage";

    // The word for "step" in the step labels of the security, factory reset and QoS pages.
    static constexpr UiTextPath kStepWord = UiPath(kPage, "step", "Text");
    static constexpr UiTextPath kStep1Title = UiPath(kPage, "Label2", "Text");
    static constexpr UiTextPath kStep2Title = UiPath(kPage, "Label3", "Text");
    static constexpr UiTextPath kStep3Title = UiPath(kPage, "Label6", "Text");
    static constexpr UiTextPath kBackText = UiPath(kPage, "ButtonBack", "Text");

    static constexpr UiControl kControls[] = {
        {1018, kPage, "Label1"},      {1036, kPage, "Label2"},
        {1019, kPage, "InfoList"},    {1005, kPage, "ButtonRefresh"},
        {1028, kPage, "ProgressBar"}, {1037, kPage, "Label3"},
        {1038, kPage, "Label4"},      {1020, kPage, "ButtonDefaultEndit"},
        {1039, kPage, "Label5"},      {1046, kPage, "ButtonDefault"},
        {1040, kPage, "Label6"},      {1021, kPage, "ButtonApply"},
        {1004, kPage, "ButtonBack"},
    };
    static constexpr UiColumn kColumns[] = {
        {kPage, "InfoList", "ColumnCheck", false}, {kPage, "InfoList", "ColumnName"},
        {kPage, "InfoList", "ColumnModel"},        {kPage, "InfoList", "ColumnMac"},
        {kPage, "InfoList", "ColumnPWD"},
    };
    static constexpr UiTextPath kTexts[] = {kStepWord, kStep1Title, kStep2Title, kStep3Title, kBackText};
};

// Device password dialog (template 159).
struct PasswordDialogUi {
    static constexpr std::string_view kPage = "CPswdlg";

    static constexpr UiTextPath kTitle = UiPath(kPage, "Text");
    // Shown in the password cell of an adapter whose password is not known yet.
    static constexpr UiTextPath kPasswordPrompt = UiPath("Utility", "Parent");

    static constexpr UiControl kControls[] = {
        {1047, kPage, "Label1"},      {1051, kPage, "Label2"},    {1052, kPage, "Label3"},
        {1004, kPage, "ButtonApply"}, {2, kPage, "ButtonCancel"}, {1041, kPage, "InfoList"},
    };
    static constexpr UiColumn kColumns[] = {
        {kPage, "InfoList", "ColumnName"},
        {kPage, "InfoList", "ColumnMac"},
        {kPage, "InfoList", "ColumnPWD"},
    };
    static constexpr UiTextPath kTexts[] = {kTitle, kPasswordPrompt};
};

// Factory reset sub-page (template 135). Its step word is SecurityPageUi::kStepWord.
struct FactoryResetPageUi {
    static constexpr std::string_view kPage = "CFactoryResetPage";

    static constexpr UiTextPath kStep1Title = UiPath(kPage, "Label2", "Text");
    static constexpr UiTextPath kStep2Title = UiPath(kPage, "Label3", "Text");
    static constexpr UiTextPath kBackText = UiPath(kPage, "ButtonBack", "Text");

    static constexpr UiControl kControls[] = {
        {1045, kPage, "Label1"},      {1004, kPage, "ButtonBack"},  {1042, kPage, "Label2"},
        {1043, kPage, "Label3"},      {1050, kPage, "Label4"},      {1005, kPage, "ButtonRefresh"},
        {1006, kPage, "ButtonApply"}, {1008, kPage, "ProgressBar"}, {1022, kPage, "InfoList"},
    };
    static constexpr UiColumn kColumns[] = {
        {kPage, "InfoList", "ColumnCheck", false}, {kPage, "InfoList", "ColumnName"},
        {kPage, "InfoList", "ColumnModel"},        {kPage, "InfoList", "ColumnMac"},
        {kPage, "InfoList", "ColumnPWD"},
    };
    static constexpr UiTextPath kTexts[] = {kStep1Title, kStep2Title, kBackText};
};

// QoS sub-page (template 165) and its entry tables. Its step word is SecurityPageUi::kStepWord.
struct QosPageUi {
    static constexpr std::string_view kPage = "CQoSPage";

    static constexpr UiTextPath kStep1Title = UiPath(kPage, "Label2", "Text");
    static constexpr UiTextPath kStep2Title = UiPath(kPage, "Label3", "Text");
    static constexpr UiTextPath kBackText = UiPath(kPage, "ButtonBack", "Text");
    static constexpr UiTextPath kVlanName = UiPath(kPage, "type", "VLAN");
    static constexpr UiTextPath kTosName = UiPath(kPage, "type", "TOS");
    static constexpr UiTextPath kAddressPlaceholder = UiPath(kPage, "DestAddrList", "TextCol1");
    static constexpr UiTextPath kPortPlaceholder = UiPath(kPage, "DestPortList", "TextCol1");
    // Column 1 placeholder of both new-entry rows.
    static constexpr UiTextPath kPriorityPlaceholder = UiPath(kPage, "DestAddrList", "TextCol2");
    // Captions of the priorities CAP0 to CAP3, indexed by priority.
    static constexpr UiTextPath kCaptions[] = {UiPath(kPage, "Cap", "cap0"), UiPath(kPage, "Cap", "cap1"),
                                               UiPath(kPage, "Cap", "cap2"), UiPath(kPage, "Cap", "cap3")};
    static constexpr UiTextPath kAddressLimit = UiPath(kPage, "msgE1", "Text");
    static constexpr UiTextPath kPortLimit = UiPath(kPage, "msgE2", "Text");
    static constexpr UiTextPath kBadAddress = UiPath(kPage, "msgE3", "Text");
    static constexpr UiTextPath kBadPort = UiPath(kPage, "msgE4", "Text");
    static constexpr UiTextPath kApplied = UiPath(kPage, "msgE6", "Text");
    // Nothing to write, or no adapter accepted the rules.
    static constexpr UiTextPath kNotApplied = UiPath(kPage, "msgE7", "Text");

    static constexpr UiControl kControls[] = {
        {1053, kPage, "Label1"},       {1057, kPage, "Label2"},       {1059, kPage, "Label4"},
        {1064, kPage, "DestAddrList"}, {1054, kPage, "DestPortList"}, {1056, kPage, "TypeList"},
        {1005, kPage, "ButtonApply"},  {1004, kPage, "ButtonBack"},
    };
    // The address table tells itself from the port table by its column 0 heading, so the two must differ.
    static constexpr UiColumn kAddressColumn = {kPage, "DestAddrList", "ColumnDesMAC"};
    static constexpr UiColumn kPortColumn = {kPage, "DestPortList", "ColumnDesPort"};
    static constexpr UiColumn kColumns[] = {
        kAddressColumn,
        {kPage, "DestAddrList", "ColumnPriority"},
        kPortColumn,
        {kPage, "DestPortList", "ColumnPriority"},
        {kPage, "TypeList", "ColumnType"},
        // One heading and width for the eight value columns.
        {kPage, "TypeList", "ColumnValue"},
    };
    static constexpr UiTextPath kTexts[] = {
        kStep1Title,      kStep2Title,          kBackText,    kVlanName,    kTosName,     kAddressPlaceholder,
        kPortPlaceholder, kPriorityPlaceholder, kCaptions[0], kCaptions[1], kCaptions[2], kCaptions[3],
        kAddressLimit,    kPortLimit,           kBadAddress,  kBadPort,     kApplied,     kNotApplied,
    };
};

// All tables, for checks over the whole language file.
struct UiPageTable {
    std::string_view name;
    std::span<const UiControl> controls;
    std::span<const UiColumn> columns;
    std::span<const UiTextPath> texts;
};

inline constexpr UiPageTable kUiPageTables[] = {
    {"Messages", {}, {}, MessagesUi::kTexts},
    {"MainWindow", MainWindowUi::kControls, {}, MainWindowUi::kTexts},
    {DevSettingsPageUi::kPage, DevSettingsPageUi::kControls, DevSettingsPageUi::kColumns, DevSettingsPageUi::kTexts},
    {AdvancedPageUi::kPage, AdvancedPageUi::kControls, {}, AdvancedPageUi::kTexts},
    {AboutPageUi::kPage, AboutPageUi::kControls, {}, AboutPageUi::kTexts},
    {DiagnosticsPageUi::kPage, DiagnosticsPageUi::kControls, {}, DiagnosticsPageUi::kTexts},
    {SecurityPageUi::kPage, SecurityPageUi::kControls, SecurityPageUi::kColumns, SecurityPageUi::kTexts},
    {PasswordDialogUi::kPage, PasswordDialogUi::kControls, PasswordDialogUi::kColumns, PasswordDialogUi::kTexts},
    {FactoryResetPageUi::kPage, FactoryResetPageUi::kControls, FactoryResetPageUi::kColumns,
     FactoryResetPageUi::kTexts},
    {QosPageUi::kPage, QosPageUi::kControls, QosPageUi::kColumns, QosPageUi::kTexts},
};
