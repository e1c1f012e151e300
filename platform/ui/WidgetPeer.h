// Internal to the window layer: the widget behind a visible window.
//
// A WidgetPeer is the IWindowPeer of one window: it owns the window's outer
// widget and gives the defaults of the messages that the program's code does
// not handle (DefWindowProc). Control peers derive from it and add the
// control's messages. Every peer lives and dies on the window's thread, the
// thread of the QApplication.
//
// Input reaches the program as messages: the runtime's event filter turns
// key, mouse, focus and activation events into WM_ messages sent to the
// window they belong to, and lets the event on to the widget only when the
// window's handler let the message through to its default (so a subclass
// can filter characters, for instance). Painting of windows whose code draws
// (WM_PAINT handlers, owner drawing, client DCs) goes through a backing image.
#pragma once

#include "platform/core/WindowPeer.h"
#include "platform/ui/WindowApi.h"

#include <QHeaderView>
#include <QImage>
#include <QPalette>
#include <QObject>
#include <QPointer>
#include <QRegion>
#include <QWidget>

#include <memory>
#include <mutex>
#include <string_view>
#include <vector>

class QScreen;

namespace platform::ui {

// The image that DCs of a window draw into; DCs of other threads may hold it.
struct BackingStore {
    std::mutex mutex;
    std::shared_ptr<QImage> image;
    QPointer<QWidget> widget;
};

class WidgetPeer : public QObject, public IWindowPeer {
public:
    WidgetPeer(HWND hwnd, const CREATESTRUCTW& cs);
    ~WidgetPeer() override;
    WidgetPeer(const WidgetPeer&) = delete;
    // The class it was created with, for GetClassName.
    const std::u16string& ClassName() const { return m_className; }
    WidgetPeer& operator=(const WidgetPeer&) = delete;

    // The peer of a window of the calling thread, or null.
    static WidgetPeer* Of(HWND hwnd);
    // The window a widget belongs to: its own, or the nearest parent's.
    static WidgetPeer* FromWidget(const QObject* object);

    HWND Handle() const { return m_hwnd; }
    QWidget* Widget() const { return m_widget; }
    // The widget that carries the window's frame: its own widget, or the
    // sub-window around an MDI child. Showing, placing, minimising and
    // maximising go to it.
    virtual QWidget* FrameWidget() const { return m_widget; }
    // The frame's restored geometry (in its parent) while it is minimised or
    // maximised, for children whose frame is another widget.
    virtual QRect NormalFrameGeometry() const { return FrameWidget() ? FrameWidget()->geometry() : QRect(); }
    DWORD Style() const;
    DWORD ExStyle() const;
    int Id() const;
    HWND ParentHandle() const;
    bool IsChildWindow() const;

    // Children in z-order (creation order unless moved): the tab order.
    const std::vector<HWND>& Children() const { return m_children; }
    void PlaceChild(HWND child, HWND insertAfter);

    bool DefaultProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) final;

    // ---- For control peers.
    virtual QString Text() const;
    virtual void SetText(const QString& text);
    virtual UINT DialogCode(const MSG* msg) const;
    // Where the keyboard focus goes when the window is focused.
    virtual QWidget* FocusWidget() const { return m_widget; }
    // The control's own answers; true when it handled the message.
    virtual bool ControlMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // The WM_CTLCOLOR... message asked before painting (0: none).
    virtual UINT CtlColorMessage() const { return 0; }
    // The colours the parent chose; back is CLR_INVALID for "leave it".
    virtual void ApplyColors(COLORREF text, COLORREF back, bool transparent);
    // Owner-drawn controls paint through WM_DRAWITEM.
    virtual bool IsOwnerDrawn() const { return false; }
    virtual void FillDrawItem(DRAWITEMSTRUCT& item) const;
    // Sends the notifications of a focus change (EN_SETFOCUS, ...).
    virtual void FocusChanged(bool gained);
    // Asks the parent for the colours (WM_CTLCOLOR...) and applies them.
    void AskColors();
    // Called after the window is created and its object exists.
    virtual void Created() {}

    // WM_COMMAND to the parent with this control's id.
    LRESULT NotifyCommand(WORD code);
    // WM_NOTIFY to the parent; fills in the header's sender.
    LRESULT NotifyParent(NMHDR& header, UINT code);

