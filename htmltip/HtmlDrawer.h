// CHtmlDrawer lays out and draws the tooltip markup: text runs in styles from
// a style sheet, line breaks, tabs, rules, tables, images, texts from string
// resources and hyperlinks. It works in two passes over the same code: the
// measure pass (PrepareOutput) finds the size and records line and table
// geometry; the draw pass (DrawPreparedOutput) paints into a rectangle from
// those records and records where each hyperlink was drawn.
//
// The markup never fails: unknown tags, attributes and properties are ignored
// and unreadable values keep the current value.
#pragma once

#include "htmltip/DcMarkupCanvas.h"
#include "htmltip/DrawManager.h"
#include "htmltip/HtmlServices.h"
#include "htmltip/HtmlStyle.h"
#include "htmltip/HtmlStyleParser.h"
#include "htmltip/HtmlStyleSheet.h"
#include "htmltip/MarkupCanvas.h"
#include "htmltip/MarkupTokenizer.h"
#include "htmltip/MarkupVocabulary.h"

#include "platform/core/CString.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace htmltip {

struct HyperlinkArea {
    RECT rect{};
    // kLinkHref or kLinkMessage (kLinkNone for an "a" with neither).
    int kind = kLinkNone;
    CString text;
    int number = 0;
};

struct LineRecord {
    int width = 0;
    // Largest font ascent on the line, and largest height minus ascent.
    int ascent = 0;
    int descent = 0;
    // Percentage of the available width added to the line width (rules).
    int percent = 0;
    int align = kAlignLeft;
    int blanks = 0;
    // Set when wrapping ended the line.
    int wrapped = 0;
};

struct TableCellRecord {
    int row = 0;
    int column = 0;
    int rowSpan = 1;
    int columnSpan = 1;
    int contentWidth = 0;
    int contentHeight = 0;
    int fullWidth = 0;
    int fullHeight = 0;
    bool fixed = false;
};

struct TableRecord {
    std::vector<int> columnWidths;
    std::vector<int> rowHeights;
    std::vector<char> fixedColumns;
    // Placed cells in the order of the markup.
    std::vector<TableCellRecord> cells;
    // Measured size, the border allowance included.
    int width = 0;
    int height = 0;
};

struct AnimationRecord {
    int frame = 0;
    int frameCount = 0;
    int tick = 0;
    int ticksPerFrame = 0;
};

// No hyperlink is hovered.
inline constexpr int kNoHoveredLink = -2;
// Tables nested deeper than this are left out, so no markup can exhaust the stack.
inline constexpr int kMaxTableDepth = 32;
// A table has at most this many columns, however its cells span.
inline constexpr int kMaxTableColumns = 256;

}  // namespace htmltip

class CHtmlDrawer {
public:
    CHtmlDrawer();
    virtual ~CHtmlDrawer();
    CHtmlDrawer(const CHtmlDrawer&) = delete;
    CHtmlDrawer& operator=(const CHtmlDrawer&) = delete;

    // Platform services, not owned. By default strings and images come from
    // the modules' resources and from files, callbacks are sent as messages
    // and links open with the desktop's handler. Resources are set before a
    // resource module, which they free.
    void SetResources(htmltip::IHtmlResources* resources);
    void SetWindowServices(htmltip::IHtmlWindowServices* services) { m_windowServices = services; }
    void SetLinkOpener(htmltip::IHtmlLinkOpener* opener) { m_linkOpener = opener; }

    // Style sheet. A null text installs the default sheet.
    void SetCssStyles(LPCTSTR styles);
    // The text of a string resource: of the module file (loaded for the read)
    // or, without one, of the drawer's resource module.
    void SetCssStyles(UINT resourceId, LPCTSTR moduleFileName = nullptr);
    const CString& GetCssStyles() const { return m_styleSheet.GetText(); }
    std::optional<CString> GetStyle(LPCTSTR selector) const;
    void SetStyle(LPCTSTR selector, LPCTSTR declarations);
    void RemoveStyle(LPCTSTR selector);
    // Off: every colour is the disabled colour and backgrounds are transparent.
    void SetColorMode(BOOL colorMode) { m_colorMode = colorMode != FALSE; }
    void SetDisabledColor(COLORREF color) { m_disabledColor = color; }

    // Layout options.
    void SetMaxWidth(int width) { m_maxWidth = width > 0 ? width : 0; }
    int GetMaxWidth() const { return m_maxWidth; }
    void SetTabSize(int size) { m_tabSize = size; }
    int GetTabSize() const { return m_tabSize; }
    void SetNewLineAsBreak(BOOL newLineAsBreak) { m_newLineAsBreak = newLineAsBreak != FALSE; }

