// The passes of CHtmlDrawer: the pass driver, runs of text, lines, tags and
// the style stack.
#include "htmltip/HtmlDrawer.h"

#include "htmltip/HtmlMath.h"
#include "htmltip/MarkupScanner.h"

#include <algorithm>

using namespace htmltip;

namespace {

bool IsBreakChar(char16_t ch)
{
    switch (ch) {
    case u' ':
    case u'-':
    case u'.':
    case u',':
    case u'!':
    case u':':
    case u';':
    case u')':
    case u'}':
    case u']':
    case u'?':
        return true;
    default:
        return false;
    }
}

bool IsHighSurrogate(char16_t ch) { return ch >= 0xD800 && ch <= 0xDBFF; }

std::u16string_view TrimLeftSpaces(std::u16string_view text)
{
    const std::size_t first = text.find_first_not_of(u' ');
    return first == std::u16string_view::npos ? std::u16string_view() : text.substr(first);
}

std::u16string_view TrimRightSpaces(std::u16string_view text)
{
    const std::size_t last = text.find_last_not_of(u' ');
    return last == std::u16string_view::npos ? std::u16string_view() : text.substr(0, last + 1);
}

int CountBlanks(std::u16string_view text) { return static_cast<int>(std::count(text.begin(), text.end(), u' ')); }

// The parameter text of "br" and "t" is "=N": the count follows its first character.
std::u16string_view CountText(std::u16string_view parameters)
{
    return parameters.empty() ? parameters : parameters.substr(1);
}

}  // namespace

int CHtmlDrawer::PassUnits::XHeight() const
{
    return m_drawer.m_canvas ? m_drawer.m_canvas->GetTextExtent(m_drawer.m_font, u"x").cy : 0;
}

int CHtmlDrawer::PassUnits::CharHeight() const { return m_drawer.m_metrics.height; }

int CHtmlDrawer::PassUnits::LogPixelsY() const { return m_drawer.m_canvas ? m_drawer.m_canvas->GetLogPixelsY() : 96; }

StyleContext CHtmlDrawer::Context(const SizeUnits& units) const { return StyleContext{units, Colors()}; }

SIZE CHtmlDrawer::PrepareOutput(IMarkupCanvas& canvas, const CString& text)
{
    m_text = m_vocabulary.PrepareText(text.view(), m_newLineAsBreak);
    m_areas.clear();
    m_lines.clear();
    m_pieces.clear();
    m_tables.clear();
    m_animations.clear();
    const Area area{0, 0, m_maxWidth > 0 ? m_maxWidth : kMaxCoord};
    SIZE size = RunPass(canvas, area, true);
    if (size.cx <= 0 && size.cy <= 0) {
        m_text.clear();
        return SIZE{0, 0};
    }
    if (m_maxWidth > 0 && size.cx > m_maxWidth) size.cx = m_maxWidth;
    size.cx = std::max<LONG>(size.cx, 0) + 1;
    size.cy = std::max<LONG>(size.cy, 0) + 1;
    return size;
}

void CHtmlDrawer::DrawPreparedOutput(IMarkupCanvas& canvas, const RECT& rect)
{
    if (m_text.empty()) return;
    m_areas.clear();
    RunPass(canvas, Area{rect.left, rect.top, rect.right}, false);
}

SIZE CHtmlDrawer::DrawHtml(IMarkupCanvas& canvas, const CString& text, POINT point)
{
    const SIZE size = PrepareOutput(canvas, text);
    if (size.cx != 0 && size.cy != 0) {
        DrawPreparedOutput(canvas, RECT{point.x, point.y, AddCoord(point.x, size.cx), AddCoord(point.y, size.cy)});
    }
    return size;
}

SIZE CHtmlDrawer::RunPass(IMarkupCanvas& canvas, const Area& area, bool measure)
{
    m_canvas = &canvas;
    m_measure = measure;
    m_pieceCounter = 0;
    m_tableCounter = 0;
    m_animationCounter = 0;
    m_linkCounter = 0;
    m_stack.clear();
    ResetStyle();
    const SIZE size = RenderPieces(m_text, area, 0);
    m_stack.clear();
    m_canvas = nullptr;
    return size;
}

void CHtmlDrawer::ResetStyle()
{
    m_style = HtmlStyle();
    m_link = -1;
    // The body rule's sizes are read against the default font.
    SelectFont();
    ApplyRule(u"body", m_style);
    SelectFont();
}

