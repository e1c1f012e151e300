#include "platform/ui/ResourceTemplates.h"

#include <cstring>
#include <stdexcept>

namespace platform {

namespace {

constexpr WORD kVersion = 1;
constexpr WORD kDialogExtended = 1;
constexpr WORD kDialogHasFont = 2;
constexpr WORD kMenuExtendedFlag = 1;
// A dialog or menu bigger than this is no template but damage.
constexpr std::size_t kMaxItems = 4096;

class Writer {
public:
    void Tag(const char* tag) { m_out.append(tag, 4); }
    void U8(unsigned v) { m_out.push_back(static_cast<char>(v & 0xFF)); }
    void U16(unsigned v)
    {
        U8(v);
        U8(v >> 8);
    }
    void U32(std::uint32_t v)
    {
        U16(v & 0xFFFF);
        U16(v >> 16);
    }
    void I16(int v) { U16(static_cast<std::uint16_t>(static_cast<std::int16_t>(v))); }
    void Text(const std::u16string& text)
    {
        // Longer texts cannot come from a script; cut rather than corrupt.
        const std::size_t n = std::min<std::size_t>(text.size(), 0xFFFF);
        U16(static_cast<unsigned>(n));
        for (std::size_t i = 0; i < n; ++i) U16(text[i]);
    }
    void Name(const TemplateName& name)
    {
        U8(static_cast<unsigned>(name.kind));
        if (name.kind == TemplateName::Kind::kNumber) U16(name.number);
        if (name.kind == TemplateName::Kind::kText) Text(name.text);
    }
    void Bytes(const std::string& bytes) { m_out += bytes; }
    std::string Take() { return std::move(m_out); }

private:
    std::string m_out;
};

struct Malformed : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class Reader {
public:
    explicit Reader(std::string_view bytes) : m_bytes(bytes) {}