    // Prepares and measures the text; gives its size, both values plus 1, or
    // 0 by 0 (and forgets the text) when it takes no room.
    SIZE PrepareOutput(htmltip::IMarkupCanvas& canvas, const CString& text);
    // Draws the prepared text in the rectangle; nothing without a text.
    void DrawPreparedOutput(htmltip::IMarkupCanvas& canvas, const RECT& rect);
    // Prepares and draws the text with its top-left corner at the point.
    SIZE DrawHtml(htmltip::IMarkupCanvas& canvas, const CString& text, POINT point);
    // The same on a device context, through the embedded drawing manager.
    SIZE PrepareOutput(CDC* dc, const CString& text);
    void DrawPreparedOutput(CDC* dc, const RECT& rect);
    SIZE DrawHtml(CDC* dc, const CString& text, POINT point);
    // Fills, effects, frames, rules and images go through this manager.
    CDrawManager& GetDrawManager() { return m_drawManager; }

    // Images.
    void SetImageShadow(int offsetX, int offsetY, int darkness = 50, BOOL gradient = TRUE, int blurX = 7,
                        int blurY = 7);
    // The image list of "ilst" tags without a source: cells of cx by cy from a
    // horizontal strip, masked by the colour. A null strip leaves no list.
    void SetImageList(std::shared_ptr<htmltip::IMarkupImage> strip, int cx, int cy, int count, COLORREF mask);
    void SetImageList(UINT bitmapId, int cx, int cy, int count, COLORREF mask);

    // The module whose resources "iddll" reads. By file name it is loaded
    // (from the program folder only) and owned; by handle only used.
    BOOL SetResourceModule(LPCTSTR moduleFileName, DWORD flags = 0);
    void SetResourceModule(HMODULE module);
    HMODULE GetResourceModule() const { return m_module; }

    // Callbacks to the owner window; a null window turns one off.
    void SetCallbackRepaint(HWND window, UINT message, LPARAM parameter);
    void SetCallbackHyperlink(HWND window, UINT message, LPARAM parameter);

    // Mouse and timer events of the owner, in the coordinates of the last draw.
    BOOL OnSetCursor(POINT point);
    void OnLButtonDown(POINT point);
    // True when an animated image changed frame.
    BOOL OnTimer();
    int GoToUrl(const CString& target, int showCommand);
    // Line number line (from 0, lines separated by line feeds) of a string
    // resource of the program; empty when there is none.
    CString GetStringLine(UINT resourceId, int line);

    // The markup's words.
    const htmltip::MarkupVocabulary& Vocabulary() const { return m_vocabulary; }
    // A colour name, or with the colour mode off the disabled colour.
    COLORREF LookupColor(std::u16string_view name, COLORREF fallback) const;
    COLORREF ParseColor(std::u16string_view text, COLORREF fallback) const;

    // Records of the last passes.
    const std::vector<htmltip::HyperlinkArea>& GetHyperlinkAreas() const { return m_areas; }
    const std::vector<htmltip::LineRecord>& GetLineRecords() const { return m_lines; }
    const std::vector<htmltip::TableRecord>& GetTableRecords() const { return m_tables; }
    const std::vector<htmltip::AnimationRecord>& GetAnimations() const { return m_animations; }
    int GetHoveredLink() const { return m_hoveredLink; }
    const std::u16string& GetPreparedText() const { return m_text; }

private:
    struct StackEntry {
        HtmlStyle style;
        int link;
    };
    // What a piece of markup restores when it ends, however its tags nest.
    struct Scope {
        HtmlStyle style;
        int link;
        std::size_t depth;
    };
    // Lines that one run of text wrote in the measure pass.
    struct PieceRecord {
        std::size_t firstLine = 0;
        std::size_t lineCount = 0;
    };
    // The area a piece of markup is laid out in; right is the wrapping limit.
    struct Area {
        int left = 0;
        int top = 0;
        int right = 0;
        int Width() const { return right - left; }
    };
    struct ImageList {
        std::shared_ptr<htmltip::IMarkupImage> strip;
        SIZE cell{};
        int count = 0;
        COLORREF mask = 0;
    };
    struct ImageShadow {
        int offsetX = 4;
        int offsetY = 4;
        int darkness = 50;
        bool gradient = true;
        int blurX = 7;
        int blurY = 7;
    };
    struct Callback {
        HWND window;
        UINT message = 0;
        LPARAM parameter = 0;
    };
    class PassUnits;
    struct ParsedTable;
    struct ImageTag;

    // Passes.
    SIZE RunPass(htmltip::IMarkupCanvas& canvas, const Area& area, bool measure);
    SIZE RenderPieces(std::u16string_view text, const Area& area, int depth);
    SIZE RenderRun(std::u16string_view text, const Area& area);
    SIZE RenderTable(std::u16string_view text, const Area& area, int depth);
    SIZE MeasureTable(const ParsedTable& table, const Area& area, const HtmlStyle& tableStyle, int inset,
                      std::size_t index, int depth);
    SIZE DrawTable(const ParsedTable& table, const Area& area, const HtmlStyle& tableStyle, int inset,
                   std::size_t index, int depth);
    // Rows and cells of a table text, from its "<table" to its "</table>".
    static ParsedTable ParseTable(std::u16string_view text);
    void PlaceCells(ParsedTable& table);
    // Opens the scope of a row or cell: its rule, then its attributes.
    void EnterTablePart(const char16_t* name, std::u16string_view parameters, bool cell);

