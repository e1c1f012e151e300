// Text output, formatted text, metrics and extents.
#include "platform/ui/GdiInternal.h"

#include <QFontMetrics>

#include <algorithm>
#include <cstring>

using namespace platform::gdi;

namespace {

struct TextSetup {
    std::shared_ptr<DeviceContext> dc;
    const FontInfo* font = nullptr;
};

TextSetup Setup(HDC hdc)
{
    TextSetup t;
    t.dc = LookupDc(hdc);
    if (!t.dc) return t;
    auto f = LookupFont(t.dc->state.font);
    if (!f) f = LookupFont(GetStockObject(SYSTEM_FONT));
    if (f) t.font = f->Info();
    return t;
}

QString ToQString(LPCTSTR text, int length)
{
    if (!text) return {};
    if (length < 0) length = static_cast<int>(std::char_traits<char16_t>::length(text));
    return QString::fromUtf16(text, length);
}

bool IsBreakChar(QChar c) { return c == u' '; }

// Horizontal layout of one run: each character's whole-pixel advance with
// the DC's character extra and justification, or the caller's advances. Text
// is laid out character by character (no ligatures, no kerning), so a
// string's extent is the sum of its characters' extents, as code that
// measures piece by piece expects.
struct RunLayout {
    std::vector<int> advances;  // per UTF-16 unit (0 for the low half of a pair)
    int width = 0;
};

int CharAdvance(const QFontMetrics& fm, const QString& text, qsizetype i)
{
    const bool pair = text[i].isHighSurrogate() && i + 1 < text.size();
    return pair ? fm.horizontalAdvance(text.mid(i, 2)) : fm.horizontalAdvance(text[i]);
}

int PlainWidth(const QFontMetrics& fm, const QString& text)
{
    int w = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isLowSurrogate() && i > 0 && text[i - 1].isHighSurrogate()) continue;
        w += CharAdvance(fm, text, i);
    }
    return w;
}

RunLayout Layout(const DcState& st, const FontInfo& fi, const QString& text, const INT* dx, bool justify)
{
    RunLayout lay;
    const QFontMetrics fm(fi.font);
    const int breaks = justify && st.justifyCount > 0 ? static_cast<int>(std::count_if(text.begin(), text.end(), IsBreakChar)) : 0;
    const int perBreak = breaks ? st.justifyExtra / st.justifyCount : 0;
    int remainder = breaks ? st.justifyExtra % st.justifyCount : 0;
    lay.advances.assign(static_cast<std::size_t>(text.size()), 0);
    for (qsizetype i = 0; i < text.size(); ++i) {
        int adv;
        if (text[i].isLowSurrogate() && i > 0 && text[i - 1].isHighSurrogate()) continue;
        if (dx) {
            adv = dx[i];
        } else {
            adv = CharAdvance(fm, text, i) + st.charExtra;
            if (IsBreakChar(text[i]) && st.justifyCount > 0) {
                adv += perBreak;
                if (remainder > 0) {
                    ++adv;
                    --remainder;
                }
            }
        }
        lay.advances[static_cast<std::size_t>(i)] = adv;
        lay.width += adv;
    }
    return lay;
}

void DrawRun(QPainter& p, const QString& text, const RunLayout& lay, QPointF baseline)
{
    double x = baseline.x();
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isLowSurrogate() && i > 0 && text[i - 1].isHighSurrogate()) continue;
        const bool pair = text[i].isHighSurrogate() && i + 1 < text.size();
        p.drawText(QPointF(x, baseline.y()), text.mid(i, pair ? 2 : 1));
        x += lay.advances[static_cast<std::size_t>(i)];
    }
}