    void Need(std::size_t n, const char* what) const
    {
        if (m_bytes.size() - m_pos < n) throw Malformed(std::string("truncated ") + what);
    }
    void ExpectTag(const char* tag, const char* what)
    {
        Need(6, what);
        if (std::memcmp(m_bytes.data() + m_pos, tag, 4) != 0) throw Malformed(std::string("not a ") + what);
        m_pos += 4;
        const WORD version = U16(what);
        if (version != kVersion) throw Malformed(std::string("unknown ") + what + " version " + std::to_string(version));
    }
    unsigned U8(const char* what)
    {
        Need(1, what);
        return static_cast<unsigned char>(m_bytes[m_pos++]);
    }
    WORD U16(const char* what)
    {
        Need(2, what);
        const unsigned lo = static_cast<unsigned char>(m_bytes[m_pos]);
        const unsigned hi = static_cast<unsigned char>(m_bytes[m_pos + 1]);
        m_pos += 2;
        return static_cast<WORD>(lo | (hi << 8));
    }
    DWORD U32(const char* what)
    {
        const DWORD lo = U16(what);
        const DWORD hi = U16(what);
        return lo | (hi << 16);
    }
    short I16(const char* what) { return static_cast<short>(U16(what)); }
    std::u16string Text(const char* what)
    {
        const WORD n = U16(what);
        Need(std::size_t{n} * 2, what);
        std::u16string text;
        text.reserve(n);
        for (WORD i = 0; i < n; ++i) text.push_back(static_cast<char16_t>(U16(what)));
        return text;
    }
    TemplateName Name(const char* what)
    {
        TemplateName name;
        const unsigned kind = U8(what);
        switch (kind) {
        case 0: break;
        case 1: name = TemplateName::Number(U16(what)); break;
        case 2: name = TemplateName::Text(Text(what)); break;
        default: throw Malformed(std::string("bad name kind in ") + what);
        }
        return name;
    }
    std::string Rest()
    {
        std::string rest(m_bytes.substr(m_pos));
        m_pos = m_bytes.size();
        return rest;
    }
    void ExpectEnd(const char* what) const
    {
        if (m_pos != m_bytes.size()) throw Malformed(std::string("bytes after the ") + what);
    }

private:
    std::string_view m_bytes;
    std::size_t m_pos = 0;
};

void WriteMenuItems(Writer& w, const std::vector<MenuItemTemplate>& items)
{
    w.U16(static_cast<unsigned>(std::min<std::size_t>(items.size(), 0xFFFF)));
    for (const MenuItemTemplate& item : items) {
        w.U32(item.flags | (item.children.empty() ? 0 : kMenuPopup));
        w.U32(item.id);
        w.Text(item.text);
        if (item.flags & kMenuPopup || !item.children.empty()) WriteMenuItems(w, item.children);
    }
}

std::vector<MenuItemTemplate> ReadMenuItems(Reader& r, int depth, std::size_t& total)
{
    if (depth > kMaxMenuDepth) throw Malformed("menu nested too deep");
    const WORD count = r.U16("menu");
    std::vector<MenuItemTemplate> items;
    for (WORD i = 0; i < count; ++i) {
        if (++total > kMaxItems) throw Malformed("menu has too many items");
        MenuItemTemplate item;
        item.flags = r.U32("menu item");
        item.id = r.U32("menu item");
        item.text = r.Text("menu item");
        if (item.flags & kMenuPopup) item.children = ReadMenuItems(r, depth + 1, total);
        items.push_back(std::move(item));
    }
    return items;
}

template <class T, class F>
std::optional<T> Guarded(F&& read, std::string* error)
{
    try {
        return read();
    } catch (const Malformed& e) {
        if (error) *error = e.what();
    } catch (const std::exception& e) {
        if (error) *error = e.what();
    }
    return std::nullopt;
}

bool StartsWith(std::string_view bytes, std::string_view prefix)
{
    return bytes.size() >= prefix.size() && bytes.substr(0, prefix.size()) == prefix;
}

}  // namespace

TemplateName TemplateName::Text(std::u16string value)
{
    TemplateName name;
    name.kind = Kind::kText;
    name.text = std::move(value);
    return name;
}

TemplateName TemplateName::Number(WORD value)
{
    TemplateName name;
    name.kind = Kind::kNumber;
    name.number = value;
    return name;
}

std::string SerializeDialog(const DialogTemplate& d)
{
    Writer w;
    w.Tag("QDLG");
    w.U16(kVersion);
    w.U16((d.extended ? kDialogExtended : 0) | (d.hasFont ? kDialogHasFont : 0));
    w.U32(d.style);
    w.U32(d.exStyle);
    w.U32(d.helpId);
    w.I16(d.x);
    w.I16(d.y);
    w.I16(d.cx);
    w.I16(d.cy);
    w.Name(d.menu);
    w.Text(d.className);
    w.Text(d.caption);
    w.U16(d.pointSize);
    w.U16(d.weight);
    w.U8(d.italic);
    w.U8(d.charSet);
    w.Text(d.faceName);
    w.U16(static_cast<unsigned>(std::min<std::size_t>(d.items.size(), 0xFFFF)));
    for (const DialogItemTemplate& item : d.items) {
        w.U32(item.style);
        w.U32(item.exStyle);
        w.U32(item.helpId);
        w.U32(static_cast<std::uint32_t>(item.id));
        w.I16(item.x);
        w.I16(item.y);
        w.I16(item.cx);
        w.I16(item.cy);
        w.Text(item.className);
        w.Name(item.text);
    }
    return w.Take();
}

std::optional<DialogTemplate> ParseDialog(std::string_view bytes, std::string* error)
{
    return Guarded<DialogTemplate>(
        [&] {
            Reader r(bytes);
            r.ExpectTag("QDLG", "dialog template");
            DialogTemplate d;
            const WORD flags = r.U16("dialog template");
            if (flags & ~(kDialogExtended | kDialogHasFont)) throw Malformed("unknown dialog template flags");
            d.extended = (flags & kDialogExtended) != 0;
            d.hasFont = (flags & kDialogHasFont) != 0;
            d.style = r.U32("dialog template");
            d.exStyle = r.U32("dialog template");
            d.helpId = r.U32("dialog template");
            d.x = r.I16("dialog template");
            d.y = r.I16("dialog template");
            d.cx = r.I16("dialog template");
            d.cy = r.I16("dialog template");
            d.menu = r.Name("dialog menu");
            d.className = r.Text("dialog class");
            d.caption = r.Text("dialog caption");
            d.pointSize = r.U16("dialog font");
            d.weight = r.U16("dialog font");
            d.italic = static_cast<BYTE>(r.U8("dialog font"));
            d.charSet = static_cast<BYTE>(r.U8("dialog font"));
            d.faceName = r.Text("dialog font");
            const WORD count = r.U16("dialog template");
            if (count > kMaxItems) throw Malformed("dialog has too many controls");
            for (WORD i = 0; i < count; ++i) {
                DialogItemTemplate item;
                item.style = r.U32("dialog control");
                item.exStyle = r.U32("dialog control");
                item.helpId = r.U32("dialog control");
                item.id = static_cast<int>(r.U32("dialog control"));
                item.x = r.I16("dialog control");
                item.y = r.I16("dialog control");
                item.cx = r.I16("dialog control");
                item.cy = r.I16("dialog control");
                item.className = r.Text("dialog control class");
                if (item.className.empty()) throw Malformed("dialog control without a class");
                item.text = r.Name("dialog control text");
                d.items.push_back(std::move(item));
            }
            r.ExpectEnd("dialog template");
            return d;
        },
        error);
}

std::string SerializeMenu(const MenuTemplate& menu)
{
    Writer w;
    w.Tag("QMNU");
    w.U16(kVersion);
    w.U16(menu.extended ? kMenuExtendedFlag : 0);
    WriteMenuItems(w, menu.items);
    return w.Take();
}

std::optional<MenuTemplate> ParseMenu(std::string_view bytes, std::string* error)
{
    return Guarded<MenuTemplate>(
        [&] {
            Reader r(bytes);
            r.ExpectTag("QMNU", "menu");
            MenuTemplate menu;
            const WORD flags = r.U16("menu");
            if (flags & ~kMenuExtendedFlag) throw Malformed("unknown menu flags");
            menu.extended = (flags & kMenuExtendedFlag) != 0;
            std::size_t total = 0;
            menu.items = ReadMenuItems(r, 0, total);
            r.ExpectEnd("menu");
            return menu;
        },
        error);
}

std::string SerializeAccelerators(const std::vector<AcceleratorEntry>& table)
{
    Writer w;
    w.Tag("QACC");
    w.U16(kVersion);
    w.U16(static_cast<unsigned>(std::min<std::size_t>(table.size(), 0xFFFF)));
    for (const AcceleratorEntry& e : table) {
        w.U8(e.flags);
        w.U8(0);
        w.U16(e.key);
        w.U16(e.command);
    }
    return w.Take();
}

std::optional<std::vector<AcceleratorEntry>> ParseAccelerators(std::string_view bytes, std::string* error)
{
    return Guarded<std::vector<AcceleratorEntry>>(
        [&] {
            Reader r(bytes);
            r.ExpectTag("QACC", "accelerator table");
            const WORD count = r.U16("accelerator table");
            std::vector<AcceleratorEntry> table;
            for (WORD i = 0; i < count; ++i) {
                AcceleratorEntry e;
                e.flags = static_cast<BYTE>(r.U8("accelerator"));
                if (e.flags & ~0x1F) throw Malformed("unknown accelerator flags");
                if (r.U8("accelerator") != 0) throw Malformed("accelerator padding not zero");
                e.key = r.U16("accelerator");
                e.command = r.U16("accelerator");
                table.push_back(e);
            }
            r.ExpectEnd("accelerator table");
            return table;
        },
        error);
}

std::string SerializeImage(const ImageResource& image)
{
    Writer w;
    w.Tag("QIMG");
    w.U16(kVersion);
    w.U16(static_cast<unsigned>(image.format));
    w.I16(image.hotX);
    w.I16(image.hotY);
    w.U32(image.width);
    w.U32(image.height);
    w.Bytes(image.data);
    return w.Take();
}

std::optional<ImageResource> ParseImage(std::string_view bytes, std::string* error)
{
    return Guarded<ImageResource>(
        [&] {
            Reader r(bytes);
            r.ExpectTag("QIMG", "image");
            ImageResource image;
            const WORD format = r.U16("image");
            if (format < 1 || format > 4) throw Malformed("unknown image format " + std::to_string(format));
            image.format = static_cast<ImageFormat>(format);
            image.hotX = r.I16("image");
            image.hotY = r.I16("image");
            image.width = r.U32("image");
            image.height = r.U32("image");
            image.data = r.Rest();
            if (image.data.empty()) throw Malformed("image without data");
            if (DetectImageFormat(image.data) != image.format) throw Malformed("image data does not match its format");
            return image;
        },
        error);
}

std::optional<ImageFormat> DetectImageFormat(std::string_view bytes)
{
    if (StartsWith(bytes, "BM")) return ImageFormat::kBmp;
    if (StartsWith(bytes, std::string_view("\0\0\1\0", 4))) return ImageFormat::kIco;
    if (StartsWith(bytes, std::string_view("\0\0\2\0", 4))) return ImageFormat::kCur;
    // SVG: an <svg element after an optional byte-order mark, XML declaration,
    // comments and doctype; only the start of the file is looked at.
    std::string_view head = bytes.substr(0, 4096);
    if (StartsWith(head, "\xEF\xBB\xBF")) head.remove_prefix(3);
    while (!head.empty()) {
        const std::size_t lt = head.find('<');
        if (lt == std::string_view::npos) break;
        for (std::size_t i = 0; i < lt; ++i) {
            const char c = head[i];
            if (c != ' ' && c != '\t' && c != '\r' && c != '\n') return std::nullopt;
        }
        head.remove_prefix(lt);
        if (StartsWith(head, "<svg")) return ImageFormat::kSvg;
        std::string_view close = "?>";
        if (StartsWith(head, "<!--")) {
            close = "-->";
        } else if (StartsWith(head, "<!")) {
            close = ">";
        } else if (!StartsWith(head, "<?")) {
            return std::nullopt;
        }
        const std::size_t end = head.find(close);
        if (end == std::string_view::npos) return std::nullopt;
        head.remove_prefix(end + close.size());
    }
    return std::nullopt;
}

}  // namespace platform
