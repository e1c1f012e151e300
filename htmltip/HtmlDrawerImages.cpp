// Images and string-resource texts of CHtmlDrawer: which source an image tag
// names, its size, effects and animation, and its place on the line.
#include "htmltip/HtmlDrawer.h"

#include "htmltip/HtmlMath.h"
#include "htmltip/ImageEffects.h"
#include "htmltip/MarkupHandleTable.h"
#include "htmltip/MarkupScanner.h"

#include <algorithm>

using namespace htmltip;

struct CHtmlDrawer::ImageTag {
    int index = 0;
    UINT idres = 0;
    UINT iddll = 0;
    std::uint32_t handle = 0;
    CString file;
    CString srcdll;
    bool useMask = false;
    COLORREF mask = 0;
    std::u16string style;
    std::u16string hotStyle;
    bool hotStyleGiven = false;
    int cx = 0;
    int cy = 0;
    std::u16string width;
    std::u16string height;
    int speed = 0;
};

namespace {

// Resource ids and handle numbers are plain numbers, not sizes.
UINT ReadId(std::u16string_view value) { return ParseUnsignedNumber(value); }

}  // namespace

void CHtmlDrawer::HandleImage(TagKind kind, std::u16string_view parameters)
{
    PassUnits units(*this);
    ImageTag tag;
    MarkupAttributeReader reader(parameters);
    MarkupAttribute attribute;
    while (reader.Next(attribute)) {
        const std::u16string& name = attribute.name;
        const std::u16string& value = attribute.value;
        if (name == u"index") {
            tag.index = ParseSizeValue(value, tag.index, false, units);
        } else if (name == u"idres") {
            tag.idres = ReadId(value);
        } else if (name == u"iddll") {
            tag.iddll = ReadId(value);
        } else if (name == u"handle") {
            tag.handle = ReadId(value);
        } else if (name == u"file") {
            tag.file = CString(value);
        } else if (name == u"srcdll") {
            tag.srcdll = CString(value);
        } else if (name == u"mask") {
            // A transparent colour is a key into the image, not a shown colour.
            tag.useMask = true;
            tag.mask = ParseColorValue(value, 0, m_vocabulary);
        } else if (name == u"style") {
            tag.style = value;
        } else if (name == u"hotstyle") {
            tag.hotStyle = value;
            tag.hotStyleGiven = true;
        } else if (name == u"cx") {
            tag.cx = ParseSizeValue(value, tag.cx, false, units);
        } else if (name == u"cy") {
            tag.cy = ParseSizeValue(value, tag.cy, false, units);
        } else if (name == u"width") {
            tag.width = value;
        } else if (name == u"height") {
            tag.height = value;
        } else if (name == u"speed") {
            tag.speed = ParseSizeValue(value, tag.speed, false, units);
        }
    }

    // The first source given is the one used.
    const MarkupImageKind imageKind = kind == TagKind::Icon ? MarkupImageKind::Icon : MarkupImageKind::Bitmap;
    const auto load = [&](HMODULE module, UINT id) -> std::shared_ptr<IMarkupImage> {
        return imageKind == MarkupImageKind::Icon ? m_resources->LoadIcon(module, id, tag.cx, tag.cy)
                                                  : m_resources->LoadBitmap(module, id);
    };
    std::shared_ptr<IMarkupImage> image;
    if (tag.idres != 0) {
        image = load(HMODULE(), tag.idres);
    } else if (!tag.file.IsEmpty()) {
        image = imageKind == MarkupImageKind::Icon ? m_resources->LoadIconFile(tag.file, tag.cx, tag.cy)
                                                   : m_resources->LoadBitmapFile(tag.file);
    } else if (tag.iddll != 0) {
        if (!tag.srcdll.IsEmpty()) {
            const HMODULE module = LoadCheckedModule(tag.srcdll, 0);
            if (module) {
                image = load(module, tag.iddll);
                m_resources->FreeModule(module);
            }
        } else if (m_module) {
            image = load(m_module, tag.iddll);
        }
    } else if (tag.handle != 0) {
        // Only what the program registered; the number is never an address.
        image = MarkupHandleTable::Instance().Find(tag.handle, imageKind);
    }

    MarkupImageDraw draw;
    draw.kind = imageKind;
    draw.useMask = tag.useMask;
    draw.maskColor = tag.mask;
    SIZE own{};
    if (kind == TagKind::ImageList && image) {
        // A horizontal strip of cells; with a speed the cells are animation frames.
        if (tag.cx <= 0 || tag.cy <= 0) return;
        const SIZE strip = image->GetSize();
        const int count = (strip.cx / tag.cx) * (strip.cy / tag.cy);
        if (count <= 0) return;
        int frame = tag.index;
        if (tag.speed > 0) {
            if (m_measure) {
                AnimationRecord animation;
                animation.frame = tag.index >= 0 && tag.index < count ? tag.index : 0;
                animation.frameCount = count;
                animation.ticksPerFrame = tag.speed;
                m_animations.push_back(animation);
            }
            const std::size_t slot = m_animationCounter++;
            if (slot < m_animations.size() && m_animations[slot].frameCount == count) frame = m_animations[slot].frame;
        }
        if (frame < 0 || frame >= count) return;
        draw.cellIndex = frame;
        draw.cellSize = SIZE{tag.cx, tag.cy};
        own = draw.cellSize;
    } else if (kind == TagKind::ImageList) {
        if (!m_imageList.strip || tag.index < 0 || tag.index >= m_imageList.count) return;
        image = m_imageList.strip;
        draw.kind = MarkupImageKind::Icon;
        draw.cellIndex = tag.index;
        draw.cellSize = m_imageList.cell;
        draw.useMask = true;
        draw.maskColor = m_imageList.mask;
        own = m_imageList.cell;
    } else {
        if (!image) return;
        own = image->GetSize();
    }
    // A missing or empty image takes no room.
    if (own.cx <= 0 || own.cy <= 0) return;
    draw.image = image.get();

    const bool hovered = m_link >= 0 && m_link == m_hoveredLink;
    const std::u16string& letters = hovered && tag.hotStyleGiven ? tag.hotStyle : tag.style;
    for (const char16_t letter : letters) {
        switch (letter) {
        case u'g':
            draw.effects |= IMAGE_EFFECT_GRAYSCALE;
            break;
        case u'd':
            draw.effects |= IMAGE_EFFECT_DARKEN;
            break;
        case u'l':
            draw.effects |= IMAGE_EFFECT_LIGHTEN;
            break;
        case u's':
            if (m_shadow.offsetX != 0 || m_shadow.offsetY != 0) {
                draw.effects |= m_shadow.gradient ? IMAGE_EFFECT_SOFT_SHADOW : IMAGE_EFFECT_SHADOW;
            }
            break;
        default:
            break;
        }
    }
    draw.shadow = (draw.effects & (IMAGE_EFFECT_SHADOW | IMAGE_EFFECT_SOFT_SHADOW)) != 0;
    draw.shadowDx = m_shadow.offsetX;
    draw.shadowDy = m_shadow.offsetY;
    draw.blurX = m_shadow.blurX;
    draw.blurY = m_shadow.blurY;
    const int grey = std::clamp(htmltip::MulDiv(255, 100 - std::max(m_shadow.darkness, 0), 100), 0, 255);
    draw.shadowColor = RGB(grey, grey, grey);

    const int width = ParseSizeValue(tag.width, own.cx, false, units);
    const int height = ParseSizeValue(tag.height, own.cy, false, units);
    if (width <= 0 || height <= 0) return;
    // The shadow falls inside the image's room, not over its neighbours.
    const SIZE space{AddCoord(width, draw.shadow ? std::max(m_shadow.offsetX, 0) : 0),
                     AddCoord(height, draw.shadow ? std::max(m_shadow.offsetY, 0) : 0)};
    draw.rect = RECT{0, 0, width, height};
    PlaceImage(draw, space);
}