    // Lines.
    void BeginLine();
    void EndLine(int count, bool wrapped);
    void NewLine(int count, bool wrapped);
    void MarkContent();
    int LineUsed() const { return m_x - m_lineStart; }
    bool Wrapping() const { return m_maxWidth > 0; }
    int PlaceVertically(int height, int ascent) const;

    // Content.
    void OutputRun(std::u16string_view text);
    void OutputPiece(std::u16string_view text);
    void HandleTag(const htmltip::MarkupToken& token);
    void HandleBreak(std::u16string_view parameters);
    void HandleTab(std::u16string_view parameters);
    void HandleRule(std::u16string_view parameters);
    void HandleImage(htmltip::TagKind kind, std::u16string_view parameters);
    void HandleString(std::u16string_view parameters);
    void PlaceImage(const htmltip::MarkupImageDraw& draw, SIZE space);
    void AddArea(const RECT& rect);

    // Styles.
    void ResetStyle();
    void ApplyRule(std::u16string_view selector, HtmlStyle& style);
    void ApplyFontAttributes(std::u16string_view parameters);
    void ApplySpanAttributes(std::u16string_view parameters);
    void ApplyLinkAttributes(std::u16string_view parameters);
    void ApplyTableAttributes(std::u16string_view parameters, bool cell);
    void Push();
    bool Pop(const CString& name);
    Scope SaveScope() const;
    void RestoreScope(const Scope& scope);
    void SelectFont();
    htmltip::StyleContext Context(const htmltip::SizeUnits& units) const;
    htmltip::ColorContext Colors() const;
    std::u16string Transform(std::u16string_view text) const;
    void DrawBackground(const HtmlStyle& style, const RECT& rect);

    // Resources.
    HMODULE LoadCheckedModule(LPCTSTR fileName, DWORD flags);
    CString LoadModuleString(HMODULE module, UINT id);
    std::shared_ptr<htmltip::IMarkupImage> LoadBackgroundImage(std::u16string_view text);
    void SendCallback(const Callback& callback, WPARAM wParam);
    int HitTest(POINT point) const;

    CDrawManager m_drawManager;
    // The fonts of the passes on device contexts, kept from pass to pass.
    htmltip::MarkupFontCache m_fontCache;
    htmltip::MarkupVocabulary m_vocabulary;
    htmltip::HtmlStyleSheet m_styleSheet;
    bool m_colorMode = true;
    COLORREF m_disabledColor = 0x808080;
    int m_maxWidth = 0;
    int m_tabSize = 32;
    bool m_newLineAsBreak = true;
    ImageShadow m_shadow;
    ImageList m_imageList;

    htmltip::IHtmlResources* m_resources;
    htmltip::IHtmlWindowServices* m_windowServices = nullptr;
    htmltip::IHtmlLinkOpener* m_linkOpener = nullptr;
    HMODULE m_module;
    bool m_ownsModule = false;
    Callback m_repaint;
    Callback m_hyperlink;

    // The prepared text and what its measure pass recorded.
    std::u16string m_text;
    std::vector<htmltip::LineRecord> m_lines;
    std::vector<PieceRecord> m_pieces;
    std::vector<htmltip::TableRecord> m_tables;
    std::vector<htmltip::AnimationRecord> m_animations;
    std::vector<htmltip::HyperlinkArea> m_areas;
    int m_hoveredLink = htmltip::kNoHoveredLink;

    // State of the running pass.
    htmltip::IMarkupCanvas* m_canvas = nullptr;
    bool m_measure = true;
    HtmlStyle m_style;
    int m_link = -1;
    std::vector<StackEntry> m_stack;
    htmltip::MarkupFont m_font;
    htmltip::MarkupFontMetrics m_metrics;
    std::size_t m_pieceCounter = 0;
    std::size_t m_tableCounter = 0;
    std::size_t m_animationCounter = 0;
    int m_linkCounter = 0;

    // The line being laid out.
    Area m_area;
    int m_x = 0;
    int m_y = 0;
    int m_lineStart = 0;
    int m_lineTop = 0;
    bool m_lineHasContent = false;
    htmltip::LineRecord m_line;
    PieceRecord m_piece;
    std::size_t m_lineInPiece = 0;
    int m_runWidth = 0;
    int m_justifyFree = 0;
    int m_justifySeen = 0;
};

// Size units against the font and device of the running pass.
class CHtmlDrawer::PassUnits : public htmltip::SizeUnits {
public:
    explicit PassUnits(const CHtmlDrawer& drawer) : m_drawer(drawer) {}
    int XHeight() const override;
    int CharHeight() const override;
    int LogPixelsY() const override;

private:
    const CHtmlDrawer& m_drawer;
};