// Draws one run at a reference point with the DC's alignment, colours and
// background mode. 'clip' (logical) limits the output when given.
bool OutputRun(DeviceContext& dc, const FontInfo& fi, int x, int y, const QString& text, const INT* dx, UINT align,
               const QRect* clip, bool justify, int* widthOut = nullptr)
{
    const RunLayout lay = Layout(dc.state, fi, text, dx, justify);
    if (widthOut) *widthOut = lay.width;
    if (text.isEmpty()) return true;
    const int width = lay.width;
    int ox = 0;
    if ((align & TA_CENTER) == TA_CENTER) ox = -width / 2;
    else if (align & TA_RIGHT) ox = -width;
    int oy;
    if ((align & TA_BASELINE) == TA_BASELINE) oy = 0;
    else if (align & TA_BOTTOM) oy = -fi.descent;
    else oy = fi.ascent;
    const double angle = fi.angleDegrees;
    QRect bounds;
    const QRect cell(x + ox, y + oy - fi.ascent, width, fi.height);
    if (angle != 0) {
        const int reach = width + fi.height * 2;
        bounds = QRect(x - reach, y - reach, reach * 2, reach * 2);
    } else {
        bounds = cell.adjusted(-fi.height / 2 - 2, -2, fi.height / 2 + 2, fi.lineWidth + 4);
    }
    if (clip) bounds &= *clip;
    const bool opaque = dc.state.bkMode == OPAQUE;
    const QColor textColor = ToQColor(dc.state.textColor);
    const QColor bkColor = ToQColor(dc.state.bkColor);
    return Paint(dc, bounds, [&](QPainter& p) {
        if (clip) p.setClipRect(*clip, Qt::IntersectClip);
        p.translate(x, y);
        if (angle != 0) p.rotate(-angle);
        if (opaque) p.fillRect(QRect(ox, oy - fi.ascent, width, fi.height), bkColor);
        p.setFont(fi.font);
        p.setPen(textColor);
        DrawRun(p, text, lay, QPointF(ox, oy));
    });
}

int ExpandedWidth(const QFontMetrics& fm, const QString& s, int tabWidth, bool expandTabs)
{
    if (!expandTabs || !s.contains(u'\t')) return PlainWidth(fm, s);
    int x = 0;
    const auto parts = s.split(u'\t');
    for (qsizetype i = 0; i < parts.size(); ++i) {
        x += PlainWidth(fm, parts[i]);
        if (i + 1 < parts.size()) x = tabWidth > 0 ? (x / tabWidth + 1) * tabWidth : x;
    }
    return x;
}

bool IsWide(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 0x2E80 && u <= 0x9FFF) || (u >= 0xF900 && u <= 0xFAFF) || (u >= 0xFF00 && u <= 0xFFEF) ||
           (u >= 0xAC00 && u <= 0xD7AF);
}

// Where a line may break: after blanks, and around wide (CJK) characters.
bool BreakBefore(const QString& s, qsizetype i)
{
    if (i <= 0 || i >= s.size()) return true;
    if (s[i - 1] == u' ' && s[i] != u' ') return true;
    if (s[i].isLowSurrogate()) return false;
    return IsWide(s[i]) || IsWide(s[i - 1]);
}

QString TrimRight(const QString& s)
{
    qsizetype n = s.size();
    while (n > 0 && s[n - 1] == u' ') --n;
    return s.left(n);
}

std::vector<QString> WrapParagraph(const QFontMetrics& fm, const QString& para, int maxWidth, int tabWidth,
                                   bool expandTabs, bool breakWords)
{
    std::vector<QString> lines;
    qsizetype pos = 0;
    const qsizetype n = para.size();
    if (n == 0) {
        lines.emplace_back();
        return lines;
    }
    while (pos < n) {
        qsizetype best = -1;
        for (qsizetype e = pos + 1; e <= n; ++e) {
            if (e < n && !BreakBefore(para, e)) continue;
            if (ExpandedWidth(fm, TrimRight(para.mid(pos, e - pos)), tabWidth, expandTabs) <= maxWidth) best = e;
            else break;
        }
        if (best < 0) {
            if (breakWords) {
                best = pos + 1;
                while (best < n && ExpandedWidth(fm, para.mid(pos, best + 1 - pos), tabWidth, expandTabs) <= maxWidth)
                    ++best;
                if (best < n && para[best].isLowSurrogate()) ++best;
            } else {
                // A word wider than the line stands alone on its line.
                best = pos + 1;
                while (best < n && !BreakBefore(para, best)) ++best;
            }
        }
        lines.push_back(TrimRight(para.mid(pos, best - pos)));
        pos = best;
        while (pos < n && para[pos] == u' ') ++pos;
    }
    return lines;
}

struct PrefixResult {
    QString text;
    qsizetype underline = -1;
};

PrefixResult StripPrefix(const QString& s)
{
    PrefixResult r;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == u'&' && i + 1 < s.size()) {
            ++i;
            if (s[i] != u'&' && r.underline < 0) r.underline = r.text.size();
        } else if (s[i] == u'&') {
            continue;
        }
        r.text += s[i];
    }
    return r;
}