    HFONT Font() const { return m_font; }
    void SetFont(HFONT font, bool redraw);

    // Painting through the backing image.
    bool PaintsItself() const;
    std::shared_ptr<BackingStore> Backing() const { return m_backing; }
    void InvalidateClient(const QRect& rect, bool erase);
    // Runs the program's painting for an update; called from the paint event.
    void PaintNow(QWidget* target, const QRegion& exposed);
    void DrawnOutsidePaint(const QRect& rect);
    bool InPaint() const { return m_inPaint; }
    const QRect& PaintRect() const { return m_paintRect; }
    bool EraseNeeded() const { return m_eraseNeeded; }

    // Size and position bookkeeping, so WM_SIZE and WM_MOVE come once per change.
    void SizeChanged();
    void PositionChanged();

    // A top-level window that its code moved (a place of its own, not the
    // one its template or creation gave).
    bool m_placedByCode = false;
    // The window manager's frame around the window in its normal state.
    QMargins m_normalMargins;
    // A placement's frame size given while the frame around the window was
    // not known yet (before it is first shown): the client is fitted to it
    // once the frame is there.
    QSize m_pendingFrameSize;
    void FitPendingFrame();

    // Modal loops of this window.
    bool m_continueModal = false;
    int m_modalResult = -1;
    bool m_inModalLoop = false;
    // Times the modal loop found its queue empty (the tests' sign that the
    // window waits for input rather than works inside a handler).
    unsigned m_modalIdlePasses = 0;

    // Input: the default of a message of the event being routed was reached.
    void MarkDefaultReached(UINT message, WPARAM wParam);
    // The default of F1 alone: WM_HELP on this window, which a child passes
    // to its parent.
    void AskForHelp();
    // The default of WM_CHAR: the typed key goes on to the widget; any other
    // character is typed into it.
    void AcceptCharacter(UINT message, WPARAM ch);

protected:
    // Gives the peer its widget (after the constructor): geometry, text,
    // enabled and visible from the creation record.
    void Attach(QWidget* widget, const CREATESTRUCTW& cs);
    // Takes a widget that another peer owns (a list view's header): the
    // window shows it and never deletes it.
    void Adopt(QWidget* widget);
    // The colour of the window's background (dialogs ask WM_CTLCOLORDLG).
    virtual void EraseBackground(HDC dc, const QRect& rect);
    virtual bool CommonMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    HWND m_hwnd;
    QPointer<QWidget> m_widget;
    HFONT m_font;
    QString m_text;
    std::u16string m_className;
    std::vector<HWND> m_children;
    std::shared_ptr<BackingStore> m_backing;
    QRegion m_invalid;
    bool m_eraseNeeded = true;
    bool m_inPaint = false;
    QRect m_paintRect;
    QSize m_lastSize{-1, -1};
    QPoint m_lastPos{INT32_MIN, INT32_MIN};
    bool m_redraw = true;
    // Windows of the program (dialogs, custom windows) repaint what was
    // invalidated; controls that draw themselves repaint whole on every
    // update the toolkit asks for (pressed, hovered, focused...).
    bool m_programWindow = false;
    bool m_ownsWidget = true;
};

// A widget of the program's own windows (dialogs, custom windows); it paints
// nothing itself: its window's code does, through the backing image.
class WindowWidget : public QWidget {
public:
    explicit WindowWidget(QWidget* parent, Qt::WindowFlags flags = {});

protected:
    void paintEvent(QPaintEvent* event) override;
};

// The object the window layer gives a control that the program has not
// bound to one of its own (GetDlgItem hands it out): of the control's class,
// so that the program may take it as a CButton, CListCtrl, ...; it goes with
// the window, and SubclassWindow replaces it.
class StandIn {
public:
    virtual ~StandIn() = default;
    // Deleted with its window; false while it is being created, so that a
    // failed creation leaves it to its maker.
    bool m_ownedByWindow = true;
};

template <class Control>
class StandInControl final : public Control, public StandIn {
public:
    void PostNcDestroy() override
    {
        if (m_ownedByWindow) delete this;
    }
};

