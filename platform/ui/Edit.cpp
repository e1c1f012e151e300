#include "platform/ui/Edit.h"

#include "platform/ui/InputRouting.h"
#include "platform/ui/WidgetPeer.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

#include <cstring>

IMPLEMENT_DYNAMIC(CEdit, CWnd)

BOOL CEdit::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    return CreateEx(0, u"Edit", u"", dwStyle, rect, pParentWnd, nID);
}

void CEdit::SetSel(int nStartChar, int nEndChar, BOOL bNoScroll)
{
    SendMessage(EM_SETSEL, static_cast<WPARAM>(nStartChar), nEndChar);
    if (!bNoScroll) SendMessage(EM_SCROLLCARET);
}

void CEdit::GetSel(int& nStartChar, int& nEndChar) const
{
    DWORD start = 0;
    DWORD end = 0;
    SendMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    nStartChar = static_cast<int>(start);
    nEndChar = static_cast<int>(end);
}

int CEdit::GetLine(int nIndex, LPTSTR lpszBuffer, int nMaxLength) const
{
    if (!lpszBuffer || nMaxLength <= 0) return 0;
    // The first word of the buffer carries its size, as the system expects.
    lpszBuffer[0] = static_cast<TCHAR>(std::min(nMaxLength, 0xFFFF));
    return static_cast<int>(SendMessage(EM_GETLINE, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(lpszBuffer)));
}