SIZE CHtmlDrawer::RenderPieces(std::u16string_view text, const Area& area, int depth)
{
    SIZE total{0, 0};
    int y = area.top;
    std::size_t pos = 0;
    while (pos < text.size()) {
        // Find the next table tag the way the tokenizer reads the text, so an
        // escaped "<<table" or a "<table" inside a tag's text starts none.
        MarkupTokenizer tokenizer(text.substr(pos));
        MarkupToken token;
        std::size_t tableStart = std::u16string_view::npos;
        while (tokenizer.Next(token)) {
            if (token.hasTag && token.tagName == u"table") {
                tableStart = pos + token.tagStart;
                break;
            }
        }
        const std::size_t runEnd = tableStart == std::u16string_view::npos ? text.size() : tableStart;
        if (runEnd > pos) {
            const SIZE size = RenderRun(text.substr(pos, runEnd - pos), Area{area.left, y, area.right});
            total.cx = std::max(total.cx, size.cx);
            total.cy = AddCoord(total.cy, size.cy);
            y = AddCoord(y, size.cy);
        }
        if (tableStart == std::u16string_view::npos) break;

        // The table runs to its matching "</table>", nested tables counted.
        MarkupTokenizer tableTokens(text.substr(tableStart));
        std::size_t tableEnd = text.size();
        int nesting = 0;
        while (tableTokens.Next(token)) {
            if (!token.hasTag) continue;
            if (token.tagName == u"table") {
                ++nesting;
            } else if (token.tagName == u"/table" && --nesting == 0) {
                tableEnd = tableStart + token.tagEnd;
                break;
            }
        }
        const SIZE size = RenderTable(text.substr(tableStart, tableEnd - tableStart), Area{area.left, y, area.right},
                                      depth);
        total.cx = std::max(total.cx, size.cx);
        total.cy = AddCoord(total.cy, size.cy);
        y = AddCoord(y, size.cy);
        pos = tableEnd;
    }
    return total;
}

SIZE CHtmlDrawer::RenderRun(std::u16string_view text, const Area& area)
{
    if (m_measure) {
        m_piece = PieceRecord{m_lines.size(), 0};
    } else {
        // The draw pass reads only the lines that this run wrote when measured.
        m_piece = m_pieceCounter < m_pieces.size() ? m_pieces[m_pieceCounter] : PieceRecord{m_lines.size(), 0};
        ++m_pieceCounter;
    }
    const Scope scope = SaveScope();
    m_area = area;
    m_y = area.top;
    m_lineInPiece = 0;
    m_runWidth = 0;
    BeginLine();

    // Each run is a body of its own, so the body rule starts it afresh. The
    // body tags act around the text rather than being joined to it, so a "<"
    // at the end of the text or an unclosed tag cannot swallow them.
    MarkupToken token;
    token.hasTag = true;
    token.tagName = u"body";
    HandleTag(token);
    MarkupTokenizer tokenizer(text);
    while (tokenizer.Next(token)) {
        if (!token.run.empty()) OutputRun(Transform(token.run));
        if (token.hasTag) HandleTag(token);
    }
    token = MarkupToken();
    token.hasTag = true;
    token.tagName = u"/body";
    HandleTag(token);
    EndLine(1, false);
    RestoreScope(scope);

    if (m_measure) {
        m_pieces.push_back(m_piece);
    }
    return SIZE{m_runWidth, m_y - area.top};
}

void CHtmlDrawer::BeginLine()
{
    m_x = m_area.left;
    m_lineStart = m_area.left;
    m_lineTop = m_y;
    m_justifyFree = 0;
    m_justifySeen = 0;
    m_lineHasContent = false;
    if (m_measure) {
        m_line = LineRecord();
        return;
    }
    if (m_lineInPiece < m_piece.lineCount && m_piece.firstLine + m_lineInPiece < m_lines.size()) {
        m_line = m_lines[m_piece.firstLine + m_lineInPiece];
    } else {
        // A line the measure pass did not see (the rectangle is narrower than
        // measured): it gets the current font's height and no alignment.
        m_line = LineRecord();
        m_line.ascent = m_metrics.ascent;
        m_line.descent = m_metrics.height - m_metrics.ascent;
        m_line.align = kAlignLeft;
    }
    ++m_lineInPiece;
    const int available = m_area.Width();
    const std::int64_t used = static_cast<std::int64_t>(m_line.width) + htmltip::MulDiv(m_line.percent, available, 100);
    const int free = ClampCoord(available - used);
    if (free > 0) {
        if (m_line.align == kAlignCenter) {
            m_lineStart = AddCoord(m_area.left, free / 2);
        } else if (m_line.align == kAlignRight) {
            m_lineStart = AddCoord(m_area.left, free);
        } else if (m_line.align == kAlignJustify && m_line.wrapped && m_line.blanks > 0) {
            m_justifyFree = free;
        }
    }
    m_x = m_lineStart;
}