QString Ellipsize(const QFontMetrics& fm, const QString& s, int maxWidth, UINT format)
{
    if (PlainWidth(fm, s) <= maxWidth) return s;
    const QString dots = QStringLiteral("...");
    if (format & DT_PATH_ELLIPSIS) {
        const qsizetype slash = std::max(s.lastIndexOf(u'\\'), s.lastIndexOf(u'/'));
        if (slash > 0) {
            const QString tail = s.mid(slash);
            QString head = s.left(slash);
            while (!head.isEmpty() && PlainWidth(fm, head + dots + tail) > maxWidth) head.chop(1);
            if (!head.isEmpty()) return head + dots + tail;
            return dots + tail;
        }
    }
    QString head = s;
    while (!head.isEmpty() && PlainWidth(fm, head + dots) > maxWidth) {
        if (format & DT_WORD_ELLIPSIS) {
            const qsizetype space = head.lastIndexOf(u' ');
            head = space > 0 ? head.left(space) : head.left(head.size() - 1);
        } else {
            head.chop(1);
        }
    }
    return head + dots;
}

}  // namespace

BOOL TextOut(HDC hdc, int x, int y, LPCTSTR text, int length)
{
    return ExtTextOut(hdc, x, y, 0, nullptr, text, static_cast<UINT>(std::max(length, 0)), nullptr);
}

BOOL ExtTextOut(HDC hdc, int x, int y, UINT options, const RECT* rect, LPCTSTR text, UINT length, const INT* dx)
{
    auto dc = LookupDc(hdc);
    if (!dc || (length > 0 && !text) || length > 0x7FFFFFFF) return FALSE;
    QRect clipRect;
    if (rect) clipRect = QRect(QPoint(rect->left, rect->top), QPoint(rect->right - 1, rect->bottom - 1));
    if ((options & ETO_OPAQUE) && rect && !clipRect.isEmpty()) {
        BrushObject bk;
        bk.log.lbStyle = BS_SOLID;
        bk.log.lbColor = dc->state.bkColor;
        FillSurfaceRegion(*dc, QRegion(clipRect.translated(dc->Offset())), bk);
    }
    if (length == 0) return TRUE;
    const TextSetup t = Setup(hdc);
    if (!t.font) return FALSE;
    const bool updateCp = (dc->state.textAlign & TA_UPDATECP) != 0;
    if (updateCp) {
        x = dc->state.position.x;
        y = dc->state.position.y;
    }
    const QString s = ToQString(text, static_cast<int>(length));
    int width = 0;
    const bool ok = OutputRun(*dc, *t.font, x, y, s, dx, dc->state.textAlign,
                              (options & ETO_CLIPPED) && rect ? &clipRect : nullptr, true, &width);
    if (updateCp) dc->state.position.x += width;
    return ok ? TRUE : FALSE;
}

BOOL GetTextExtentPoint32(HDC hdc, LPCTSTR text, int length, SIZE* size)
{
    if (!size || length < 0 || (length > 0 && !text)) return FALSE;
    const TextSetup t = Setup(hdc);
    if (!t.font) return FALSE;
    const RunLayout lay = Layout(t.dc->state, *t.font, ToQString(text, length), nullptr, true);
    *size = SIZE{lay.width, t.font->height};
    return TRUE;
}

BOOL GetTextMetrics(HDC hdc, TEXTMETRIC* tm)
{
    const TextSetup t = Setup(hdc);
    if (!t.font || !tm) return FALSE;
    auto f = LookupFont(t.dc->state.font);
    const LOGFONT lf = f ? f->log : LOGFONT{};
    *tm = TEXTMETRIC{};
    tm->tmHeight = t.font->height;
    tm->tmAscent = t.font->ascent;
    tm->tmDescent = t.font->descent;
    tm->tmInternalLeading = t.font->internalLeading;
    tm->tmExternalLeading = t.font->externalLeading;
    tm->tmAveCharWidth = t.font->aveCharWidth;
    tm->tmMaxCharWidth = t.font->maxCharWidth;
    tm->tmWeight = lf.lfWeight ? lf.lfWeight : FW_NORMAL;
    tm->tmDigitizedAspectX = 96;
    tm->tmDigitizedAspectY = 96;
    tm->tmFirstChar = 0x20;
    tm->tmLastChar = 0xFFFC;
    tm->tmDefaultChar = 0x1F;
    tm->tmBreakChar = 0x20;
    tm->tmItalic = lf.lfItalic;
    tm->tmUnderlined = lf.lfUnderline;
    tm->tmStruckOut = lf.lfStrikeOut;
    // The low bit set means a variable pitch font, as the system reports it.
    tm->tmPitchAndFamily = static_cast<BYTE>((QFontMetrics(t.font->font).horizontalAdvance(u'i') ==
                                                      QFontMetrics(t.font->font).horizontalAdvance(u'W')
                                                  ? 0
                                                  : 1) |
                                             0x06);
    tm->tmCharSet = lf.lfCharSet;
    return TRUE;
}

