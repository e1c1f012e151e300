#include "platform/ui/Clipboard.h"

#include "platform/core/CodePage.h"
#include "platform/core/LastError.h"
#include "platform/ui/ImageFile.h"
#include "platform/ui/WindowSurface.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QThread>

#include <cstring>
#include <optional>
#include <vector>

namespace {

// Only the GUI thread touches this state (every call checks it first).
struct ClipboardState {
    bool open = false;
    HWND opener;
    // What this program placed since it last emptied the clipboard: each
    // placement publishes all of it again, so several formats live together.
    std::optional<QString> text;
    std::optional<QImage> image;
    // Data handed out by GetClipboardData, freed when the clipboard is next
    // opened or emptied.
    std::vector<HGLOBAL> blocks;
    std::vector<HBITMAP> bitmaps;
};

ClipboardState& State()
{
    static auto* state = new ClipboardState;  // lives as long as the process
    return *state;
}

QClipboard* UsableClipboard()
{
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!app || QThread::currentThread() != app->thread()) return nullptr;
    return QGuiApplication::clipboard();
}

void ReleaseHandedOut(ClipboardState& st)
{
    for (HGLOBAL b : st.blocks) platform::FreeOwnedGlobalBlock(b);
    for (HBITMAP b : st.bitmaps) DeleteObject(b);
    st.blocks.clear();
    st.bitmaps.clear();
}

bool IsText(UINT format) { return format == CF_UNICODETEXT || format == CF_TEXT; }
bool IsImage(UINT format) { return format == CF_BITMAP || format == CF_DIB; }

QString ToDesktopLineEnds(QString s) { return s.replace(QStringLiteral("\r\n"), QStringLiteral("\n")); }

QString ToProgramLineEnds(const QString& s)
{
    QString out;
    out.reserve(s.size() + s.count(u'\n'));
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == u'\n' && (i == 0 || s[i - 1] != u'\r')) out += u'\r';
        out += s[i];
    }
    return out;
}

// Text up to the first terminating zero, or the whole block without one.
std::optional<QString> TextOfBlock(UINT format, HGLOBAL block)
{
    const std::string bytes = platform::GlobalBlockBytes(block);
    if (bytes.empty()) return std::nullopt;
    if (format == CF_UNICODETEXT) {
        std::u16string text(bytes.size() / 2, u'\0');
        std::memcpy(text.data(), bytes.data(), text.size() * 2);
        text.resize(std::char_traits<char16_t>::length(text.c_str()));
        return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
    }
    const std::u16string wide = platform::ToWide(std::string_view(bytes.c_str()));
    return QString::fromUtf16(wide.data(), static_cast<qsizetype>(wide.size()));
}

// A packed DIB (header, colours, rows) read through the bitmap-file reader.
QImage ImageOfDib(HGLOBAL block)
{
    const std::string dib = platform::GlobalBlockBytes(block);
    if (dib.size() < sizeof(BITMAPINFOHEADER)) return {};
    BITMAPFILEHEADER file;
    file.bfType = 0x4D42;
    file.bfSize = static_cast<DWORD>(sizeof(file) + dib.size());
    // The reader finds the rows after the colour table when the offset says
    // so; work the offset out as the header describes it.
    BITMAPINFOHEADER h;
    std::memcpy(&h, dib.data(), sizeof(h));
    if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biSize > dib.size()) return {};
    std::size_t colors = h.biClrUsed;
    if (colors == 0 && h.biBitCount <= 8) colors = std::size_t{1} << h.biBitCount;
    std::size_t offset = sizeof(file) + h.biSize + colors * sizeof(RGBQUAD);
    if (h.biCompression == BI_BITFIELDS && h.biSize == sizeof(BITMAPINFOHEADER)) offset += 3 * sizeof(DWORD);
    if (offset >= sizeof(file) + dib.size()) return {};
    file.bfOffBits = static_cast<DWORD>(offset);
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
    bytes += dib;
    const HBITMAP bitmap = platform::LoadBitmapFromBytes(bytes, false);
    if (!bitmap) return {};
    QImage image = platform::ImageFromBitmap(bitmap);
    DeleteObject(bitmap);
    return image;
}

// A bottom-up 24-bit packed DIB: every reader takes it.
std::string DibOfImage(const QImage& source)
{
    const QImage img = source.convertToFormat(QImage::Format_RGB32);
    const int w = img.width(), h = img.height();
    const std::size_t stride = (static_cast<std::size_t>(w) * 3 + 3) & ~std::size_t{3};
    BITMAPINFOHEADER header;
    header.biWidth = w;
    header.biHeight = h;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    header.biSizeImage = static_cast<DWORD>(stride * static_cast<std::size_t>(h));
    std::string out(reinterpret_cast<const char*>(&header), sizeof(header));
    out.resize(sizeof(header) + stride * static_cast<std::size_t>(h), '\0');
    for (int y = 0; y < h; ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        char* row = out.data() + sizeof(header) + stride * static_cast<std::size_t>(h - 1 - y);
        for (int x = 0; x < w; ++x) {
            row[x * 3] = static_cast<char>(qBlue(in[x]));
            row[x * 3 + 1] = static_cast<char>(qGreen(in[x]));
            row[x * 3 + 2] = static_cast<char>(qRed(in[x]));
        }
    }
    return out;
}