void CHtmlDrawer::EndLine(int count, bool wrapped)
{
    count = std::max(count, 1);
    if (m_measure) {
        if (!m_lineHasContent) m_line.align = m_style.horizontalAlign;
        if (m_line.ascent == 0) m_line.ascent = m_metrics.height;
        m_line.wrapped = wrapped ? 1 : 0;
        m_lines.push_back(m_line);
        ++m_piece.lineCount;
    }
    m_runWidth = std::max(m_runWidth, m_measure ? m_line.width : LineUsed());
    const std::int64_t lineHeight = static_cast<std::int64_t>(m_line.ascent) + m_line.descent;
    m_y = AddCoord(m_y, lineHeight * count);
}

void CHtmlDrawer::MarkContent()
{
    // The line takes the alignment in force where its content starts.
    if (m_measure && !m_lineHasContent) m_line.align = m_style.horizontalAlign;
    m_lineHasContent = true;
}

void CHtmlDrawer::NewLine(int count, bool wrapped)
{
    EndLine(count, wrapped);
    BeginLine();
}

int CHtmlDrawer::PlaceVertically(int height, int ascent) const
{
    switch (m_style.verticalAlign) {
    case kVAlignTop:
        return m_lineTop;
    case kVAlignMiddle:
        // Centred in the whole line, so a line of one font stays in its place.
        return AddCoord(m_lineTop, (static_cast<std::int64_t>(m_line.ascent) + m_line.descent - height) / 2);
    default:
        // Bottom and baseline both sit the piece on the line's baseline.
        return AddCoord(m_lineTop, static_cast<std::int64_t>(m_line.ascent) - ascent);
    }
}

std::u16string CHtmlDrawer::Transform(std::u16string_view text) const
{
    std::u16string result(text);
    switch (m_style.textTransform) {
    case kTransformUpper:
        for (char16_t& ch : result) ch = ToUpperChar(ch);
        break;
    case kTransformLower:
        for (char16_t& ch : result) ch = ToLowerChar(ch);
        break;
    case kTransformCapitalize:
        for (std::size_t i = 0; i < result.size(); ++i) {
            char16_t& ch = result[i];
            ch = ToLowerChar(ch);
            if (ch >= u'a' && ch <= u'z' && (i == 0 || result[i - 1] == u' ')) ch = static_cast<char16_t>(ch - 32);
        }
        break;
    default:
        break;
    }
    return result;
}

void CHtmlDrawer::OutputRun(std::u16string_view text)
{
    std::vector<int> extents;
    // How many characters a line is measured over; grows while lines need more.
    std::size_t window = 64;
    while (!text.empty()) {
        if (Wrapping()) {
            const int rest = m_area.Width() - LineUsed();
            // Prefix widths only as far as the room left on the line reaches,
            // so a long run costs its length, not its length for every line.
            std::size_t measured = 0;
            for (;;) {
                measured = std::min(window, text.size());
                m_canvas->GetPartialExtents(m_font, text.substr(0, measured), extents);
                extents.resize(measured, extents.empty() ? 0 : extents.back());
                if (measured == text.size() || extents.back() > rest) break;
                window *= 2;
            }
            // A measured prefix already too wide means the whole run is.
            if (measured < text.size() || m_canvas->GetTextExtent(m_font, text).cx > rest) {
                // The longest prefix ending at a break character whose text before that character fits.
                std::size_t breakAt = std::u16string_view::npos;
                for (std::size_t i = 0; i < measured; ++i) {
                    const int before = i == 0 ? 0 : extents[i - 1];
                    if (before > rest) break;
                    if (IsBreakChar(text[i])) breakAt = i;
                }
                std::u16string_view piece;
                std::u16string_view remainder = text;
                if (breakAt != std::u16string_view::npos) {
                    piece = TrimRightSpaces(text.substr(0, breakAt + 1));
                    remainder = TrimLeftSpaces(text.substr(breakAt + 1));
                } else if (LineUsed() == 0) {
                    // A word wider than the whole line is cut between characters.
                    std::size_t count = 0;
                    while (count < measured && extents[count] <= rest) ++count;
                    if (count == 0) count = 1;
                    if (count < text.size() && IsHighSurrogate(text[count - 1])) ++count;
                    piece = text.substr(0, count);
                    remainder = text.substr(count);
                }
                if (!piece.empty()) OutputPiece(piece);
                NewLine(1, true);
                text = remainder;
                continue;
            }
        }
        OutputPiece(text);
        break;
    }
}