int GetTextFace(HDC hdc, int count, LPTSTR face)
{
    auto dc = LookupDc(hdc);
    if (!dc) return 0;
    auto f = LookupFont(dc->state.font);
    if (!f) return 0;
    const std::u16string_view name(f->log.lfFaceName);
    if (!face) return static_cast<int>(name.size()) + 1;
    if (count <= 0) return 0;
    const int n = std::min(static_cast<int>(name.size()), count - 1);
    std::copy_n(name.begin(), n, face);
    face[n] = 0;
    return n;
}

BOOL SetTextJustification(HDC hdc, int breakExtra, int breakCount)
{
    auto dc = LookupDc(hdc);
    if (!dc) return FALSE;
    dc->state.justifyExtra = breakCount > 0 ? breakExtra : 0;
    dc->state.justifyCount = std::max(breakCount, 0);
    return TRUE;
}

int DrawText(HDC hdc, LPCTSTR text, int length, RECT* rect, UINT format)
{
    if (!text || !rect) return 0;
    const TextSetup t = Setup(hdc);
    if (!t.font) return 0;
    DeviceContext& dc = *t.dc;
    const FontInfo& fi = *t.font;
    const QFontMetrics fm(fi.font);
    int tabChars = 8;
    if (format & DT_TABSTOP) {
        tabChars = static_cast<int>((format >> 8) & 0xFF);
        format &= ~0xFF00u;
        format |= DT_TABSTOP;
    }
    const bool expandTabs = (format & DT_EXPANDTABS) != 0;
    const int tabWidth = tabChars * std::max(1, fi.aveCharWidth);
    const bool single = (format & DT_SINGLELINE) != 0;
    const bool noPrefix = (format & DT_NOPREFIX) != 0;
    const int rectWidth = rect->right - rect->left;
    const int rectHeight = rect->bottom - rect->top;

    QString all = ToQString(text, length);
    QStringList paragraphs;
    if (single) {
        all.remove(u'\r');
        all.remove(u'\n');
        paragraphs << all;
    } else {
        all.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        all.replace(u'\r', u'\n');
        paragraphs = all.split(u'\n');
    }

    struct Line {
        QString text;
        qsizetype underline = -1;
        int width = 0;
    };
    std::vector<Line> lines;
    for (const QString& para : paragraphs) {
        PrefixResult pr = noPrefix ? PrefixResult{para, -1} : StripPrefix(para);
        std::vector<QString> pieces;
        if ((format & DT_WORDBREAK) && !single)
            pieces = WrapParagraph(fm, pr.text, std::max(rectWidth, 0), tabWidth, expandTabs,
                                   (format & DT_EDITCONTROL) != 0);
        else
            pieces.push_back(pr.text);
        qsizetype consumed = 0;
        for (QString& piece : pieces) {
            Line l;
            const qsizetype at = pr.text.indexOf(piece, consumed);
            if (pr.underline >= 0 && at >= 0 && pr.underline >= at && pr.underline < at + piece.size())
                l.underline = pr.underline - at;
            if (at >= 0) consumed = at + piece.size();
            if (format & (DT_END_ELLIPSIS | DT_PATH_ELLIPSIS | DT_WORD_ELLIPSIS)) {
                const QString shortened = Ellipsize(fm, piece, std::max(rectWidth, 0), format);
                if (shortened != piece) l.underline = -1;
                piece = shortened;
            }
            l.text = piece;
            l.width = ExpandedWidth(fm, piece, tabWidth, expandTabs);
            lines.push_back(l);
        }
    }
    if (all.isEmpty()) lines.clear();

    const int lineHeight = fi.height + ((format & DT_EXTERNALLEADING) ? fi.externalLeading : 0);
    const int total = lineHeight * static_cast<int>(lines.size());
    int maxWidth = 0;
    for (const Line& l : lines) maxWidth = std::max(maxWidth, l.width);

    if (format & DT_CALCRECT) {
        rect->right = rect->left + maxWidth;
        rect->bottom = rect->top + total;
        return total;
    }

    int y = rect->top;
    if (single) {
        if (format & DT_VCENTER) y = rect->top + (rectHeight - total) / 2;
        else if (format & DT_BOTTOM) y = rect->bottom - total;
    }
    const QRect clip(QPoint(rect->left, rect->top), QPoint(rect->right - 1, rect->bottom - 1));
    const bool clipped = !(format & DT_NOCLIP);
    if (clipped && clip.isEmpty()) return single && (format & (DT_VCENTER | DT_BOTTOM)) ? y + total - rect->top : total;
    // Formatted text is placed from the top left whatever the DC's alignment
    // and justification say.
    const DcState savedState = dc.state;
    dc.state.justifyCount = 0;
    dc.state.justifyExtra = 0;
    const UINT hide = format & DT_HIDEPREFIX;
    const bool prefixOnly = (format & DT_PREFIXONLY) != 0;
    int ly = y;
    for (const Line& l : lines) {
        int lx = rect->left;
        if (format & DT_CENTER) lx = rect->left + (rectWidth - l.width) / 2;
        else if (format & DT_RIGHT) lx = rect->right - l.width;
        if (!prefixOnly) {
            if (expandTabs && l.text.contains(u'\t')) {
                int x = 0;
                const auto parts = l.text.split(u'\t');
                for (qsizetype i = 0; i < parts.size(); ++i) {
                    int w = 0;
                    OutputRun(dc, fi, lx + x, ly, parts[i], nullptr, TA_LEFT | TA_TOP, clipped ? &clip : nullptr, false, &w);
                    x += w;
                    if (i + 1 < parts.size()) x = tabWidth > 0 ? (x / tabWidth + 1) * tabWidth : x;
                }
            } else {
                OutputRun(dc, fi, lx, ly, l.text, nullptr, TA_LEFT | TA_TOP, clipped ? &clip : nullptr, false);
            }
        }
        if (l.underline >= 0 && !hide) {
            const int ux = lx + ExpandedWidth(fm, l.text.left(l.underline), tabWidth, expandTabs);
            const int uw = PlainWidth(fm, l.text.mid(l.underline, 1));
            const int uy = ly + fi.ascent + fi.underlinePos;
            const QColor color = ToQColor(dc.state.textColor);
            QRect bar(ux, uy, uw, fi.lineWidth);
            if (clipped) bar &= clip;
            if (!bar.isEmpty()) Paint(dc, bar, [&](QPainter& p) { p.fillRect(bar, color); });
        }
        ly += lineHeight;
    }
    dc.state.justifyCount = savedState.justifyCount;
    dc.state.justifyExtra = savedState.justifyExtra;
    if (single && (format & (DT_VCENTER | DT_BOTTOM))) return y + total - rect->top;
    return total;
}