using ControlWnd = StandInControl<CWnd>;
using StandInMaker = CWnd* (*)();

template <class Control>
CWnd* NewStandIn()
{
    return new StandInControl<Control>;
}

// Control classes: the peer of a window of the class name (compared without
// case) and its stand-in object. Unknown classes get a plain window.
using PeerMaker = std::unique_ptr<WidgetPeer> (*)(HWND hwnd, const CREATESTRUCTW& cs, QWidget* parent);
bool RegisterWindowClass(std::u16string_view className, PeerMaker maker, StandInMaker standIn = &NewStandIn<CWnd>);
PeerMaker FindWindowClass(std::u16string_view className);
// A stand-in for a control of the class (not yet attached).
CWnd* MakeStandIn(std::u16string_view className);
bool IsStandIn(CWnd* wnd);
// Detaches and deletes a stand-in; other objects are left alone.
void DeleteStandIn(CWnd* wnd);
// Creates a control with a stand-in of its class; null when it cannot.
CWnd* CreateStandIn(DWORD exStyle, std::u16string_view className, LPCWSTR text, DWORD style, const RECT& rect,
                    CWnd* parent, UINT id, LPVOID param = nullptr);

// Makes a peer for a window that was created hidden and is shown now.
std::unique_ptr<WidgetPeer> MakeLatePeer(HWND hwnd);

// The widget of a window of this thread, or null.
QWidget* WidgetOf(HWND hwnd);
// The font of a window as a QFont (the default GUI font when none was set).
QFont QFontOf(HFONT font);
QString ToQString(LPCWSTR text, int length = -1);
QString ToQString(const CString& text);
CString ToCString(const QString& text);
// Menu-style text: "&x" marks a mnemonic, "&&" is an ampersand.
QString WithoutMnemonics(const QString& text);
QColor ToQColor(COLORREF color);
// Sets a colour of the palette. A control disabled itself shows its text in
// the system's grey, whatever colour the parent chose; one that is only
// inside a disabled window (an owner under a modal dialog, a wait window)
// keeps its colours, as the system draws it.
void SetEnabledColor(QPalette& palette, QPalette::ColorRole role, const QColor& color, bool ownDisabled);
COLORREF ToColorRef(const QColor& color);
// True on the thread that runs the toolkit.
bool OnUiThread();

// True when windows go to a display with a window system (not offscreen).
bool OnRealDisplay();
// Keeps the program's posted messages queued for the scope (the toolkit's
// own events still run).
class HoldProgramMessages {
public:
    HoldProgramMessages();
    ~HoldProgramMessages();
    HoldProgramMessages(const HoldProgramMessages&) = delete;
    HoldProgramMessages& operator=(const HoldProgramMessages&) = delete;
};
// After a top-level window was shown: waits, bounded, until the display
// shows it painted and its window manager's frame is known, so that the
// show is complete when the call returns and frame rectangles are true.
void WaitUntilOnScreen(QWidget* window);
// Moves a shown top-level window so that its frame lies on the screen that
// holds most of it (the primary screen when none does).
void KeepOnScreen(QWidget* window);
// A horizontal header whose part after the last column is drawn as an empty
// column up to its right edge (headers of list views and header controls).
QHeaderView* NewFilledHeader(QWidget* parent);
// Gives each label of the window's children whose text has a mnemonic the
// control after it (the next tab stop): the letter is underlined and Alt with
// it focuses that control.
void LinkLabelMnemonics(HWND parent);
// The window-manager hints of a top-level window from its styles: frame and
// title only with a caption, the close button with a system menu, minimise
// and maximise buttons only with their boxes. kind is Qt::Window or
// Qt::Dialog; a tool window is a Qt::Tool.
Qt::WindowFlags TopLevelFlags(DWORD style, DWORD exStyle, Qt::WindowType kind);
// A framed top-level window that the user cannot size: no thick frame and no
// maximise box. Its size changes only from code.
bool IsFixedSizeWindow(DWORD style);
// The screen area (without panels) that holds most of the rectangle.
// The screen that shows most of rect (null when none shows any of it).
QScreen* ScreenShowing(const QRect& rect);
QRect ScreenAreaFor(const QRect& rect);

}  // namespace platform::ui