void CHtmlDrawer::OutputPiece(std::u16string_view text)
{
    const int width = m_canvas->GetTextExtent(m_font, text).cx;
    const int blanks = CountBlanks(text);
    MarkContent();
    if (m_measure) {
        m_line.ascent = std::max(m_line.ascent, m_metrics.ascent);
        m_line.descent = std::max(m_line.descent, m_metrics.height - m_metrics.ascent);
        m_line.blanks += blanks;
        m_x = AddCoord(m_x, width);
        m_line.width = std::max(m_line.width, LineUsed());
        return;
    }
    int extra = 0;
    if (m_justifyFree > 0 && blanks > 0) {
        const std::int64_t before = std::min(m_justifySeen, m_line.blanks);
        const std::int64_t after = std::min(m_justifySeen + blanks, m_line.blanks);
        extra = static_cast<int>(m_justifyFree * after / m_line.blanks - m_justifyFree * before / m_line.blanks);
        m_justifySeen += blanks;
    }
    const int y = PlaceVertically(m_metrics.height, m_metrics.ascent);
    MarkupTextPaint paint;
    paint.font = m_font;
    // With the colour mode off even text that no rule coloured is drawn disabled.
    paint.textColor = m_colorMode ? m_style.textColor : m_disabledColor;
    paint.opaque = m_colorMode && m_style.backgroundMode == kBackgroundOpaque;
    paint.backgroundColor = m_style.backgroundColor;
    m_canvas->DrawText(paint, m_x, y, text, extra);
    const int right = AddCoord(m_x, static_cast<std::int64_t>(width) + extra);
    if (m_style.overline) {
        m_canvas->DrawLine(m_x, y, right, y, paint.textColor, kBorderSolid, m_style.weight >= 700 ? 2 : 1);
    }
    AddArea(RECT{m_x, y, right, AddCoord(y, m_metrics.height)});
    m_x = right;
}

void CHtmlDrawer::AddArea(const RECT& rect)
{
    // Areas are where the link was drawn, so hover and click find it.
    if (m_measure || m_link < 0) return;
    m_areas.push_back(HyperlinkArea{rect, m_style.linkKind, m_style.linkText, m_link});
}

void CHtmlDrawer::HandleTag(const MarkupToken& token)
{
    const TagInfo tag = m_vocabulary.LookupTag(token.tagName);
    if (tag.kind == TagKind::None) return;
    m_style.name = CString(tag.styleName);
    if (tag.styleName.empty()) {
        // Empty elements have no closing form.
        if (tag.closing) return;
        switch (tag.kind) {
        case TagKind::Break:
            HandleBreak(token.parameters);
            break;
        case TagKind::Tab:
            HandleTab(token.parameters);
            break;
        case TagKind::Rule:
            HandleRule(token.parameters);
            break;
        case TagKind::Bitmap:
        case TagKind::Icon:
        case TagKind::ImageList:
            HandleImage(tag.kind, token.parameters);
            break;
        case TagKind::String:
            HandleString(token.parameters);
            break;
        default:
            break;
        }
        return;
    }
    if (tag.closing) {
        if (Pop(m_style.name)) SelectFont();
        return;
    }
    Push();
    PassUnits units(*this);
    switch (tag.kind) {
    case TagKind::Bold:
        m_style.weight = std::min(m_style.weight * 2, 900);
        break;
    case TagKind::Italic:
        m_style.italic = !m_style.italic;
        break;
    case TagKind::Underline:
        m_style.underline = !m_style.underline;
        break;
    case TagKind::StrikeOut:
        m_style.strikeOut = !m_style.strikeOut;
        break;
    case TagKind::Font:
        ApplyFontAttributes(token.parameters);
        break;
    case TagKind::Left:
        m_style.horizontalAlign = kAlignLeft;
        break;
    case TagKind::Center:
        m_style.horizontalAlign = kAlignCenter;
        break;
    case TagKind::Right:
        m_style.horizontalAlign = kAlignRight;
        break;
    case TagKind::Justify:
        m_style.horizontalAlign = kAlignJustify;
        break;
    case TagKind::Baseline:
        m_style.verticalAlign = kVAlignBaseline;
        break;
    case TagKind::Top:
        m_style.verticalAlign = kVAlignTop;
        break;
    case TagKind::VCenter:
        m_style.verticalAlign = kVAlignMiddle;
        break;
    case TagKind::Bottom:
        m_style.verticalAlign = kVAlignBottom;
        break;
    case TagKind::NamedStyle:
        ApplyRule(tag.styleName, m_style);
        break;
    case TagKind::Span:
        ApplySpanAttributes(token.parameters);
        break;
    case TagKind::Link:
        ApplyLinkAttributes(token.parameters);
        break;
    default:
        break;
    }
    SelectFont();
}