namespace platform::ui {

namespace {

constexpr int kDefaultLimit = 32767;
constexpr int kLargestLimit = 0x7FFFFFFE;

QString FromWindowsLines(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

QString ToWindowsLines(QString text)
{
    text.replace(u'\n', QStringLiteral("\r\n"));
    return text;
}

class EditPeer final : public WidgetPeer {
public:
    EditPeer(HWND hwnd, const CREATESTRUCTW& cs, QWidget* parent) : WidgetPeer(hwnd, cs)
    {
        const DWORD style = static_cast<DWORD>(cs.style);
        const bool frame = (style & WS_BORDER) || (static_cast<DWORD>(cs.dwExStyle) & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE));
        Qt::Alignment align = (style & ES_RIGHT) ? Qt::AlignRight : (style & ES_CENTER) ? Qt::AlignHCenter : Qt::AlignLeft;
        QWidget* widget = nullptr;
        if (style & ES_MULTILINE) {
            auto* text = new QPlainTextEdit(parent);
            text->setReadOnly(style & ES_READONLY);
            text->setTabChangesFocus(true);
            const bool wrap = !(style & (ES_AUTOHSCROLL | WS_HSCROLL));
            text->setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
            text->setVerticalScrollBarPolicy((style & WS_VSCROLL) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
            text->setHorizontalScrollBarPolicy((style & WS_HSCROLL) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
            if (!frame) text->setFrameShape(QFrame::NoFrame);
            text->setContextMenuPolicy(Qt::NoContextMenu);
            text->setAcceptDrops(false);
            text->viewport()->setAcceptDrops(false);
            QObject::connect(text, &QPlainTextEdit::textChanged, this, [this] { Changed(); });
            m_multi = text;
            widget = text;
        } else {
            auto* line = new QLineEdit(parent);
            line->setReadOnly(style & ES_READONLY);
            line->setFrame(frame);
            line->setAlignment(align | Qt::AlignVCenter);
            line->setMaxLength(kDefaultLimit);
            if (style & ES_PASSWORD) {
                line->setEchoMode(QLineEdit::Password);
                m_passwordChar = u'*';
            }
            // Paste, drops and the standard menu would pass by WM_PASTE.
            line->setContextMenuPolicy(Qt::NoContextMenu);
            line->setDragEnabled(false);
            line->setAcceptDrops(false);
            QObject::connect(line, &QLineEdit::textChanged, this, [this] { Changed(); });
            m_line = line;
            widget = line;
        }
        Attach(widget, cs);
        m_settingText = true;
        SetQtText(FromWindowsLines(m_text));
        m_settingText = false;
    }

    QString Text() const override { return m_multi ? ToWindowsLines(QtText()) : QtText(); }

    void SetText(const QString& text) override
    {
        // Setting the text clears the modified flag; a multi-line edit tells
        // nothing of it, a single-line one sends EN_UPDATE and EN_CHANGE.
        m_settingText = true;
        m_quiet = m_multi != nullptr;
        SetQtText(m_multi ? FromWindowsLines(text) : text);
        m_quiet = false;
        m_settingText = false;
        m_modified = false;
    }

    QWidget* FocusWidget() const override { return m_widget; }

    UINT CtlColorMessage() const override
    {
        const bool readOnly = (Style() & ES_READONLY) || (m_widget && !m_widget->isEnabled());
        return readOnly ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT;
    }

    void ApplyColors(COLORREF text, COLORREF back, bool transparent) override
    {
        QWidget* w = m_widget;
        if (!w) return;
        QPalette palette = w->palette();
        if (text != CLR_INVALID) SetEnabledColor(palette, QPalette::Text, ToQColor(text), (Style() & WS_DISABLED) != 0);
        if (!transparent && back != CLR_INVALID) SetEnabledColor(palette, QPalette::Base, ToQColor(back), (Style() & WS_DISABLED) != 0);
        if (palette != w->palette()) w->setPalette(palette);
    }

    UINT DialogCode(const MSG* msg) const override
    {
        UINT code = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
        if (m_multi && (Style() & ES_WANTRETURN) && msg && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN) {
            code |= DLGC_WANTALLKEYS;
        }
        return code;
    }

    void FocusChanged(bool gained) override { NotifyCommand(gained ? EN_SETFOCUS : EN_KILLFOCUS); }

    bool ControlMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override
    {
        switch (message) {
        case WM_CHAR:
            Character(message, wParam);
            return true;
        case WM_PASTE:
            Paste();
            return true;
        case WM_CUT:
            if (!ReadOnly()) {
                if (m_line) m_line->cut();
                if (m_multi) m_multi->cut();
            }
            return true;
        case WM_COPY:
            if (m_line && m_line->echoMode() == QLineEdit::Normal) m_line->copy();
            if (m_multi) m_multi->copy();
            return true;
        case WM_CLEAR:
            if (!ReadOnly()) InsertQt(QString());
            return true;
        case WM_UNDO:
        case EM_UNDO:
            if (m_line) m_line->undo();
            if (m_multi) m_multi->undo();
            result = TRUE;
            return true;
        case EM_CANUNDO:
            result = m_line ? m_line->isUndoAvailable() : (m_multi && m_multi->document()->isUndoAvailable());
            return true;
        case EM_EMPTYUNDOBUFFER:
            if (m_multi) m_multi->document()->clearUndoRedoStacks();
            if (m_line) {
                const QString text = m_line->text();
                m_settingText = true;
                m_quiet = true;
                m_line->setText(text);
                m_quiet = false;
                m_settingText = false;
            }
            return true;
        case EM_GETSEL: {
            int start = 0;
            int end = 0;
            Selection(start, end);
            if (wParam) *reinterpret_cast<DWORD*>(wParam) = static_cast<DWORD>(start);
            if (lParam) *reinterpret_cast<DWORD*>(lParam) = static_cast<DWORD>(end);
            result = static_cast<LRESULT>(MAKELONG(static_cast<WORD>(std::min(start, 0xFFFF)), static_cast<WORD>(std::min(end, 0xFFFF))));
            return true;
        }
        case EM_SETSEL:
            SetSelection(static_cast<int>(static_cast<std::intptr_t>(wParam)), static_cast<int>(lParam));
            return true;
        case EM_REPLACESEL:
            InsertQt(m_multi ? FromWindowsLines(ToQString(reinterpret_cast<LPCWSTR>(lParam)))
                             : ToQString(reinterpret_cast<LPCWSTR>(lParam)));
            m_modified = true;
            return true;
        case EM_SCROLLCARET:
            if (m_multi) m_multi->ensureCursorVisible();
            return true;
        case EM_LINESCROLL:
            if (m_multi) {
                m_multi->verticalScrollBar()->setValue(m_multi->verticalScrollBar()->value() + static_cast<int>(lParam));
                m_multi->horizontalScrollBar()->setValue(m_multi->horizontalScrollBar()->value() +
                                                         static_cast<int>(static_cast<std::intptr_t>(wParam)));
            }
            result = TRUE;
            return true;
        case EM_GETFIRSTVISIBLELINE:
            result = m_multi ? m_multi->cursorForPosition(QPoint(0, 0)).blockNumber() : 0;
            return true;
        case EM_GETMODIFY:
            result = m_modified ? TRUE : FALSE;
            return true;
        case EM_SETMODIFY:
            m_modified = wParam != 0;
            return true;
        case EM_LIMITTEXT: {
            const std::intptr_t limit = static_cast<std::intptr_t>(wParam);
            m_limit = limit <= 0 || limit > kLargestLimit ? kLargestLimit : static_cast<int>(limit);
            return true;
        }
        case EM_GETLIMITTEXT:
            result = m_limit;
            return true;
        case EM_SETREADONLY: {
            const bool readOnly = wParam != 0;
            if (m_line) m_line->setReadOnly(readOnly);
            if (m_multi) m_multi->setReadOnly(readOnly);
            const DWORD style = Style();
            ::SetWindowLongPtrW(m_hwnd, GWL_STYLE,
                                static_cast<LONG_PTR>(readOnly ? (style | ES_READONLY) : (style & ~ES_READONLY)));
            if (m_widget) m_widget->update();
            result = TRUE;
            return true;
        }
        case EM_SETPASSWORDCHAR:
            if (m_line) {
                m_passwordChar = static_cast<char16_t>(wParam);
                m_line->setEchoMode(wParam ? QLineEdit::Password : QLineEdit::Normal);
            }
            return true;
        case EM_GETPASSWORDCHAR:
            result = m_passwordChar;
            return true;
        case EM_GETLINECOUNT:
            result = m_multi ? m_multi->document()->blockCount() : 1;
            return true;
        case EM_LINEINDEX:
            result = LineIndex(static_cast<int>(static_cast<std::intptr_t>(wParam)));
            return true;
        case EM_LINEFROMCHAR:
            result = LineFromChar(static_cast<int>(static_cast<std::intptr_t>(wParam)));
            return true;
        case EM_LINELENGTH:
            result = LineLength(static_cast<int>(static_cast<std::intptr_t>(wParam)));
            return true;
        case EM_GETLINE: {
            auto* buffer = reinterpret_cast<LPWSTR>(lParam);
            if (!buffer) return true;
            const int capacity = buffer[0];
            const QString line = Line(static_cast<int>(wParam));
            const int n = std::min<int>(capacity, static_cast<int>(line.size()));
            std::memcpy(buffer, line.utf16(), static_cast<std::size_t>(n) * sizeof(char16_t));
            result = n;
            return true;
        }
        case EM_GETRECT: {
            auto* rect = reinterpret_cast<RECT*>(lParam);
            if (rect) *rect = FormattingRect();
            return true;
        }
        case EM_SETRECT:
        case EM_SETRECTNP: {
            auto* rect = reinterpret_cast<const RECT*>(lParam);
            if (rect && m_widget) {
                m_rect = *rect;
                m_haveRect = true;
                if (m_line) {
                    m_line->setTextMargins(std::max(0, static_cast<int>(rect->left)), std::max(0, static_cast<int>(rect->top)),
                                           std::max(0, m_widget->width() - static_cast<int>(rect->right)),
                                           std::max(0, m_widget->height() - static_cast<int>(rect->bottom)));
                }
            }
            return true;
        }
        case EM_SETMARGINS:
            return true;
        default:
            return false;
        }
    }

private:
    bool ReadOnly() const { return (Style() & ES_READONLY) != 0; }

    QString QtText() const
    {
        if (m_line) return m_line->text();
        if (m_multi) return m_multi->toPlainText();
        return QString();
    }

    void SetQtText(const QString& text)
    {
        if (m_line) m_line->setText(text);
        if (m_multi) m_multi->setPlainText(text);
    }

    void Changed()
    {
        if (!m_settingText) m_modified = true;
        if (m_quiet) return;
        NotifyCommand(EN_UPDATE);
        if (::IsWindow(m_hwnd)) NotifyCommand(EN_CHANGE);
    }

    // Positions count CR LF as two characters, as programs expect.
    int ToWindows(int qtPos) const
    {
        if (!m_multi) return qtPos;
        const QString text = QtText();
        const int end = std::clamp(qtPos, 0, static_cast<int>(text.size()));
        return qtPos + static_cast<int>(text.left(end).count(u'\n'));
    }

    int ToQt(int winPos) const
    {
        if (!m_multi) return winPos;
        const QString text = QtText();
        int w = 0;
        for (int i = 0; i < text.size(); ++i) {
            if (w >= winPos) return i;
            w += text[i] == u'\n' ? 2 : 1;
        }
        return static_cast<int>(text.size());
    }

    void Selection(int& start, int& end) const
    {
        if (m_line) {
            if (m_line->hasSelectedText()) {
                start = m_line->selectionStart();
                end = start + static_cast<int>(m_line->selectedText().size());
            } else {
                start = end = m_line->cursorPosition();
            }
        } else if (m_multi) {
            const QTextCursor cursor = m_multi->textCursor();
            start = ToWindows(cursor.selectionStart());
            end = ToWindows(cursor.selectionEnd());
        }
    }

    void SetSelection(int start, int end)
    {
        const int length = static_cast<int>(QtText().size());
        if (start < 0) {
            // -1: no selection, the caret stays.
            if (m_line) m_line->deselect();
            if (m_multi) {
                QTextCursor c = m_multi->textCursor();
                c.clearSelection();
                m_multi->setTextCursor(c);
            }
            return;
        }
        int qs = ToQt(start);
        int qe = end < 0 ? length : ToQt(end);
        qs = std::clamp(qs, 0, length);
        qe = std::clamp(qe, 0, length);
        if (m_line) m_line->setSelection(qs, qe - qs);
        if (m_multi) {
            QTextCursor c = m_multi->textCursor();
            c.setPosition(qs);
            c.setPosition(qe, QTextCursor::KeepAnchor);
            m_multi->setTextCursor(c);
        }
    }

    void InsertQt(const QString& text)
    {
        if (m_line) {
            // insert() obeys the line edit's own length, which is larger than
            // any limit the program sets.
            m_line->insert(text);
        }
        if (m_multi) m_multi->textCursor().insertText(text);
    }

    int SelectedLength() const
    {
        int start = 0;
        int end = 0;
        Selection(start, end);
        return end - start;
    }

    int Room() const { return std::max(0, m_limit - (static_cast<int>(Text().size()) - SelectedLength())); }

    void Character(UINT message, WPARAM wParam)
    {
        const char16_t ch = static_cast<char16_t>(wParam);
        switch (ch) {
        case 0x01:  // Ctrl+A
            SetSelection(0, -1);
            return;
        case 0x03:
            ::SendMessageW(m_hwnd, WM_COPY, 0, 0);
            return;
        case 0x16:
            ::SendMessageW(m_hwnd, WM_PASTE, 0, 0);
            return;
        case 0x18:
            ::SendMessageW(m_hwnd, WM_CUT, 0, 0);
            return;
        case 0x1A:
            ::SendMessageW(m_hwnd, WM_UNDO, 0, 0);
            return;
        case 8:
            if (!ReadOnly()) AcceptCharacter(message, wParam);
            return;
        case 13:
            if (m_multi && !ReadOnly() && Room() > 1) AcceptCharacter(message, wParam);
            return;
        default:
            break;
        }
        if (ch < 0x20 || ReadOnly()) return;
        const DWORD style = Style();
        if ((style & ES_NUMBER) && !(ch >= u'0' && ch <= u'9')) {
            ::MessageBeep(0);
            return;
        }
        if (Room() < 1) {
            NotifyCommand(EN_MAXTEXT);
            return;
        }
        char16_t typed = ch;
        if (style & ES_UPPERCASE) typed = QChar(ch).toUpper().unicode();
        if (style & ES_LOWERCASE) typed = QChar(ch).toLower().unicode();
        if (typed != ch) {
            TypeCharacter(FocusWidget(), typed);
            return;
        }
        AcceptCharacter(message, wParam);
    }

    void Paste()
    {
        if (ReadOnly()) return;
        QString text = QGuiApplication::clipboard()->text();
        if (m_line) {
            // A single line takes the clipboard up to its first line break.
            const qsizetype br = text.indexOf(QRegularExpression(QStringLiteral("[\r\n]")));
            if (br >= 0) text.truncate(br);
        } else {
            text = FromWindowsLines(text);
        }
        const DWORD style = Style();
        if (style & ES_UPPERCASE) text = text.toUpper();
        if (style & ES_LOWERCASE) text = text.toLower();
        const int room = Room();
        bool cut = false;
        if (ToWindows(static_cast<int>(text.size())) > room) {
            int keep = 0;
            while (keep < text.size() && ToWindowsLength(text.left(keep + 1)) <= room) ++keep;
            text.truncate(keep);
            cut = true;
        }
        if (!text.isEmpty()) InsertQt(text);
        m_modified = true;
        if (cut) NotifyCommand(EN_MAXTEXT);
    }

    int ToWindowsLength(const QString& qt) const
    {
        return m_multi ? static_cast<int>(qt.size() + qt.count(u'\n')) : static_cast<int>(qt.size());
    }

    int LineFromChar(int winPos) const
    {
        if (!m_multi) return 0;
        if (winPos < 0) return m_multi->textCursor().blockNumber();
        return m_multi->document()->findBlock(ToQt(winPos)).blockNumber();
    }

    int LineIndex(int line) const
    {
        if (!m_multi) return line <= 0 ? 0 : -1;
        if (line < 0) line = m_multi->textCursor().blockNumber();
        const QTextBlock block = m_multi->document()->findBlockByNumber(line);
        return block.isValid() ? ToWindows(block.position()) : -1;
    }

    int LineLength(int winPos) const
    {
        if (!m_multi) return static_cast<int>(QtText().size());
        const QTextBlock block = winPos < 0 ? m_multi->textCursor().block() : m_multi->document()->findBlock(ToQt(winPos));
        return block.isValid() ? static_cast<int>(block.text().size()) : 0;
    }

    QString Line(int line) const
    {
        if (!m_multi) return line == 0 ? QtText() : QString();
        const QTextBlock block = m_multi->document()->findBlockByNumber(line);
        return block.isValid() ? block.text() : QString();
    }

    RECT FormattingRect() const
    {
        if (m_haveRect) return m_rect;
        if (!m_widget) return RECT{};
        const int lineHeight = m_widget->fontMetrics().height();
        return RECT{1, 0, std::max(1, m_widget->width() - 1), m_multi ? m_widget->height() : lineHeight};
    }

    QPointer<QLineEdit> m_line;
    QPointer<QPlainTextEdit> m_multi;
    int m_limit = kDefaultLimit;
    bool m_modified = false;
    bool m_settingText = false;
    bool m_quiet = false;
    char16_t m_passwordChar = 0;
    RECT m_rect{};
    bool m_haveRect = false;
};

std::unique_ptr<WidgetPeer> MakeEdit(HWND hwnd, const CREATESTRUCTW& cs, QWidget* parent)
{
    return std::make_unique<EditPeer>(hwnd, cs, parent);
}

const bool kRegistered = RegisterWindowClass(u"Edit", &MakeEdit, &NewStandIn<CEdit>);

}  // namespace

}  // namespace platform::ui
