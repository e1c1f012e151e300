#include "platform/rescomp/StandardNames.h"

#include "platform/rescomp/ScriptLexer.h"

#include <map>
#include <string_view>

namespace rescomp {

namespace {

// The values are those of the system's headers, which scripts were written
// against; the window layer's own headers carry the same numbers.
const std::map<std::string_view, std::int64_t>& Constants()
{
    static const std::map<std::string_view, std::int64_t> table = {
        // Window styles.
        {"WS_OVERLAPPED", 0x00000000}, {"WS_POPUP", 0x80000000}, {"WS_CHILD", 0x40000000},
        {"WS_MINIMIZE", 0x20000000}, {"WS_VISIBLE", 0x10000000}, {"WS_DISABLED", 0x08000000},
        {"WS_CLIPSIBLINGS", 0x04000000}, {"WS_CLIPCHILDREN", 0x02000000}, {"WS_MAXIMIZE", 0x01000000},
        {"WS_CAPTION", 0x00C00000}, {"WS_BORDER", 0x00800000}, {"WS_DLGFRAME", 0x00400000},
        {"WS_VSCROLL", 0x00200000}, {"WS_HSCROLL", 0x00100000}, {"WS_SYSMENU", 0x00080000},
        {"WS_THICKFRAME", 0x00040000}, {"WS_GROUP", 0x00020000}, {"WS_TABSTOP", 0x00010000},
        {"WS_MINIMIZEBOX", 0x00020000}, {"WS_MAXIMIZEBOX", 0x00010000}, {"WS_TILED", 0x00000000},
        {"WS_ICONIC", 0x20000000}, {"WS_SIZEBOX", 0x00040000}, {"WS_CHILDWINDOW", 0x40000000},
        {"WS_OVERLAPPEDWINDOW", 0x00CF0000}, {"WS_TILEDWINDOW", 0x00CF0000}, {"WS_POPUPWINDOW", 0x80880000},
        {"WS_EX_DLGMODALFRAME", 0x00000001}, {"WS_EX_NOPARENTNOTIFY", 0x00000004}, {"WS_EX_TOPMOST", 0x00000008},
        {"WS_EX_ACCEPTFILES", 0x00000010}, {"WS_EX_TRANSPARENT", 0x00000020}, {"WS_EX_MDICHILD", 0x00000040},
        {"WS_EX_TOOLWINDOW", 0x00000080}, {"WS_EX_WINDOWEDGE", 0x00000100}, {"WS_EX_CLIENTEDGE", 0x00000200},
        {"WS_EX_CONTEXTHELP", 0x00000400}, {"WS_EX_RIGHT", 0x00001000}, {"WS_EX_LEFT", 0x00000000},
        {"WS_EX_RTLREADING", 0x00002000}, {"WS_EX_LTRREADING", 0x00000000}, {"WS_EX_LEFTSCROLLBAR", 0x00004000},
        {"WS_EX_RIGHTSCROLLBAR", 0x00000000}, {"WS_EX_CONTROLPARENT", 0x00010000}, {"WS_EX_STATICEDGE", 0x00020000},
        {"WS_EX_APPWINDOW", 0x00040000}, {"WS_EX_LAYERED", 0x00080000}, {"WS_EX_NOACTIVATE", 0x08000000},
        {"WS_EX_OVERLAPPEDWINDOW", 0x00000300}, {"WS_EX_PALETTEWINDOW", 0x00000188},
        // Dialog styles.
        {"DS_ABSALIGN", 0x01}, {"DS_SYSMODAL", 0x02}, {"DS_3DLOOK", 0x04}, {"DS_FIXEDSYS", 0x08},
        {"DS_NOFAILCREATE", 0x10}, {"DS_LOCALEDIT", 0x20}, {"DS_SETFONT", 0x40}, {"DS_MODALFRAME", 0x80},
        {"DS_NOIDLEMSG", 0x100}, {"DS_SETFOREGROUND", 0x200}, {"DS_CONTROL", 0x400}, {"DS_CENTER", 0x800},
        {"DS_CENTERMOUSE", 0x1000}, {"DS_CONTEXTHELP", 0x2000}, {"DS_SHELLFONT", 0x48},
        // Buttons.
        {"BS_PUSHBUTTON", 0x0}, {"BS_DEFPUSHBUTTON", 0x1}, {"BS_CHECKBOX", 0x2}, {"BS_AUTOCHECKBOX", 0x3},
        {"BS_RADIOBUTTON", 0x4}, {"BS_3STATE", 0x5}, {"BS_AUTO3STATE", 0x6}, {"BS_GROUPBOX", 0x7},
        {"BS_USERBUTTON", 0x8}, {"BS_AUTORADIOBUTTON", 0x9}, {"BS_PUSHBOX", 0xA}, {"BS_OWNERDRAW", 0xB},
        {"BS_TYPEMASK", 0xF}, {"BS_LEFTTEXT", 0x20}, {"BS_RIGHTBUTTON", 0x20}, {"BS_TEXT", 0x0},
        {"BS_ICON", 0x40}, {"BS_BITMAP", 0x80}, {"BS_LEFT", 0x100}, {"BS_RIGHT", 0x200}, {"BS_CENTER", 0x300},
        {"BS_TOP", 0x400}, {"BS_BOTTOM", 0x800}, {"BS_VCENTER", 0xC00}, {"BS_PUSHLIKE", 0x1000},
        {"BS_MULTILINE", 0x2000}, {"BS_NOTIFY", 0x4000}, {"BS_FLAT", 0x8000},
        // Edits.
        {"ES_LEFT", 0x0}, {"ES_CENTER", 0x1}, {"ES_RIGHT", 0x2}, {"ES_MULTILINE", 0x4}, {"ES_UPPERCASE", 0x8},
        {"ES_LOWERCASE", 0x10}, {"ES_PASSWORD", 0x20}, {"ES_AUTOVSCROLL", 0x40}, {"ES_AUTOHSCROLL", 0x80},
        {"ES_NOHIDESEL", 0x100}, {"ES_OEMCONVERT", 0x400}, {"ES_READONLY", 0x800}, {"ES_WANTRETURN", 0x1000},
        {"ES_NUMBER", 0x2000},
        // Statics.
        {"SS_LEFT", 0x0}, {"SS_CENTER", 0x1}, {"SS_RIGHT", 0x2}, {"SS_ICON", 0x3}, {"SS_BLACKRECT", 0x4},
        {"SS_GRAYRECT", 0x5}, {"SS_WHITERECT", 0x6}, {"SS_BLACKFRAME", 0x7}, {"SS_GRAYFRAME", 0x8},
        {"SS_WHITEFRAME", 0x9}, {"SS_USERITEM", 0xA}, {"SS_SIMPLE", 0xB}, {"SS_LEFTNOWORDWRAP", 0xC},
        {"SS_OWNERDRAW", 0xD}, {"SS_BITMAP", 0xE}, {"SS_ENHMETAFILE", 0xF}, {"SS_ETCHEDHORZ", 0x10},
        {"SS_ETCHEDVERT", 0x11}, {"SS_ETCHEDFRAME", 0x12}, {"SS_TYPEMASK", 0x1F}, {"SS_REALSIZECONTROL", 0x40},
        {"SS_NOPREFIX", 0x80}, {"SS_NOTIFY", 0x100}, {"SS_CENTERIMAGE", 0x200}, {"SS_RIGHTJUST", 0x400},
        {"SS_REALSIZEIMAGE", 0x800}, {"SS_SUNKEN", 0x1000}, {"SS_EDITCONTROL", 0x2000},
        {"SS_ENDELLIPSIS", 0x4000}, {"SS_PATHELLIPSIS", 0x8000}, {"SS_WORDELLIPSIS", 0xC000},
        {"SS_ELLIPSISMASK", 0xC000},
        // Combo and list boxes.
        {"CBS_SIMPLE", 0x1}, {"CBS_DROPDOWN", 0x2}, {"CBS_DROPDOWNLIST", 0x3}, {"CBS_OWNERDRAWFIXED", 0x10},
        {"CBS_OWNERDRAWVARIABLE", 0x20}, {"CBS_AUTOHSCROLL", 0x40}, {"CBS_OEMCONVERT", 0x80}, {"CBS_SORT", 0x100},
        {"CBS_HASSTRINGS", 0x200}, {"CBS_NOINTEGRALHEIGHT", 0x400}, {"CBS_DISABLENOSCROLL", 0x800},
        {"CBS_UPPERCASE", 0x2000}, {"CBS_LOWERCASE", 0x4000},
        {"LBS_NOTIFY", 0x1}, {"LBS_SORT", 0x2}, {"LBS_NOREDRAW", 0x4}, {"LBS_MULTIPLESEL", 0x8},
        {"LBS_OWNERDRAWFIXED", 0x10}, {"LBS_OWNERDRAWVARIABLE", 0x20}, {"LBS_HASSTRINGS", 0x40},
        {"LBS_USETABSTOPS", 0x80}, {"LBS_NOINTEGRALHEIGHT", 0x100}, {"LBS_MULTICOLUMN", 0x200},
        {"LBS_WANTKEYBOARDINPUT", 0x400}, {"LBS_EXTENDEDSEL", 0x800}, {"LBS_DISABLENOSCROLL", 0x1000},
        {"LBS_NODATA", 0x2000}, {"LBS_NOSEL", 0x4000}, {"LBS_COMBOBOX", 0x8000}, {"LBS_STANDARD", 0x00A00003},
        // Scroll bars.
        {"SBS_HORZ", 0x0}, {"SBS_VERT", 0x1}, {"SBS_TOPALIGN", 0x2}, {"SBS_LEFTALIGN", 0x2},
        {"SBS_BOTTOMALIGN", 0x4}, {"SBS_RIGHTALIGN", 0x4}, {"SBS_SIZEBOXTOPLEFTALIGN", 0x2},
        {"SBS_SIZEBOXBOTTOMRIGHTALIGN", 0x4}, {"SBS_SIZEBOX", 0x8}, {"SBS_SIZEGRIP", 0x10},
        // Common controls.
        {"CCS_TOP", 0x1}, {"CCS_NOMOVEY", 0x2}, {"CCS_BOTTOM", 0x3}, {"CCS_NORESIZE", 0x4},
        {"CCS_NOPARENTALIGN", 0x8}, {"CCS_ADJUSTABLE", 0x20}, {"CCS_NODIVIDER", 0x40}, {"CCS_VERT", 0x80},
        {"LVS_ICON", 0x0}, {"LVS_REPORT", 0x1}, {"LVS_SMALLICON", 0x2}, {"LVS_LIST", 0x3}, {"LVS_TYPEMASK", 0x3},
        {"LVS_SINGLESEL", 0x4}, {"LVS_SHOWSELALWAYS", 0x8}, {"LVS_SORTASCENDING", 0x10},
        {"LVS_SORTDESCENDING", 0x20}, {"LVS_SHAREIMAGELISTS", 0x40}, {"LVS_NOLABELWRAP", 0x80},
        {"LVS_AUTOARRANGE", 0x100}, {"LVS_EDITLABELS", 0x200}, {"LVS_OWNERDRAWFIXED", 0x400},
        {"LVS_ALIGNTOP", 0x0}, {"LVS_ALIGNLEFT", 0x800}, {"LVS_OWNERDATA", 0x1000}, {"LVS_NOSCROLL", 0x2000},
        {"LVS_NOCOLUMNHEADER", 0x4000}, {"LVS_NOSORTHEADER", 0x8000},
        {"TVS_HASBUTTONS", 0x1}, {"TVS_HASLINES", 0x2}, {"TVS_LINESATROOT", 0x4}, {"TVS_EDITLABELS", 0x8},
        {"TVS_DISABLEDRAGDROP", 0x10}, {"TVS_SHOWSELALWAYS", 0x20}, {"TVS_RTLREADING", 0x40},
        {"TVS_NOTOOLTIPS", 0x80}, {"TVS_CHECKBOXES", 0x100}, {"TVS_TRACKSELECT", 0x200},
        {"TVS_SINGLEEXPAND", 0x400}, {"TVS_INFOTIP", 0x800}, {"TVS_FULLROWSELECT", 0x1000},
        {"TVS_NOSCROLL", 0x2000}, {"TVS_NONEVENHEIGHT", 0x4000}, {"TVS_NOHSCROLL", 0x8000},
        {"TCS_SCROLLOPPOSITE", 0x1}, {"TCS_BOTTOM", 0x2}, {"TCS_RIGHT", 0x2}, {"TCS_MULTISELECT", 0x4},
        {"TCS_FLATBUTTONS", 0x8}, {"TCS_FORCEICONLEFT", 0x10}, {"TCS_FORCELABELLEFT", 0x20},
        {"TCS_HOTTRACK", 0x40}, {"TCS_VERTICAL", 0x80}, {"TCS_TABS", 0x0}, {"TCS_BUTTONS", 0x100},
        {"TCS_SINGLELINE", 0x0}, {"TCS_MULTILINE", 0x200}, {"TCS_RIGHTJUSTIFY", 0x0}, {"TCS_FIXEDWIDTH", 0x400},
        {"TCS_RAGGEDRIGHT", 0x800}, {"TCS_FOCUSONBUTTONDOWN", 0x1000}, {"TCS_OWNERDRAWFIXED", 0x2000},
        {"TCS_TOOLTIPS", 0x4000}, {"TCS_FOCUSNEVER", 0x8000},
        {"UDS_WRAP", 0x1}, {"UDS_SETBUDDYINT", 0x2}, {"UDS_ALIGNRIGHT", 0x4}, {"UDS_ALIGNLEFT", 0x8},
        {"UDS_AUTOBUDDY", 0x10}, {"UDS_ARROWKEYS", 0x20}, {"UDS_HORZ", 0x40}, {"UDS_NOTHOUSANDS", 0x80},
        {"UDS_HOTTRACK", 0x100},
        {"PBS_SMOOTH", 0x1}, {"PBS_VERTICAL", 0x4}, {"PBS_MARQUEE", 0x8},
        {"TBS_AUTOTICKS", 0x1}, {"TBS_VERT", 0x2}, {"TBS_HORZ", 0x0}, {"TBS_TOP", 0x4}, {"TBS_BOTTOM", 0x0},
        {"TBS_LEFT", 0x4}, {"TBS_RIGHT", 0x0}, {"TBS_BOTH", 0x8}, {"TBS_NOTICKS", 0x10},
        {"TBS_ENABLESELRANGE", 0x20}, {"TBS_FIXEDLENGTH", 0x40}, {"TBS_NOTHUMB", 0x80}, {"TBS_TOOLTIPS", 0x100},
        {"TBS_REVERSED", 0x200}, {"TBS_DOWNISLEFT", 0x400},
        {"HDS_HORZ", 0x0}, {"HDS_BUTTONS", 0x2}, {"HDS_HOTTRACK", 0x4}, {"HDS_HIDDEN", 0x8},
        {"HDS_DRAGDROP", 0x40}, {"HDS_FULLDRAG", 0x80}, {"HDS_FILTERBAR", 0x100}, {"HDS_FLAT", 0x200},
        // Standard ids.
        {"IDOK", 1}, {"IDCANCEL", 2}, {"IDABORT", 3}, {"IDRETRY", 4}, {"IDIGNORE", 5}, {"IDYES", 6},
        {"IDNO", 7}, {"IDCLOSE", 8}, {"IDHELP", 9}, {"IDTRYAGAIN", 10}, {"IDCONTINUE", 11}, {"IDC_STATIC", -1},
        // Virtual keys.
        {"VK_LBUTTON", 0x01}, {"VK_RBUTTON", 0x02}, {"VK_CANCEL", 0x03}, {"VK_MBUTTON", 0x04},
        {"VK_BACK", 0x08}, {"VK_TAB", 0x09}, {"VK_CLEAR", 0x0C}, {"VK_RETURN", 0x0D}, {"VK_SHIFT", 0x10},
        {"VK_CONTROL", 0x11}, {"VK_MENU", 0x12}, {"VK_PAUSE", 0x13}, {"VK_CAPITAL", 0x14},
        {"VK_ESCAPE", 0x1B}, {"VK_SPACE", 0x20}, {"VK_PRIOR", 0x21}, {"VK_NEXT", 0x22}, {"VK_END", 0x23},
        {"VK_HOME", 0x24}, {"VK_LEFT", 0x25}, {"VK_UP", 0x26}, {"VK_RIGHT", 0x27}, {"VK_DOWN", 0x28},
        {"VK_SELECT", 0x29}, {"VK_PRINT", 0x2A}, {"VK_EXECUTE", 0x2B}, {"VK_SNAPSHOT", 0x2C},
        {"VK_INSERT", 0x2D}, {"VK_DELETE", 0x2E}, {"VK_HELP", 0x2F}, {"VK_LWIN", 0x5B}, {"VK_RWIN", 0x5C},
        {"VK_APPS", 0x5D}, {"VK_NUMPAD0", 0x60}, {"VK_NUMPAD1", 0x61}, {"VK_NUMPAD2", 0x62},
        {"VK_NUMPAD3", 0x63}, {"VK_NUMPAD4", 0x64}, {"VK_NUMPAD5", 0x65}, {"VK_NUMPAD6", 0x66},
        {"VK_NUMPAD7", 0x67}, {"VK_NUMPAD8", 0x68}, {"VK_NUMPAD9", 0x69}, {"VK_MULTIPLY", 0x6A},
        {"VK_ADD", 0x6B}, {"VK_SEPARATOR", 0x6C}, {"VK_SUBTRACT", 0x6D}, {"VK_DECIMAL", 0x6E},
        {"VK_DIVIDE", 0x6F}, {"VK_F1", 0x70}, {"VK_F2", 0x71}, {"VK_F3", 0x72}, {"VK_F4", 0x73},
        {"VK_F5", 0x74}, {"VK_F6", 0x75}, {"VK_F7", 0x76}, {"VK_F8", 0x77}, {"VK_F9", 0x78},
        {"VK_F10", 0x79}, {"VK_F11", 0x7A}, {"VK_F12", 0x7B}, {"VK_F13", 0x7C}, {"VK_F14", 0x7D},
        {"VK_F15", 0x7E}, {"VK_F16", 0x7F}, {"VK_F17", 0x80}, {"VK_F18", 0x81}, {"VK_F19", 0x82},
        {"VK_F20", 0x83}, {"VK_F21", 0x84}, {"VK_F22", 0x85}, {"VK_F23", 0x86}, {"VK_F24", 0x87},
        {"VK_NUMLOCK", 0x90}, {"VK_SCROLL", 0x91}, {"VK_LSHIFT", 0xA0}, {"VK_RSHIFT", 0xA1},
        {"VK_LCONTROL", 0xA2}, {"VK_RCONTROL", 0xA3}, {"VK_LMENU", 0xA4}, {"VK_RMENU", 0xA5},
        {"VK_OEM_1", 0xBA}, {"VK_OEM_PLUS", 0xBB}, {"VK_OEM_COMMA", 0xBC}, {"VK_OEM_MINUS", 0xBD},
        {"VK_OEM_PERIOD", 0xBE}, {"VK_OEM_2", 0xBF}, {"VK_OEM_3", 0xC0}, {"VK_OEM_4", 0xDB},
        {"VK_OEM_5", 0xDC}, {"VK_OEM_6", 0xDD}, {"VK_OEM_7", 0xDE},
    };
    return table;
}

}  // namespace

std::optional<std::int64_t> StandardConstant(const std::string& name)
{
    const auto& table = Constants();
    const auto it = table.find(name);
    if (it == table.end()) return std::nullopt;
    return it->second;
}

std::optional<std::u16string> StandardClassName(const std::string& name)
{
    static const std::map<std::string_view, std::u16string_view> keywords = {
        {"BUTTON", u"Button"}, {"EDIT", u"Edit"},           {"STATIC", u"Static"},
        {"LISTBOX", u"ListBox"}, {"SCROLLBAR", u"ScrollBar"}, {"COMBOBOX", u"ComboBox"},
    };
    static const std::map<std::string_view, std::u16string_view> macros = {
        {"WC_BUTTON", u"Button"},
        {"WC_EDIT", u"Edit"},
        {"WC_STATIC", u"Static"},
        {"WC_LISTBOX", u"ListBox"},
        {"WC_SCROLLBAR", u"ScrollBar"},
        {"WC_COMBOBOX", u"ComboBox"},
        {"WC_LISTVIEW", u"SysListView32"},
        {"WC_TREEVIEW", u"SysTreeView32"},
        {"WC_TABCONTROL", u"SysTabControl32"},
        {"WC_HEADER", u"SysHeader32"},
        {"WC_IPADDRESS", u"SysIPAddress32"},
        {"UPDOWN_CLASS", u"msctls_updown32"},
        {"PROGRESS_CLASS", u"msctls_progress32"},
        {"TRACKBAR_CLASS", u"msctls_trackbar32"},
    };
    if (const auto it = macros.find(name); it != macros.end()) return std::u16string(it->second);
    if (const auto it = keywords.find(Upper(name)); it != keywords.end()) return std::u16string(it->second);
    return std::nullopt;
}

}  // namespace rescomp