void CHtmlDrawer::HandleBreak(std::u16string_view parameters)
{
    PassUnits units(*this);
    // Size values are bounded, and so is the advance of a break however large its count.
    const int count = ParseSizeValue(CountText(parameters), 1, false, units);
    NewLine(std::max(count, 1), false);
}

void CHtmlDrawer::HandleTab(std::u16string_view parameters)
{
    // Without a tab width there are no tab stops to move to.
    if (m_tabSize <= 0) return;
    PassUnits units(*this);
    const std::int64_t count = std::max(ParseSizeValue(CountText(parameters), 1, false, units), 1);
    const std::int64_t offset = std::max(LineUsed(), 0);
    std::int64_t target;
    if (offset % m_tabSize != 0) {
        target = (offset / m_tabSize + count) * m_tabSize;
    } else {
        target = offset + count * m_tabSize;
    }
    MarkContent();
    m_x = AddCoord(m_lineStart, target);
    if (m_measure) m_line.width = std::max(m_line.width, LineUsed());
}

void CHtmlDrawer::HandleRule(std::u16string_view parameters)
{
    PassUnits units(*this);
    const StyleContext context = Context(units);
    HtmlStyle rule = m_style;
    ApplyRule(u"hr", rule);
    int percent = 100;
    int width = 0;
    int thickness = 1;
    COLORREF color = m_colorMode ? rule.textColor : m_disabledColor;
    MarkupAttributeReader reader(parameters);
    MarkupAttribute attribute;
    while (reader.Next(attribute)) {
        const std::u16string_view value = attribute.value;
        if (attribute.name == u"width") {
            // A plain number or "N%" is a percentage; a number with a unit a width.
            const bool plainNumber =
                !value.empty() && std::all_of(value.begin(), value.end(), [](char16_t ch) { return IsAsciiDigit(ch); });
            if (!value.empty() && (value.back() == u'%' || plainNumber)) {
                bool digits = false;
                const int number = ParseDecimal(value, &digits);
                if (digits) {
                    percent = std::clamp(number, 0, 100);
                    width = 0;
                }
            } else if (!value.empty()) {
                width = ParseSizeValue(value, width, false, units);
                percent = 0;
            }
        } else if (attribute.name == u"size") {
            thickness = ParseSizeValue(value, thickness, false, units);
        } else if (attribute.name == u"color") {
            color = context.colors.PropertyValue(value, color);
        }
    }
    // A rule is a line of its own.
    if (m_lineHasContent) NewLine(1, false);
    MarkContent();
    if (m_measure) {
        m_line.percent = percent;
        m_line.width = std::max(m_line.width, width);
        m_line.ascent = std::max({m_line.ascent, m_metrics.height, thickness});
    } else {
        const int length = ClampCoord(static_cast<std::int64_t>(width) + htmltip::MulDiv(percent, m_area.Width(), 100));
        const int y = AddCoord(m_lineTop, (static_cast<std::int64_t>(m_line.ascent) + m_line.descent) / 2);
        const int style = rule.borderStyle != kBorderNone ? rule.borderStyle : kBorderSolid;
        if (length > 0 && thickness > 0) m_canvas->DrawLine(m_x, y, AddCoord(m_x, length), y, color, style, thickness);
        m_x = AddCoord(m_x, length);
    }
    NewLine(1, false);
}

// Style stack.