namespace {

// The next tab stop after x: the given stops (relative to 'origin'), one
// stop repeated when only one is given, or every 8 average characters.
int TabStop(int x, int origin, int positions, const INT* stops, int defaultWidth)
{
    const int rel = x - origin;
    if (positions <= 0 || !stops) return origin + (rel / defaultWidth + 1) * defaultWidth;
    if (positions == 1) {
        const int w = std::max(1, std::abs(stops[0]));
        return origin + (rel / w + 1) * w;
    }
    for (int i = 0; i < positions; ++i)
        if (std::abs(stops[i]) > rel) return origin + std::abs(stops[i]);
    return x;
}

LONG Tabbed(HDC hdc, int x, int y, LPCTSTR text, int length, int positions, const INT* stops, int origin, bool draw)
{
    const TextSetup t = Setup(hdc);
    if (!t.font || !text) return 0;
    const QFontMetrics fm(t.font->font);
    const int defaultWidth = 8 * std::max(1, t.font->aveCharWidth);
    const auto parts = ToQString(text, length).split(u'\t');
    int cx = x;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        int w = PlainWidth(fm, parts[i]);
        if (draw) OutputRun(*t.dc, *t.font, cx, y, parts[i], nullptr, t.dc->state.textAlign & ~TA_UPDATECP, nullptr, false, &w);
        cx += w;
        if (i + 1 < parts.size()) cx = TabStop(cx, origin, positions, stops, defaultWidth);
    }
    return static_cast<LONG>(MAKELONG(static_cast<WORD>(cx - x), static_cast<WORD>(t.font->height)));
}

}  // namespace

DWORD GetTabbedTextExtent(HDC hdc, LPCTSTR text, int length, int tabPositions, const INT* tabStops)
{
    return static_cast<DWORD>(Tabbed(hdc, 0, 0, text, length, tabPositions, tabStops, 0, false));
}

LONG TabbedTextOut(HDC hdc, int x, int y, LPCTSTR text, int length, int tabPositions, const INT* tabStops,
                   int tabOrigin)
{
    return Tabbed(hdc, x, y, text, length, tabPositions, tabStops, tabOrigin, true);
}