void CHtmlDrawer::PlaceImage(const MarkupImageDraw& draw, SIZE space)
{
    if (Wrapping() && LineUsed() > 0 && space.cx > m_area.Width() - LineUsed()) NewLine(1, true);
    MarkContent();
    if (m_measure) {
        m_line.ascent = std::max<int>(m_line.ascent, space.cy);
        m_x = AddCoord(m_x, space.cx);
        m_line.width = std::max(m_line.width, LineUsed());
        return;
    }
    MarkupImageDraw placed = draw;
    const int y = PlaceVertically(space.cy, space.cy);
    placed.rect = RECT{m_x, y, AddCoord(m_x, draw.rect.right), AddCoord(y, draw.rect.bottom)};
    m_canvas->DrawImage(placed);
    AddArea(placed.rect);
    m_x = AddCoord(m_x, space.cx);
}

void CHtmlDrawer::HandleString(std::u16string_view parameters)
{
    UINT idres = 0;
    UINT iddll = 0;
    CString srcdll;
    MarkupAttributeReader reader(parameters);
    MarkupAttribute attribute;
    while (reader.Next(attribute)) {
        if (attribute.name == u"idres") {
            idres = ReadId(attribute.value);
        } else if (attribute.name == u"iddll") {
            iddll = ReadId(attribute.value);
        } else if (attribute.name == u"srcdll") {
            srcdll = CString(attribute.value);
        }
    }
    CString text;
    if (idres != 0) {
        text = m_resources->LoadString(HMODULE(), idres);
    } else if (iddll != 0) {
        if (!srcdll.IsEmpty()) {
            const HMODULE module = LoadCheckedModule(srcdll, kLoadModuleAsData);
            if (module) {
                text = m_resources->LoadString(module, iddll);
                m_resources->FreeModule(module);
            }
        } else {
            text = LoadModuleString(m_module, iddll);
        }
    }
    // Plain text: a "<" in it is shown, not read as a tag.
    if (!text.IsEmpty()) OutputRun(Transform(text.view()));
}

std::shared_ptr<IMarkupImage> CHtmlDrawer::LoadBackgroundImage(std::u16string_view text)
{
    if (text.size() < 6) return nullptr;
    const std::size_t colon = text.find(u':');
    if (colon == std::u16string_view::npos) return nullptr;
    const std::u16string_view key = text.substr(0, colon);
    const std::u16string_view value = text.substr(colon + 1);
    if (key == u"idres") return m_resources->LoadBitmap(HMODULE(), ReadId(value));
    if (key == u"iddll") return m_module ? m_resources->LoadBitmap(m_module, ReadId(value)) : nullptr;
    if (key == u"file") return m_resources->LoadBitmapFile(CString(value));
    return nullptr;
}