void Publish(QClipboard* clipboard, const ClipboardState& st)
{
    auto* data = new QMimeData;  // the clipboard takes it
    if (st.text) data->setText(ToDesktopLineEnds(*st.text));
    if (st.image) data->setImageData(*st.image);
    clipboard->setMimeData(data);
}

}  // namespace

BOOL OpenClipboard(HWND owner)
{
    QClipboard* clipboard = UsableClipboard();
    if (!clipboard) return FALSE;
    ClipboardState& st = State();
    if (st.open) return st.opener == owner ? TRUE : FALSE;
    ReleaseHandedOut(st);
    st.open = true;
    st.opener = owner;
    return TRUE;
}

BOOL CloseClipboard()
{
    if (!UsableClipboard()) return FALSE;
    ClipboardState& st = State();
    if (!st.open) return FALSE;
    st.open = false;
    st.opener = HWND();
    return TRUE;
}

BOOL EmptyClipboard()
{
    QClipboard* clipboard = UsableClipboard();
    if (!clipboard) return FALSE;
    ClipboardState& st = State();
    if (!st.open) return FALSE;
    ReleaseHandedOut(st);
    st.text.reset();
    st.image.reset();
    clipboard->clear();
    return TRUE;
}

ClipboardData SetClipboardData(UINT format, ClipboardData data)
{
    QClipboard* clipboard = UsableClipboard();
    if (!clipboard || !data) return {};
    ClipboardState& st = State();
    if (!st.open) return {};
    if (IsText(format)) {
        const HGLOBAL block = data;
        auto text = TextOfBlock(format, block);
        if (!text) return {};
        st.text = std::move(*text);
        GlobalFree(block);
    } else if (format == CF_BITMAP) {
        const HBITMAP bitmap = data;
        QImage image = platform::ImageFromBitmap(bitmap);
        if (image.isNull()) return {};
        st.image = std::move(image);
        DeleteObject(bitmap);
    } else if (format == CF_DIB) {
        const HGLOBAL block = data;
        QImage image = ImageOfDib(block);
        if (image.isNull()) return {};
        st.image = std::move(image);
        GlobalFree(block);
    } else {
        SetLastError(ERROR_NOT_SUPPORTED);
        return {};
    }
    Publish(clipboard, st);
    return data;
}

ClipboardData GetClipboardData(UINT format)
{
    QClipboard* clipboard = UsableClipboard();
    if (!clipboard) return {};
    ClipboardState& st = State();
    if (!st.open) return {};
    const QMimeData* mime = clipboard->mimeData();
    if (!mime) return {};
    if (IsText(format)) {
        if (!mime->hasText()) return {};
        const QString text = ToProgramLineEnds(mime->text());
        std::string bytes;
        if (format == CF_UNICODETEXT) {
            bytes.assign(reinterpret_cast<const char*>(text.utf16()), static_cast<std::size_t>(text.size()) * 2);
            bytes.append(2, '\0');
        } else {
            bytes = platform::FromWide(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                                           static_cast<std::size_t>(text.size())));
            bytes.push_back('\0');
        }
        const HGLOBAL block = platform::AllocOwnedGlobalBlock(bytes);
        if (block) st.blocks.push_back(block);
        return block;
    }
    if (IsImage(format)) {
        if (!mime->hasImage()) return {};
        const QImage image = qvariant_cast<QImage>(mime->imageData());
        if (image.isNull()) return {};
        if (format == CF_BITMAP) {
            const HBITMAP bitmap = platform::BitmapFromImage(image, false);
            if (bitmap) st.bitmaps.push_back(bitmap);
            return bitmap;
        }
        const HGLOBAL block = platform::AllocOwnedGlobalBlock(DibOfImage(image));
        if (block) st.blocks.push_back(block);
        return block;
    }
    return {};
}

BOOL IsClipboardFormatAvailable(UINT format)
{
    QClipboard* clipboard = UsableClipboard();
    if (!clipboard) return FALSE;
    const QMimeData* mime = clipboard->mimeData();
    if (!mime) return FALSE;
    if (IsText(format)) return mime->hasText() ? TRUE : FALSE;
    if (IsImage(format)) return mime->hasImage() ? TRUE : FALSE;
    return FALSE;
}
