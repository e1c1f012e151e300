#include "platform/ui/ResourceImages.h"

#include "platform/core/ResourceModule.h"
#include "platform/ui/ImageFile.h"
#include "platform/ui/ResourceTemplates.h"
#include "platform/ui/WidgetPeer.h"
#include "platform/ui/WindowSurface.h"

#include <QApplication>
#include <QCursor>
#include <QPainter>
#include <QStyle>
#include <QSvgRenderer>

#include <map>
#include <mutex>
#include <string>
#include <tuple>

namespace {

constexpr WORD kFirstSystemId = 32512;
constexpr WORD kLastSystemId = 32651;
constexpr int kIconSize = 32;
constexpr int kMaxImageSide = 4096;

struct CursorTable {
    std::mutex mutex;
    std::map<std::uint64_t, QCursor> cursors;
    std::uint32_t next = 1;
    HCURSOR current;
};

CursorTable& Cursors()
{
    static auto* table = new CursorTable;
    return *table;
}

HCURSOR AddCursor(const QCursor& cursor)
{
    CursorTable& t = Cursors();
    std::lock_guard lock(t.mutex);
    const HCURSOR h = HCURSOR::Make(t.next++, 1);
    t.cursors[h.Value()] = cursor;
    return h;
}

using SharedKey = std::tuple<std::uint64_t, UINT, std::u16string, int, int>;

struct SharedImages {
    std::mutex mutex;
    std::map<SharedKey, std::uint64_t> images;
};

SharedImages& Shared()
{
    static auto* shared = new SharedImages;
    return *shared;
}

bool IsSystemId(HINSTANCE instance, LPCWSTR name)
{
    if (instance || !IS_INTRESOURCE(name)) return false;
    const WORD id = static_cast<WORD>(reinterpret_cast<std::uintptr_t>(name));
    return id >= kFirstSystemId && id <= kLastSystemId;
}

QImage Rasterise(const platform::ImageResource& image, int cx, int cy)
{
    if (cx <= 0 || cy <= 0 || cx > kMaxImageSide || cy > kMaxImageSide) return QImage();
    QSvgRenderer renderer(QByteArray(image.data.data(), static_cast<qsizetype>(image.data.size())));
    if (!renderer.isValid()) return QImage();
    QImage out(cx, cy, QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter painter(&out);
    renderer.render(&painter, QRectF(0, 0, cx, cy));
    painter.end();
    return out.convertToFormat(QImage::Format_ARGB32);
}

QImage SystemIconImage(WORD id, int size)
{
    if (!platform::ui::OnUiThread()) return QImage();
    QStyle::StandardPixmap which = QStyle::SP_ComputerIcon;
    switch (id) {
    case 32513: which = QStyle::SP_MessageBoxCritical; break;
    case 32514: which = QStyle::SP_MessageBoxQuestion; break;
    case 32515: which = QStyle::SP_MessageBoxWarning; break;
    case 32516: which = QStyle::SP_MessageBoxInformation; break;
    default: break;
    }
    return QApplication::style()->standardIcon(which).pixmap(size, size).toImage();
}

Qt::CursorShape SystemCursorShape(WORD id)
{
    switch (id) {
    case 32513: return Qt::IBeamCursor;
    case 32514: return Qt::WaitCursor;
    case 32515: return Qt::CrossCursor;
    case 32516: return Qt::UpArrowCursor;
    case 32642: return Qt::SizeFDiagCursor;
    case 32643: return Qt::SizeBDiagCursor;
    case 32644: return Qt::SizeHorCursor;
    case 32645: return Qt::SizeVerCursor;
    case 32646: return Qt::SizeAllCursor;
    case 32648: return Qt::ForbiddenCursor;
    case 32649: return Qt::PointingHandCursor;
    case 32650: return Qt::BusyCursor;
    case 32651: return Qt::WhatsThisCursor;
    default: return Qt::ArrowCursor;
    }
}

std::uint64_t LoadFresh(HINSTANCE instance, LPCWSTR name, UINT type, int cx, int cy, UINT flags)
{
    if (type != IMAGE_BITMAP && type != IMAGE_ICON && type != IMAGE_CURSOR) return 0;
    const bool defaultSize = (flags & LR_DEFAULTSIZE) != 0;
    if (type != IMAGE_BITMAP) {
        if (cx <= 0 || defaultSize) cx = kIconSize;
        if (cy <= 0 || defaultSize) cy = kIconSize;
    }
    if (flags & LR_LOADFROMFILE) {
        if (!name || IS_INTRESOURCE(name)) return 0;
        if (type == IMAGE_BITMAP) return platform::LoadBitmapFile(CString(name), (flags & LR_CREATEDIBSECTION) != 0).Value();
        if (type == IMAGE_ICON) return platform::LoadIconFile(CString(name), cx, cy).Value();
        return 0;
    }
    if (IsSystemId(instance, name)) {
        const WORD id = static_cast<WORD>(reinterpret_cast<std::uintptr_t>(name));
        if (type == IMAGE_CURSOR) return AddCursor(QCursor(SystemCursorShape(id))).Value();
        const QImage image = SystemIconImage(id, cx > 0 ? cx : kIconSize);
        if (image.isNull()) return 0;
        return type == IMAGE_ICON ? platform::IconFromImage(image).Value() : platform::BitmapFromImage(image, false).Value();
    }
    const WORD resourceType = type == IMAGE_BITMAP ? kRtBitmap : type == IMAGE_ICON ? kRtGroupIcon : kRtGroupCursor;
    const platform::ResourceKey key(name);
    const std::optional<std::string_view> bytes = instance ? platform::FindResourceBytes(instance, resourceType, key)
                                                           : platform::FindResourceBytes(resourceType, key);
    if (!bytes) return 0;
    const std::optional<platform::ImageResource> image = platform::ParseImage(*bytes);
    if (!image) return 0;
    if (type == IMAGE_BITMAP) {
        if (image->format == platform::ImageFormat::kBmp) {
            return platform::LoadBitmapFromBytes(image->data, (flags & LR_CREATEDIBSECTION) != 0).Value();
        }
        if (image->format != platform::ImageFormat::kSvg) return 0;
        const int w = cx > 0 ? cx : static_cast<int>(image->width);
        const int h = cy > 0 ? cy : static_cast<int>(image->height);
        const QImage pixels = Rasterise(*image, w, h);
        return pixels.isNull() ? 0 : platform::BitmapFromImage(pixels, (flags & LR_CREATEDIBSECTION) != 0).Value();
    }
    QImage pixels;
    if (image->format == platform::ImageFormat::kSvg) {
        pixels = Rasterise(*image, cx, cy);
    } else if (image->format == platform::ImageFormat::kIco || image->format == platform::ImageFormat::kCur) {
        const HICON icon = platform::LoadIconFromBytes(image->data, cx, cy);
        if (type == IMAGE_ICON) return icon.Value();
        pixels = platform::ImageFromIcon(icon);
        ::DestroyIcon(icon);
    }
    if (pixels.isNull()) return 0;
    if (type == IMAGE_ICON) return platform::IconFromImage(pixels).Value();
    // Cursors keep their hot spot, scaled with the picture.
    const int hotX = image->width ? image->hotX * cx / static_cast<int>(image->width) : 0;
    const int hotY = image->height ? image->hotY * cy / static_cast<int>(image->height) : 0;
    return AddCursor(QCursor(QPixmap::fromImage(pixels), hotX, hotY)).Value();
}

bool StillValid(UINT type, std::uint64_t value)
{
    if (type == IMAGE_ICON) {
        ICONINFO info;
        const bool ok = ::GetIconInfo(HICON::FromValue(value), &info) != FALSE;
        if (ok) {
            if (info.hbmColor) ::DeleteObject(info.hbmColor);
            if (info.hbmMask) ::DeleteObject(info.hbmMask);
        }
        return ok;
    }
    if (type == IMAGE_BITMAP) return ::GetObjectType(HGDIOBJ::FromValue(value)) != 0;
    CursorTable& t = Cursors();
    std::lock_guard lock(t.mutex);
    return t.cursors.count(value) != 0;
}

}  // namespace

ImageHandle LoadImageW(HINSTANCE instance, LPCWSTR name, UINT type, int cx, int cy, UINT flags)
{
    if (!name) return ImageHandle();
    if (!(flags & LR_SHARED)) return ImageHandle(LoadFresh(instance, name, type, cx, cy, flags));
    const platform::ResourceKey key(name);
    std::u16string nameKey = key.Name();
    if (key.IsNumber()) {
        nameKey = u"#";
        for (char c : std::to_string(key.Number())) nameKey.push_back(static_cast<char16_t>(c));
    }
    const std::uint64_t module = instance ? instance.Value() : AfxGetResourceHandle().Value();
    const SharedKey shared{module, type, nameKey, cx, cy};
    SharedImages& s = Shared();
    {
        std::lock_guard lock(s.mutex);
        const auto it = s.images.find(shared);
        if (it != s.images.end() && StillValid(type, it->second)) return ImageHandle(it->second);
    }
    const std::uint64_t value = LoadFresh(instance, name, type, cx, cy, flags);
    if (value) {
        std::lock_guard lock(s.mutex);
        s.images[shared] = value;
    }
    return ImageHandle(value);
}

HICON LoadIconW(HINSTANCE instance, LPCWSTR name) { return LoadImageW(instance, name, IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED); }

HBITMAP LoadBitmapW(HINSTANCE instance, LPCWSTR name) { return LoadImageW(instance, name, IMAGE_BITMAP, 0, 0, 0); }

HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name) { return LoadImageW(instance, name, IMAGE_CURSOR, 0, 0, LR_SHARED); }

BOOL DestroyCursor(HCURSOR cursor)
{
    CursorTable& t = Cursors();
    std::lock_guard lock(t.mutex);
    return t.cursors.erase(cursor.Value()) ? TRUE : FALSE;
}

HCURSOR SetCursor(HCURSOR cursor)
{
    CursorTable& t = Cursors();
    QCursor shape(Qt::ArrowCursor);
    HCURSOR previous;
    {
        std::lock_guard lock(t.mutex);
        previous = t.current;
        t.current = cursor;
        const auto it = t.cursors.find(cursor.Value());
        if (it != t.cursors.end()) shape = it->second;
    }
    if (platform::ui::OnUiThread()) {
        QWidget* under = QWidget::mouseGrabber();
        if (!under) under = QApplication::widgetAt(QCursor::pos());
        if (under) {
            if (cursor) {
                under->setCursor(shape);
            } else {
                under->setCursor(Qt::BlankCursor);
            }
        }
    }
    return previous;
}

HCURSOR GetCursor()
{
    CursorTable& t = Cursors();
    std::lock_guard lock(t.mutex);
    return t.current;
}
