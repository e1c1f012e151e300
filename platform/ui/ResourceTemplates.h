// The layouts of the user-interface resources in a resource module: dialog
// templates, menus, accelerator tables and images. rescomp writes them, the
// window layer reads them. No toolkit here, so the compiler can share it.
//
// Every record starts with a four-byte tag and a 16-bit version; numbers are
// little-endian; a text is a 16-bit count of UTF-16 units and the units. A
// reader checks every count against the bytes left and refuses anything
// malformed (truncated, trailing bytes, nesting too deep) with a reason.
//
//   dialog  "QDLG" u16 version, u16 flags (1 extended, 2 has font)
//           u32 style, exStyle, helpId; i16 x, y, cx, cy
//           name menu; text class; text caption
//           u16 point size, u16 weight, u8 italic, u8 charset; text face
//           u16 item count; items:
//             u32 style, exStyle, helpId; i32 id; i16 x, y, cx, cy
//             text class; name text
//   menu    "QMNU" u16 version, u16 flags (1 extended); item list:
//             u16 count; per item u32 flags, u32 id, text, and for a popup
//             its own item list
//   accel   "QACC" u16 version, u16 count; per entry u8 flags, u8 0,
//           u16 key, u16 command
//   image   "QIMG" u16 version, u16 format, i16 hot x, i16 hot y,
//           u32 width, u32 height (the picture's own size, 0 when unknown),
//           then the file's bytes
// A name is u8 kind (0 none, 1 number, 2 text) and a u16 number or a text.
#pragma once

#include "platform/core/WinTypes.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// A resource reference inside a template: a menu, an icon of a static.
struct TemplateName {
    enum class Kind : BYTE { kNone = 0, kNumber = 1, kText = 2 };
    Kind kind = Kind::kNone;
    WORD number = 0;
    std::u16string text;

    static TemplateName Text(std::u16string value);
    static TemplateName Number(WORD value);
    bool IsNone() const { return kind == Kind::kNone; }
    friend bool operator==(const TemplateName&, const TemplateName&) = default;
};

struct DialogItemTemplate {
    DWORD style = 0;
    DWORD exStyle = 0;
    DWORD helpId = 0;
    int id = 0;  // -1 for the usual unnamed statics
    short x = 0;
    short y = 0;
    short cx = 0;
    short cy = 0;
    std::u16string className;  // "Button", "Edit", "SysListView32", ...
    TemplateName text;         // caption, or the image of an icon or bitmap static

    friend bool operator==(const DialogItemTemplate&, const DialogItemTemplate&) = default;
};

struct DialogTemplate {
    bool extended = false;
    DWORD style = 0;
    DWORD exStyle = 0;
    DWORD helpId = 0;
    short x = 0;
    short y = 0;
    short cx = 0;
    short cy = 0;
    TemplateName menu;
    std::u16string className;
    std::u16string caption;
    bool hasFont = false;
    WORD pointSize = 0;
    WORD weight = 0;
    BYTE italic = 0;
    BYTE charSet = 1;  // DEFAULT_CHARSET
    std::u16string faceName;
    std::vector<DialogItemTemplate> items;

    friend bool operator==(const DialogTemplate&, const DialogTemplate&) = default;
};

// Flags of a menu item, with the numbers of the system's MF_ values.
inline constexpr UINT kMenuGrayed = 0x0001;
inline constexpr UINT kMenuDisabled = 0x0002;
inline constexpr UINT kMenuChecked = 0x0008;
inline constexpr UINT kMenuPopup = 0x0010;
inline constexpr UINT kMenuBarBreak = 0x0020;
inline constexpr UINT kMenuBreak = 0x0040;
inline constexpr UINT kMenuSeparator = 0x0800;
inline constexpr UINT kMenuHelp = 0x4000;
inline constexpr UINT kMenuRadioCheck = 0x0200;
inline constexpr UINT kMenuDefault = 0x1000;

struct MenuItemTemplate {
    UINT flags = 0;
    UINT id = 0;
    std::u16string text;
    std::vector<MenuItemTemplate> children;  // a popup's items

    friend bool operator==(const MenuItemTemplate&, const MenuItemTemplate&) = default;
};

struct MenuTemplate {
    bool extended = false;
    std::vector<MenuItemTemplate> items;

    friend bool operator==(const MenuTemplate&, const MenuTemplate&) = default;
};

// One accelerator, as ACCEL: flags (FVIRTKEY 1, FNOINVERT 2, FSHIFT 4,
// FCONTROL 8, FALT 0x10), the key (a virtual key with FVIRTKEY, else a
// character) and the command id.
struct AcceleratorEntry {
    BYTE flags = 0;
    WORD key = 0;
    WORD command = 0;

    friend bool operator==(const AcceleratorEntry&, const AcceleratorEntry&) = default;
};

enum class ImageFormat : WORD { kSvg = 1, kBmp = 2, kIco = 3, kCur = 4 };

struct ImageResource {
    ImageFormat format = ImageFormat::kSvg;
    short hotX = 0;
    short hotY = 0;
    DWORD width = 0;
    DWORD height = 0;
    std::string data;

    friend bool operator==(const ImageResource&, const ImageResource&) = default;
};

// Deepest nesting of popups a menu may have.
inline constexpr int kMaxMenuDepth = 16;

std::string SerializeDialog(const DialogTemplate& dialog);
std::string SerializeMenu(const MenuTemplate& menu);
std::string SerializeAccelerators(const std::vector<AcceleratorEntry>& table);
std::string SerializeImage(const ImageResource& image);

// Readers: nothing on any fault, with the reason in *error when given.
std::optional<DialogTemplate> ParseDialog(std::string_view bytes, std::string* error = nullptr);
std::optional<MenuTemplate> ParseMenu(std::string_view bytes, std::string* error = nullptr);
std::optional<std::vector<AcceleratorEntry>> ParseAccelerators(std::string_view bytes, std::string* error = nullptr);
std::optional<ImageResource> ParseImage(std::string_view bytes, std::string* error = nullptr);

// What a file's bytes are, by their first bytes; nothing when unknown.
std::optional<ImageFormat> DetectImageFormat(std::string_view bytes);

}  // namespace platform