void CHtmlDrawer::Push() { m_stack.push_back(StackEntry{m_style, m_link}); }

bool CHtmlDrawer::Pop(const CString& name)
{
    // Only the innermost open scope can be closed.
    if (m_stack.empty() || m_stack.back().style.name != name) return false;
    m_style = std::move(m_stack.back().style);
    m_link = m_stack.back().link;
    m_stack.pop_back();
    return true;
}

CHtmlDrawer::Scope CHtmlDrawer::SaveScope() const { return Scope{m_style, m_link, m_stack.size()}; }

void CHtmlDrawer::RestoreScope(const Scope& scope)
{
    m_style = scope.style;
    m_link = scope.link;
    if (m_stack.size() > scope.depth) m_stack.resize(scope.depth);
    SelectFont();
}

void CHtmlDrawer::SelectFont()
{
    m_font.face = m_style.face;
    m_font.height = m_style.size;
    m_font.weight = m_style.weight;
    m_font.italic = m_style.italic != 0;
    m_font.underline = m_style.underline != 0;
    m_font.strikeOut = m_style.strikeOut != 0;
    m_metrics = m_canvas ? m_canvas->GetFontMetrics(m_font) : MarkupFontMetrics{m_font.height, m_font.height};
    m_metrics.height = std::clamp(m_metrics.height, 0, kMaxSizeValue);
    m_metrics.ascent = std::clamp(m_metrics.ascent, 0, m_metrics.height);
}

void CHtmlDrawer::ApplyRule(std::u16string_view selector, HtmlStyle& style)
{
    // Selectors are kept in lower case, so class names match whatever case the markup uses.
    const std::optional<std::u16string> declarations = m_styleSheet.Find(selector);
    if (!declarations) return;
    PassUnits units(*this);
    ApplyDeclarations(*declarations, style, Context(units));
}

void CHtmlDrawer::ApplyFontAttributes(std::u16string_view parameters)
{
    PassUnits units(*this);
    const StyleContext context = Context(units);
    MarkupAttributeReader reader(parameters);
    MarkupAttribute attribute;
    while (reader.Next(attribute)) {
        const std::u16string& name = attribute.name;
        const std::u16string& value = attribute.value;
        if (name == u"face") {
            if (!value.empty()) m_style.face = CString(value);
        } else if (name == u"size") {
            m_style.size = ParseSizeValue(value, m_style.size, true, units);
        } else if (name == u"color") {
            m_style.textColor = context.colors.PropertyValue(value, m_style.textColor);
        } else if (name == u"style") {
            bool on = true;
            for (const char16_t letter : value) {
                if (letter == u'+' || letter == u'-') {
                    on = letter == u'+';
                    continue;
                }
                switch (letter) {
                case u'b':
                    m_style.weight = on ? 700 : 400;
                    break;
                case u'i':
                    m_style.italic = on;
                    break;
                case u'u':
                    m_style.underline = on;
                    break;
                case u's':
                    m_style.strikeOut = on;
                    break;
                case u'o':
                    m_style.overline = on;
                    break;
                default:
                    break;
                }
                on = true;
            }
        } else if (name == u"weight") {
            ApplyProperty(u"font-weight", value, m_style, context);
        } else if (name == u"bkgnd") {
            ApplyProperty(u"background-color", value, m_style, context);
        } else if (name == u"class") {
            ApplyRule(u"." + value, m_style);
        }
    }
}

void CHtmlDrawer::ApplySpanAttributes(std::u16string_view parameters)
{
    MarkupAttributeReader reader(parameters);
    MarkupAttribute attribute;
    while (reader.Next(attribute)) {
        if (attribute.name == u"class") ApplyRule(u"." + attribute.value, m_style);
    }
}

void CHtmlDrawer::ApplyLinkAttributes(std::u16string_view parameters)
{
    MarkupAttributeReader reader(parameters);
    MarkupAttribute attribute;
    while (reader.Next(attribute)) {
        int kind = kLinkNone;
        if (attribute.name == u"href") {
            kind = kLinkHref;
        } else if (attribute.name == u"msg") {
            kind = kLinkMessage;
        } else {
            continue;
        }
        m_style.linkKind = kind;
        if (!attribute.value.empty()) m_style.linkText = CString(attribute.value);
    }
    m_link = m_linkCounter++;
    ApplyRule(m_link == m_hoveredLink ? u"a:hover" : u"a:link", m_style);
}
