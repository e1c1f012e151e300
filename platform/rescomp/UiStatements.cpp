#include "platform/rescomp/UiStatements.h"

#include "platform/rescomp/StandardNames.h"
#include "platform/ui/ResourceTemplates.h"

#include <QByteArray>
#include <QSvgRenderer>

#include <climits>
#include <cstdio>
#include <cstring>
#include <optional>
#include <utility>

namespace rescomp {

namespace {

using platform::DialogItemTemplate;
using platform::DialogTemplate;
using platform::TemplateName;

constexpr DWORD kWsChild = 0x40000000;
constexpr DWORD kWsVisible = 0x10000000;
constexpr DWORD kWsBorder = 0x00800000;
constexpr DWORD kWsCaption = 0x00C00000;
constexpr DWORD kWsPopup = 0x80000000;
constexpr DWORD kWsSysMenu = 0x00080000;
constexpr DWORD kWsTabStop = 0x00010000;
constexpr DWORD kWsGroup = 0x00020000;
constexpr DWORD kDsSetFont = 0x40;

std::optional<std::int64_t> Constant(const std::string& name) { return StandardConstant(name); }

std::string Shown(const Token& t)
{
    if (t.kind == Token::Kind::End) return "the end of the script";
    if (t.kind == Token::Kind::String) return "a string";
    return "'" + t.text + "'";
}

// A style: bits to set, and bits that NOT takes away from the defaults.
struct Style {
    DWORD set = 0;
    DWORD clear = 0;
};

std::int64_t StyleOr(ScriptParser& p, const std::string& what);

// How deep brackets and prefix operators of a style nest; a script going
// beyond what anyone writes gets a syntax error, not a stack overflow.
constexpr int kMaxStyleNesting = 256;
thread_local int t_styleNesting = 0;

class StyleNesting {
public:
    StyleNesting(ScriptParser& p)
    {
        if (t_styleNesting >= kMaxStyleNesting) p.Fail(p.Peek(), "expression nested too deeply");
        ++t_styleNesting;
    }
    ~StyleNesting() { --t_styleNesting; }
    StyleNesting(const StyleNesting&) = delete;
    StyleNesting& operator=(const StyleNesting&) = delete;
};

std::int64_t StylePrimary(ScriptParser& p, const std::string& what)
{
    const StyleNesting nesting(p);
    const Token t = p.Peek();
    if (p.AcceptPunct("~")) return ~StylePrimary(p, what);
    if (p.AcceptPunct("-")) return -StylePrimary(p, what);
    if (p.AcceptPunct("(")) {
        const std::int64_t v = StyleOr(p, what);
        if (!p.AcceptPunct(")")) p.Fail(p.Peek(), "')' expected in " + what);
        return v;
    }
    if (t.kind == Token::Kind::Number) {
        p.Next();
        return t.number;
    }
    if (t.kind == Token::Kind::Identifier) {
        if (const auto v = Constant(t.text)) {
            p.Next();
            return *v;
        }
        p.Fail(t, "unknown name " + t.text + " in " + what + " (is its #define missing?)");
    }
    p.Fail(t, what + " expected, found " + Shown(t));
}

std::int64_t StyleSum(ScriptParser& p, const std::string& what)
{
    std::int64_t v = StylePrimary(p, what);
    for (;;) {
        if (p.AcceptPunct("+")) {
            v += StylePrimary(p, what);
        } else if (p.AcceptPunct("-")) {
            v -= StylePrimary(p, what);
        } else {
            return v;
        }
    }
}

std::int64_t StyleAnd(ScriptParser& p, const std::string& what)
{
    std::int64_t v = StyleSum(p, what);
    while (p.AcceptPunct("&")) v &= StyleSum(p, what);
    return v;
}

std::int64_t StyleOr(ScriptParser& p, const std::string& what)
{
    std::int64_t v = StyleAnd(p, what);
    while (p.AcceptPunct("|")) v |= StyleAnd(p, what);
    return v;
}

// term { | term }, term = [NOT] value.
Style ParseStyle(ScriptParser& p, const std::string& what)
{
    Style style;
    do {
        const bool negated = p.AcceptKeyword("NOT");
        const Token at = p.Peek();
        const std::int64_t v = StyleAnd(p, what);
        if (v < INT32_MIN || v > static_cast<std::int64_t>(UINT32_MAX)) p.Fail(at, what + " does not fit in 32 bits");
        const DWORD bits = static_cast<DWORD>(v);
        if (negated) {
            style.clear |= bits;
            style.set &= ~bits;
        } else {
            style.set |= bits;
            style.clear &= ~bits;
        }
    } while (p.AcceptPunct("|"));
    return style;
}

DWORD Combine(DWORD defaults, DWORD typeMask, const Style& style)
{
    DWORD base = defaults;
    if (style.set & typeMask) base &= ~typeMask;
    return (base | style.set) & ~style.clear;
}

std::int64_t Value(ScriptParser& p, const std::string& what) { return p.Number(what, Constant); }

short Coordinate(ScriptParser& p, const std::string& what)
{
    const Token at = p.Peek();
    const std::int64_t v = Value(p, what);
    if (v < SHRT_MIN || v > SHRT_MAX) p.Fail(at, what + " " + std::to_string(v) + " is outside -32768 to 32767");
    return static_cast<short>(v);
}

DWORD Dword(ScriptParser& p, const std::string& what)
{
    const Token at = p.Peek();
    const std::int64_t v = Value(p, what);
    if (v < INT32_MIN || v > static_cast<std::int64_t>(UINT32_MAX)) p.Fail(at, what + " does not fit in 32 bits");
    return static_cast<DWORD>(v);
}

void Comma(ScriptParser& p, const std::string& after)
{
    if (!p.AcceptPunct(",")) p.Fail(p.Peek(), "',' expected after " + after + ", found " + Shown(p.Peek()));
}

int ControlId(ScriptParser& p, bool extended)
{
    const Token at = p.Peek();
    const std::int64_t v = Value(p, "control id");
    const std::int64_t high = extended ? 0x7FFFFFFF : 0xFFFF;
    if (v < -1 || v > high) p.Fail(at, "control id " + std::to_string(v) + " is outside -1 to " + std::to_string(high));
    return static_cast<int>(v);
}

// A caption, or the resource name of an image: "text", a number, or a bare name.
TemplateName TextOrName(ScriptParser& p, bool isImage)
{
    const Token t = p.Peek();
    if (t.kind == Token::Kind::String) return TemplateName::Text(p.String("control text"));
    if (t.kind == Token::Kind::Identifier && !Constant(t.text)) {
        if (!isImage) p.Fail(t, "control text in quotes expected, found " + Shown(t));
        p.Next();
        return TemplateName::Text(Utf8ToUtf16(Upper(t.text)));
    }
    const std::int64_t v = Value(p, "control text");
    if (v < 0 || v > 0xFFFF) p.Fail(t, "resource id " + std::to_string(v) + " is outside 0 to 65535");
    return TemplateName::Number(static_cast<WORD>(v));
}

std::u16string ControlClass(ScriptParser& p)
{
    const Token t = p.Peek();
    if (t.kind == Token::Kind::String) {
        std::u16string name = p.String("control class");
        if (name.empty()) p.Fail(t, "empty control class");
        return name;
    }
    if (t.kind == Token::Kind::Identifier) {
        if (auto name = StandardClassName(t.text)) {
            p.Next();
            return *name;
        }
    }
    p.Fail(t, "control class expected (\"Button\", BUTTON, WC_LISTVIEW, ...), found " + Shown(t));
}

// The optional tail ", style [, exStyle [, helpId]]" of a control statement.
void ControlTail(ScriptParser& p, DialogItemTemplate& item, DWORD defaults, DWORD typeMask, bool extended)
{
    Style style;
    if (p.AcceptPunct(",")) {
        style = ParseStyle(p, "control style");
        if (p.AcceptPunct(",")) {
            item.exStyle = Dword(p, "control extended style");
            if (extended && p.AcceptPunct(",")) item.helpId = Dword(p, "help id");
        }
    }
    item.style = Combine(defaults, typeMask, style);
}

void Rectangle(ScriptParser& p, DialogItemTemplate& item)
{
    item.x = Coordinate(p, "x");
    Comma(p, "x");
    item.y = Coordinate(p, "y");
    Comma(p, "y");
    const Token at = p.Peek();
    item.cx = Coordinate(p, "width");
    Comma(p, "width");
    item.cy = Coordinate(p, "height");
    if (item.cx < 0 || item.cy < 0) p.Fail(at, "a control cannot have a negative size");
}

struct ControlKind {
    const char* keyword;
    const char16_t* className;
    DWORD defaults;  // besides WS_CHILD | WS_VISIBLE
    DWORD typeMask;
    bool hasText;
};

// Defaults of the control statements, as scripts expect them.
constexpr ControlKind kControlKinds[] = {
    {"LTEXT", u"Static", 0x0 | kWsGroup, 0x1F, true},
    {"RTEXT", u"Static", 0x2 | kWsGroup, 0x1F, true},
    {"CTEXT", u"Static", 0x1 | kWsGroup, 0x1F, true},
    {"PUSHBUTTON", u"Button", 0x0 | kWsTabStop, 0xF, true},
    {"DEFPUSHBUTTON", u"Button", 0x1 | kWsTabStop, 0xF, true},
    {"PUSHBOX", u"Button", 0xA | kWsTabStop, 0xF, true},
    {"CHECKBOX", u"Button", 0x2 | kWsTabStop, 0xF, true},
    {"AUTOCHECKBOX", u"Button", 0x3 | kWsTabStop, 0xF, true},
    {"STATE3", u"Button", 0x5 | kWsTabStop, 0xF, true},
    {"AUTO3STATE", u"Button", 0x6 | kWsTabStop, 0xF, true},
    {"RADIOBUTTON", u"Button", 0x4 | kWsTabStop, 0xF, true},
    {"AUTORADIOBUTTON", u"Button", 0x9 | kWsTabStop, 0xF, true},
    {"GROUPBOX", u"Button", 0x7, 0xF, true},
    {"EDITTEXT", u"Edit", 0x0 | kWsBorder | kWsTabStop, 0x3, false},
    {"COMBOBOX", u"ComboBox", 0x1 | kWsTabStop, 0x3, false},
    {"LISTBOX", u"ListBox", 0x1 | kWsBorder, 0x0, false},
    {"SCROLLBAR", u"ScrollBar", 0x0, 0x1, false},
};

DialogItemTemplate Control(ScriptParser& p, const Token& keyword, bool extended)
{
    DialogItemTemplate item;
    const DWORD childVisible = kWsChild | kWsVisible;
    if (keyword.IsKeyword("CONTROL")) {
        item.text = TextOrName(p, true);
        Comma(p, "control text");
        item.id = ControlId(p, extended);
        Comma(p, "control id");
        item.className = ControlClass(p);
        Comma(p, "control class");
        const Style style = ParseStyle(p, "control style");
        item.style = (childVisible | style.set) & ~style.clear;
        Comma(p, "control style");
        Rectangle(p, item);
        if (p.AcceptPunct(",")) {
            item.exStyle = Dword(p, "control extended style");
            if (extended && p.AcceptPunct(",")) item.helpId = Dword(p, "help id");
        }
        return item;
    }
    if (keyword.IsKeyword("ICON")) {
        item.className = u"Static";
        item.text = TextOrName(p, true);
        Comma(p, "icon name");
        item.id = ControlId(p, extended);
        Comma(p, "control id");
        item.x = Coordinate(p, "x");
        Comma(p, "x");
        item.y = Coordinate(p, "y");
        item.style = childVisible | 0x3;
        if (p.AcceptPunct(",")) {
            item.cx = Coordinate(p, "width");
            Comma(p, "width");
            item.cy = Coordinate(p, "height");
            ControlTail(p, item, childVisible | 0x3, 0x1F, extended);
        }
        return item;
    }
    for (const ControlKind& kind : kControlKinds) {
        if (!keyword.IsKeyword(kind.keyword)) continue;
        item.className = kind.className;
        if (kind.hasText) {
            item.text = TextOrName(p, false);
            Comma(p, "control text");
        }
        item.id = ControlId(p, extended);
        Comma(p, "control id");
        Rectangle(p, item);
        ControlTail(p, item, childVisible | kind.defaults, kind.typeMask, extended);
        return item;
    }
    p.Fail(keyword, "unknown control statement " + Shown(keyword));
}

void Dialog(ScriptParser& p, const platform::ResourceKey& name, const Token& keyword)
{
    DialogTemplate d;
    d.extended = keyword.IsKeyword("DIALOGEX");
    while (p.AcceptMemoryFlag()) {
    }
    d.x = Coordinate(p, "dialog x");
    Comma(p, "dialog x");
    d.y = Coordinate(p, "dialog y");
    Comma(p, "dialog y");
    d.cx = Coordinate(p, "dialog width");
    Comma(p, "dialog width");
    d.cy = Coordinate(p, "dialog height");
    if (d.cx < 0 || d.cy < 0) p.Fail(keyword, "a dialog cannot have a negative size");
    if (d.extended && p.AcceptPunct(",")) d.helpId = Dword(p, "help id");

    bool haveStyle = false;
    bool haveCaption = false;
    while (!p.AtBlockStart()) {
        const Token t = p.Next();
        if (t.IsKeyword("STYLE")) {
            const Style style = ParseStyle(p, "dialog style");
            d.style = style.set & ~style.clear;
            haveStyle = true;
        } else if (t.IsKeyword("EXSTYLE")) {
            d.exStyle = Dword(p, "dialog extended style");
        } else if (t.IsKeyword("CAPTION")) {
            d.caption = p.String("caption");
            haveCaption = true;
        } else if (t.IsKeyword("FONT")) {
            const Token at = p.Peek();
            const std::int64_t size = Value(p, "font size");
            if (size < 1 || size > 72) p.Fail(at, "font size " + std::to_string(size) + " is outside 1 to 72");
            d.pointSize = static_cast<WORD>(size);
            Comma(p, "font size");
            d.faceName = p.String("font face");
            if (d.faceName.empty()) p.Fail(at, "empty font face");
            d.hasFont = true;
            if (d.extended && p.AcceptPunct(",")) {
                const std::int64_t weight = Value(p, "font weight");
                if (weight < 0 || weight > 1000) p.Fail(at, "font weight is outside 0 to 1000");
                d.weight = static_cast<WORD>(weight);
                if (p.AcceptPunct(",")) {
                    d.italic = Value(p, "italic flag") != 0 ? 1 : 0;
                    if (p.AcceptPunct(",")) {
                        const std::int64_t charSet = Value(p, "character set");
                        if (charSet < 0 || charSet > 255) p.Fail(at, "character set is outside 0 to 255");
                        d.charSet = static_cast<BYTE>(charSet);
                    }
                }
            }
        } else if (t.IsKeyword("MENU")) {
            d.menu = TextOrName(p, true);
        } else if (t.IsKeyword("CLASS")) {
            d.className = p.String("dialog class");
        } else if (t.IsKeyword("LANGUAGE")) {
            Value(p, "language");
            Comma(p, "language");
            Value(p, "sub-language");
        } else if (t.IsKeyword("CHARACTERISTICS") || t.IsKeyword("VERSION")) {
            Value(p, "value");
        } else {
            p.Fail(t, "BEGIN or a dialog option (STYLE, CAPTION, FONT, ...) expected, found " + Shown(t));
        }
    }
    if (!haveStyle) d.style = kWsPopup | kWsBorder | kWsSysMenu;
    if (haveCaption) d.style |= kWsCaption;
    if (d.hasFont) d.style |= kDsSetFont;

    p.ExpectBlockStart("dialog");
    while (!p.AcceptBlockEnd("dialog")) {
        const Token statement = p.Next();
        if (statement.kind != Token::Kind::Identifier) {
            p.Fail(statement, "a control statement expected, found " + Shown(statement));
        }
        DialogItemTemplate item = Control(p, statement, d.extended);
        if (item.id != -1) {
            for (const DialogItemTemplate& other : d.items) {
                if (other.id == item.id) p.Fail(statement, "duplicate control id " + std::to_string(item.id));
            }
        }
        d.items.push_back(std::move(item));
        if (d.items.size() > 4096) p.Fail(statement, "too many controls in one dialog");
    }
    p.AddResource(platform::ResourceKey(static_cast<unsigned>(kRtDialog)), name, platform::SerializeDialog(d), keyword);
}

UINT MenuOption(const Token& t)
{
    struct Option {
        const char* keyword;
        UINT flags;
    };
    static const Option kOptions[] = {
        {"CHECKED", platform::kMenuChecked},       {"GRAYED", platform::kMenuGrayed},
        {"INACTIVE", platform::kMenuDisabled},     {"MENUBARBREAK", platform::kMenuBarBreak},
        {"MENUBREAK", platform::kMenuBreak},       {"HELP", platform::kMenuHelp},
    };
    for (const Option& o : kOptions) {
        if (t.IsKeyword(o.keyword)) return o.flags;
    }
    return 0;
}

// Options after a plain menu item or popup: [,] CHECKED [,] GRAYED ...
UINT MenuOptions(ScriptParser& p)
{
    UINT flags = 0;
    for (;;) {
        std::size_t ahead = p.Peek().IsPunct(",") ? 1 : 0;
        const UINT option = MenuOption(p.Peek(ahead));
        if (!option) return flags;
        if (ahead) p.Next();
        p.Next();
        flags |= option;
    }
}

// MENUEX numbers: type (MFT_) and state (MFS_) turned into the item flags.
UINT ExtendedMenuFlags(std::int64_t type, std::int64_t state)
{
    UINT flags = 0;
    if (type & 0x800) flags |= platform::kMenuSeparator;
    if (type & 0x20) flags |= platform::kMenuBarBreak;
    if (type & 0x40) flags |= platform::kMenuBreak;
    if (type & 0x200) flags |= platform::kMenuRadioCheck;
    if (type & 0x4000) flags |= platform::kMenuHelp;
    if (state & 0x3) flags |= platform::kMenuGrayed;
    if (state & 0x8) flags |= platform::kMenuChecked;
    if (state & 0x1000) flags |= platform::kMenuDefault;
    return flags;
}

std::vector<platform::MenuItemTemplate> MenuItems(ScriptParser& p, bool extended, int depth)
{
    if (depth > platform::kMaxMenuDepth) p.Fail(p.Peek(), "menu nested too deep");
    std::vector<platform::MenuItemTemplate> items;
    p.ExpectBlockStart("menu");
    while (!p.AcceptBlockEnd("menu")) {
        const Token t = p.Next();
        platform::MenuItemTemplate item;
        if (t.IsKeyword("MENUITEM")) {
            if (p.AcceptKeyword("SEPARATOR")) {
                item.flags = platform::kMenuSeparator;
            } else {
                item.text = p.String("menu item text");
                if (extended) {
                    std::int64_t type = 0;
                    std::int64_t state = 0;
                    if (p.AcceptPunct(",")) {
                        item.id = static_cast<UINT>(p.Id("menu item id"));
                        if (p.AcceptPunct(",")) {
                            type = Value(p, "menu item type");
                            if (p.AcceptPunct(",")) state = Value(p, "menu item state");
                        }
                    }
                    item.flags = ExtendedMenuFlags(type, state);
                } else {
                    Comma(p, "menu item text");
                    item.id = static_cast<UINT>(p.Id("menu item id"));
                    item.flags = MenuOptions(p);
                }
            }
        } else if (t.IsKeyword("POPUP")) {
            item.text = p.String("popup text");
            if (extended) {
                std::int64_t type = 0;
                std::int64_t state = 0;
                if (p.AcceptPunct(",")) {
                    item.id = static_cast<UINT>(p.Id("popup id"));
                    if (p.AcceptPunct(",")) {
                        type = Value(p, "popup type");
                        if (p.AcceptPunct(",")) {
                            state = Value(p, "popup state");
                            if (p.AcceptPunct(",")) Value(p, "help id");
                        }
                    }
                }
                item.flags = ExtendedMenuFlags(type, state);
            } else {
                item.flags = MenuOptions(p);
            }
            item.flags |= platform::kMenuPopup;
            item.children = MenuItems(p, extended, depth + 1);
        } else {
            p.Fail(t, "MENUITEM or POPUP expected, found " + Shown(t));
        }
        items.push_back(std::move(item));
    }
    return items;
}

void Menu(ScriptParser& p, const platform::ResourceKey& name, const Token& keyword)
{
    platform::MenuTemplate menu;
    menu.extended = keyword.IsKeyword("MENUEX");
    while (p.AcceptMemoryFlag()) {
    }
    menu.items = MenuItems(p, menu.extended, 0);
    p.AddResource(platform::ResourceKey(static_cast<unsigned>(kRtMenu)), name, platform::SerializeMenu(menu), keyword);
}

constexpr BYTE kFVirtKey = 0x01;
constexpr BYTE kFNoInvert = 0x02;
constexpr BYTE kFShift = 0x04;
constexpr BYTE kFControl = 0x08;
constexpr BYTE kFAlt = 0x10;

void Accelerators(ScriptParser& p, const platform::ResourceKey& name, const Token& keyword)
{
    while (p.AcceptMemoryFlag()) {
    }
    std::vector<platform::AcceleratorEntry> table;
    p.ExpectBlockStart("ACCELERATORS");
    while (!p.AcceptBlockEnd("ACCELERATORS")) {
        const Token at = p.Peek();
        platform::AcceleratorEntry entry;
        std::optional<char16_t> character;
        std::int64_t key = 0;
        if (at.kind == Token::Kind::String) {
            const std::u16string text = p.String("accelerator key");
            if (text.size() == 2 && text[0] == u'^') {
                const char16_t c = text[1];
                if (!((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'))) {
                    p.Fail(at, "\"^x\" needs a letter");
                }
                key = (c & 0x1F);
            } else if (text.size() == 1) {
                character = text[0];
                key = text[0];
            } else {
                p.Fail(at, "an accelerator key is one character or \"^\" and a letter");
            }
        } else {
            key = Value(p, "accelerator key");
            if (key < 0 || key > 0xFFFF) p.Fail(at, "accelerator key is outside 0 to 65535");
        }
        Comma(p, "accelerator key");
        entry.command = p.Id("accelerator command");
        bool ascii = false;
        while (p.AcceptPunct(",")) {
            const Token option = p.Next();
            if (option.IsKeyword("VIRTKEY")) {
                entry.flags |= kFVirtKey;
            } else if (option.IsKeyword("ASCII")) {
                ascii = true;
            } else if (option.IsKeyword("NOINVERT")) {
                entry.flags |= kFNoInvert;
            } else if (option.IsKeyword("SHIFT")) {
                entry.flags |= kFShift;
            } else if (option.IsKeyword("CONTROL")) {
                entry.flags |= kFControl;
            } else if (option.IsKeyword("ALT")) {
                entry.flags |= kFAlt;
            } else {
                p.Fail(option, "accelerator option (VIRTKEY, ASCII, NOINVERT, SHIFT, CONTROL, ALT) expected, found " +
                                   Shown(option));
            }
        }
        if (ascii && (entry.flags & kFVirtKey)) p.Fail(at, "an accelerator is either ASCII or VIRTKEY");
        if ((entry.flags & kFVirtKey) && character) {
            // A virtual key written as a character is its upper-case letter or digit.
            const char16_t c = *character;
            if (c >= u'a' && c <= u'z') key = c - u'a' + u'A';
            if (!((key >= u'A' && key <= u'Z') || (key >= u'0' && key <= u'9'))) {
                p.Fail(at, "a VIRTKEY written in quotes must be a letter or a digit");
            }
        }
        if (!(entry.flags & kFVirtKey) && (entry.flags & (kFShift | kFControl))) {
            p.Fail(at, "SHIFT and CONTROL apply to VIRTKEY accelerators only");
        }
        entry.key = static_cast<WORD>(key);
        table.push_back(entry);
    }
    p.AddResource(platform::ResourceKey(static_cast<unsigned>(kRtAccelerator)), name,
                  platform::SerializeAccelerators(table), keyword);
}

std::uint32_t Le32(const std::string& b, std::size_t at)
{
    return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}

std::uint16_t Le16(const std::string& b, std::size_t at)
{
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                      static_cast<unsigned char>(b[at + 1]) << 8);
}

// An SVG cursor names its hot spot in its root element as
// data-hotspot="x y" (pixels of its own size); without one it is the top-left corner.
std::optional<std::pair<int, int>> SvgHotSpot(const std::string& svg)
{
    const std::size_t root = svg.find("<svg");
    if (root == std::string::npos) return std::nullopt;
    const std::size_t rootEnd = svg.find('>', root);
    const std::size_t at = svg.find("data-hotspot=\"", root);
    if (at == std::string::npos || at > rootEnd) return std::nullopt;
    int x = 0;
    int y = 0;
    if (std::sscanf(svg.c_str() + at + std::strlen("data-hotspot=\""), "%d %d", &x, &y) != 2) return std::pair(-1, -1);
    return std::pair(x, y);
}

// The image of a file, checked; keyword says which statement wants it.
platform::ImageResource Image(ScriptParser& p, const Token& file, const Token& keyword, std::string bytes)
{
    platform::ImageResource image;
    const std::optional<platform::ImageFormat> format = platform::DetectImageFormat(bytes);
    if (!format) p.Fail(file, "the file is no SVG, BMP, ICO or CUR image");
    image.format = *format;
    if (keyword.IsKeyword("BITMAP") && (*format == platform::ImageFormat::kIco || *format == platform::ImageFormat::kCur)) {
        p.Fail(file, "a BITMAP is an SVG or BMP file");
    }
    if (!keyword.IsKeyword("BITMAP") && *format == platform::ImageFormat::kBmp) {
        p.Fail(file, (keyword.IsKeyword("ICON") ? "an ICON" : "a CURSOR") + std::string(" is an SVG, ICO or CUR file"));
    }
    switch (*format) {
    case platform::ImageFormat::kSvg: {
        QSvgRenderer renderer(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
        if (!renderer.isValid()) p.Fail(file, "the SVG image cannot be read");
        const QSize size = renderer.defaultSize();
        if (size.width() <= 0 || size.height() <= 0 || size.width() > 4096 || size.height() > 4096) {
            p.Fail(file, "the SVG image needs a size of 1 to 4096 pixels (width and height, or a viewBox)");
        }
        image.width = static_cast<DWORD>(size.width());
        image.height = static_cast<DWORD>(size.height());
        if (keyword.IsKeyword("CURSOR")) {
            const std::optional<std::pair<int, int>> hot = SvgHotSpot(bytes);
            if (hot && (hot->first < 0 || hot->second < 0 || hot->first >= size.width() || hot->second >= size.height())) {
                p.Fail(file, "the cursor's data-hotspot lies outside its picture");
            }
            if (hot) {
                image.hotX = static_cast<short>(hot->first);
                image.hotY = static_cast<short>(hot->second);
            }
        }
        break;
    }
    case platform::ImageFormat::kBmp: {
        if (bytes.size() < 26) p.Fail(file, "the BMP file is truncated");
        const std::int32_t w = static_cast<std::int32_t>(Le32(bytes, 18));
        const std::int32_t h = static_cast<std::int32_t>(Le32(bytes, 22));
        if (w <= 0 || h == 0 || w > 16384 || h > 16384 || h < -16384) p.Fail(file, "the BMP file has a bad size");
        image.width = static_cast<DWORD>(w);
        image.height = static_cast<DWORD>(h < 0 ? -h : h);
        break;
    }
    case platform::ImageFormat::kIco:
    case platform::ImageFormat::kCur: {
        if (bytes.size() < 22 || Le16(bytes, 4) == 0) p.Fail(file, "the icon file holds no image");
        image.width = static_cast<unsigned char>(bytes[6]) ? static_cast<unsigned char>(bytes[6]) : 256;
        image.height = static_cast<unsigned char>(bytes[7]) ? static_cast<unsigned char>(bytes[7]) : 256;
        if (*format == platform::ImageFormat::kCur) {
            image.hotX = static_cast<short>(Le16(bytes, 10));
            image.hotY = static_cast<short>(Le16(bytes, 12));
        }
        break;
    }
    }
    image.data = std::move(bytes);
    return image;
}

void ImageStatement(ScriptParser& p, const platform::ResourceKey& name, const Token& keyword)
{
    while (p.AcceptMemoryFlag()) {
    }
    if (p.Peek().kind != Token::Kind::String) p.Fail(p.Peek(), "an image file name in quotes expected");
    const Token file = p.Next();
    platform::ImageResource image = Image(p, file, keyword, p.ReadDataFile(file));
    WORD type = kRtBitmap;
    if (keyword.IsKeyword("ICON")) type = kRtGroupIcon;
    if (keyword.IsKeyword("CURSOR")) type = kRtGroupCursor;
    p.AddResource(platform::ResourceKey(static_cast<unsigned>(type)), name, platform::SerializeImage(image), keyword);
}

}  // namespace

void RegisterUiStatements(ScriptParser& parser)
{
    parser.AddResourceType("DIALOG", Dialog);
    parser.AddResourceType("DIALOGEX", Dialog);
    parser.AddResourceType("MENU", Menu);
    parser.AddResourceType("MENUEX", Menu);
    parser.AddResourceType("ACCELERATORS", Accelerators);
    parser.AddResourceType("ICON", ImageStatement);
    parser.AddResourceType("BITMAP", ImageStatement);
    parser.AddResourceType("CURSOR", ImageStatement);
}

}  // namespace rescomp
