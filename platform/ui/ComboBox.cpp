#include "platform/ui/ComboBox.h"

#include "platform/ui/OwnerDraw.h"
#include "platform/ui/InputRouting.h"
#include "platform/ui/WidgetPeer.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QPainter>
#include <QStyleOptionComboBox>
#include <QStyledItemDelegate>
#include <QStylePainter>

#include <cstring>
#include <functional>

IMPLEMENT_DYNAMIC(CComboBox, CWnd)

BOOL CComboBox::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    return CreateEx(0, u"ComboBox", u"", dwStyle, rect, pParentWnd, nID);
}

void CComboBox::GetLBText(int nIndex, CString& rString) const
{
    const int length = GetLBTextLen(nIndex);
    if (length < 0) {
        rString.Empty();
        return;
    }
    std::u16string buffer(static_cast<std::size_t>(length) + 1, u'\0');
    const int n = GetLBText(nIndex, buffer.data());
    rString = CString(buffer.c_str(), n < 0 ? 0 : n);
}

void CComboBox::DrawItem(DRAWITEMSTRUCT*) {}
void CComboBox::MeasureItem(MEASUREITEMSTRUCT*) {}

BOOL CComboBox::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (message == WM_DRAWITEM) {
        DrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
    } else if (message == WM_MEASUREITEM) {
        MeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
    } else {
        return CWnd::OnChildNotify(message, wParam, lParam, pResult);
    }
    if (pResult) *pResult = TRUE;
    return TRUE;
}

namespace platform::ui {

namespace {

constexpr int kDataRole = Qt::UserRole + 1;

class ComboWidget final : public QComboBox {
public:
    explicit ComboWidget(QWidget* parent) : QComboBox(parent) {}

    std::function<void(bool)> dropped;
    std::function<void(QPainter&, const QRect&)> paintFace;

    void showPopup() override
    {
        if (dropped) dropped(true);
        QComboBox::showPopup();
    }

    void hidePopup() override
    {
        QComboBox::hidePopup();
        if (dropped) dropped(false);
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        if (!paintFace || isEditable()) {
            QComboBox::paintEvent(event);
            return;
        }
        // The frame and the arrow are the style's; the item is the owner's.
        QStylePainter painter(this);
        QStyleOptionComboBox option;
        initStyleOption(&option);
        option.currentText.clear();
        option.currentIcon = QIcon();
        painter.drawComplexControl(QStyle::CC_ComboBox, option);
        const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
        paintFace(painter, field);
    }
};

class OwnerDrawnItems final : public QStyledItemDelegate {
public:
    OwnerDrawnItems(QObject* parent, std::function<void(QPainter*, const QRect&, int, bool)> paint,
                    std::function<int()> height)
        : QStyledItemDelegate(parent), m_paint(std::move(paint)), m_height(std::move(height))
    {
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        m_paint(painter, option.rect, index.row(), (option.state & QStyle::State_Selected) != 0);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(m_height());
        return size;
    }

private:
    std::function<void(QPainter*, const QRect&, int, bool)> m_paint;
    std::function<int()> m_height;
};

class ComboPeer final : public WidgetPeer {
public:
    ComboPeer(HWND hwnd, const CREATESTRUCTW& cs, QWidget* parent) : WidgetPeer(hwnd, cs)
    {
        const DWORD style = static_cast<DWORD>(cs.style);
        auto* combo = new ComboWidget(parent);
        m_combo = combo;
        const DWORD kind = style & 0x3;
        combo->setEditable(kind == CBS_SIMPLE || kind == CBS_DROPDOWN);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setDuplicatesEnabled(true);
        // The template's height is the height with the list dropped.
        m_dropHeight = std::max(0, cs.cy);
        if (QLineEdit* edit = combo->lineEdit()) {
            edit->setMaxLength(32767);
            edit->setContextMenuPolicy(Qt::NoContextMenu);
            edit->setAcceptDrops(false);
            QObject::connect(edit, &QLineEdit::textEdited, this, [this] {
                NotifyCommand(CBN_EDITUPDATE);
                if (::IsWindow(m_hwnd)) NotifyCommand(CBN_EDITCHANGE);
            });
        }
        QObject::connect(combo, qOverload<int>(&QComboBox::activated), this, [this](int) {
            NotifyCommand(CBN_SELCHANGE);
            if (::IsWindow(m_hwnd) && !(m_combo && m_combo->view()->isVisible())) NotifyCommand(CBN_SELENDOK);
        });
        combo->dropped = [this](bool down) {
            if (down) {
                NotifyCommand(CBN_DROPDOWN);
            } else {
                NotifyCommand(CBN_CLOSEUP);
            }
        };
        CREATESTRUCTW shown = cs;
        shown.cy = combo->sizeHint().height();
        Attach(combo, shown);
        if (IsOwnerDrawnList()) {
            m_itemHeight = Measure(-1);
            combo->setItemDelegate(new OwnerDrawnItems(
                combo, [this](QPainter* p, const QRect& r, int row, bool selected) { PaintItem(*p, r, row, selected, false); },
                [this] { return m_itemHeight; }));
            combo->paintFace = [this](QPainter& p, const QRect& r) {
                PaintItem(p, r, m_combo ? m_combo->currentIndex() : -1, false, true);
            };
        }
        UpdateVisibleItems();
        if (!m_text.isEmpty() && combo->lineEdit()) combo->lineEdit()->setText(m_text);
    }

    QString Text() const override
    {
        if (!m_combo) return QString();
        if (m_combo->isEditable()) return m_combo->lineEdit()->text();
        return m_combo->currentIndex() >= 0 ? m_combo->currentText() : QString();
    }

    void SetText(const QString& text) override
    {
        if (!m_combo) return;
        if (m_combo->isEditable()) {
            m_combo->lineEdit()->setText(text);
            return;
        }
        const int index = Find(-1, text, true);
        if (index >= 0) Select(index);
    }

    QWidget* FocusWidget() const override { return m_combo; }

    UINT CtlColorMessage() const override { return m_combo && m_combo->isEditable() ? WM_CTLCOLOREDIT : 0; }

    UINT DialogCode(const MSG*) const override
    {
        UINT code = DLGC_WANTCHARS | DLGC_WANTARROWS;
        if (m_combo && m_combo->isEditable()) code |= DLGC_HASSETSEL;
        if (m_combo && m_combo->view()->isVisible()) code |= DLGC_WANTALLKEYS;
        return code;
    }

    void FocusChanged(bool gained) override { NotifyCommand(gained ? CBN_SETFOCUS : CBN_KILLFOCUS); }

    bool ControlMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override
    {
        if (!m_combo) return false;
        const int count = m_combo->count();
        const int index = static_cast<int>(static_cast<std::intptr_t>(wParam));
        switch (message) {
        case CB_ADDSTRING:
            result = Insert(-1, ToQString(reinterpret_cast<LPCWSTR>(lParam)), true);
            return true;
        case CB_INSERTSTRING:
            result = index > count ? CB_ERR : Insert(index, ToQString(reinterpret_cast<LPCWSTR>(lParam)), false);
            return true;
        case CB_DELETESTRING:
            if (index < 0 || index >= count) {
                result = CB_ERR;
                return true;
            }
            {
                const QSignalBlocker block(m_combo);
                m_combo->removeItem(index);
            }
            UpdateVisibleItems();
            result = m_combo->count();
            return true;
        case CB_RESETCONTENT: {
            const QSignalBlocker block(m_combo);
            m_combo->clear();
            if (m_combo->isEditable()) m_combo->lineEdit()->clear();
            return true;
        }
        case CB_GETCOUNT:
            result = count;
            return true;
        case CB_GETCURSEL:
            result = m_combo->currentIndex() < 0 ? CB_ERR : m_combo->currentIndex();
            return true;
        case CB_SETCURSEL:
            if (index < 0 || index >= count) {
                Select(-1);
                result = CB_ERR;
            } else {
                Select(index);
                result = index;
            }
            return true;
        case CB_GETLBTEXT: {
            if (index < 0 || index >= count) {
                result = CB_ERR;
                return true;
            }
            const QString text = m_combo->itemText(index);
            if (auto* buffer = reinterpret_cast<LPWSTR>(lParam)) {
                std::memcpy(buffer, text.utf16(), static_cast<std::size_t>(text.size()) * sizeof(char16_t));
                buffer[text.size()] = 0;
            }
            result = static_cast<LRESULT>(text.size());
            return true;
        }
        case CB_GETLBTEXTLEN:
            result = index < 0 || index >= count ? CB_ERR : static_cast<LRESULT>(m_combo->itemText(index).size());
            return true;
        case CB_FINDSTRING:
            result = Find(index, ToQString(reinterpret_cast<LPCWSTR>(lParam)), false);
            return true;
        case CB_FINDSTRINGEXACT:
            result = Find(index, ToQString(reinterpret_cast<LPCWSTR>(lParam)), true);
            return true;
        case CB_SELECTSTRING: {
            const int found = Find(index, ToQString(reinterpret_cast<LPCWSTR>(lParam)), false);
            if (found >= 0) Select(found);
            result = found;
            return true;
        }
        case CB_GETITEMDATA:
            result = index < 0 || index >= count ? CB_ERR
                                                 : static_cast<LRESULT>(m_combo->itemData(index, kDataRole).toULongLong());
            return true;
        case CB_SETITEMDATA:
            if (index < 0 || index >= count) {
                result = CB_ERR;
                return true;
            }
            m_combo->setItemData(index, QVariant::fromValue<qulonglong>(static_cast<qulonglong>(lParam)), kDataRole);
            return true;
        case CB_LIMITTEXT:
            if (!m_combo->isEditable()) {
                result = FALSE;
                return true;
            }
            m_combo->lineEdit()->setMaxLength(index <= 0 || index > 32767 ? 32767 : index);
            result = TRUE;
            return true;
        case CB_GETEDITSEL: {
            QLineEdit* edit = m_combo->lineEdit();
            if (!edit) {
                result = CB_ERR;
                return true;
            }
            const int start = edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
            const int end = edit->hasSelectedText() ? start + static_cast<int>(edit->selectedText().size()) : start;
            if (wParam) *reinterpret_cast<DWORD*>(wParam) = static_cast<DWORD>(start);
            if (lParam) *reinterpret_cast<DWORD*>(lParam) = static_cast<DWORD>(end);
            result = MAKELONG(static_cast<WORD>(start), static_cast<WORD>(end));
            return true;
        }
        case CB_SETEDITSEL: {
            QLineEdit* edit = m_combo->lineEdit();
            if (!edit) {
                result = CB_ERR;
                return true;
            }
            const int length = static_cast<int>(edit->text().size());
            const int start = static_cast<SHORT>(LOWORD(lParam));
            const int end = static_cast<SHORT>(HIWORD(lParam));
            if (start < 0) {
                edit->deselect();
            } else {
                const int e = end < 0 ? length : std::min(end, length);
                edit->setSelection(std::min(start, length), e - std::min(start, length));
            }
            result = TRUE;
            return true;
        }
        case CB_SHOWDROPDOWN:
            if (wParam) {
                m_combo->showPopup();
            } else {
                m_combo->hidePopup();
            }
            result = TRUE;
            return true;
        case CB_GETDROPPEDSTATE:
            result = m_combo->view()->isVisible() ? TRUE : FALSE;
            return true;
        case CB_SETITEMHEIGHT:
            if (lParam > 0 && lParam < 256) m_itemHeight = static_cast<int>(lParam);
            return true;
        case CB_GETITEMHEIGHT:
            result = IsOwnerDrawnList() ? m_itemHeight : m_combo->fontMetrics().height() + 2;
            return true;
        case CB_GETTOPINDEX:
            result = 0;
            return true;
        case CB_SETTOPINDEX:
        case CB_SETDROPPEDWIDTH:
            return true;
        case CB_GETDROPPEDCONTROLRECT:
            if (auto* rect = reinterpret_cast<RECT*>(lParam)) {
                ::GetWindowRect(m_hwnd, rect);
                rect->bottom = rect->top + m_dropHeight;
            }
            result = TRUE;
            return true;
        case WM_CHAR:
            if (m_combo->isEditable()) {
                const DWORD style = Style();
                const char16_t ch = static_cast<char16_t>(wParam);
                if (ch >= 0x20 && (style & (CBS_UPPERCASE | CBS_LOWERCASE))) {
                    const char16_t typed = (style & CBS_UPPERCASE) ? QChar(ch).toUpper().unicode() : QChar(ch).toLower().unicode();
                    if (typed != ch) {
                        TypeCharacter(m_combo->lineEdit(), typed);
                        return true;
                    }
                }
            }
            AcceptCharacter(message, wParam);
            return true;
        case WM_PASTE:
            if (m_combo->isEditable()) m_combo->lineEdit()->paste();
            return true;
        case WM_CUT:
            if (m_combo->isEditable()) m_combo->lineEdit()->cut();
            return true;
        case WM_COPY:
            if (m_combo->isEditable()) m_combo->lineEdit()->copy();
            return true;
        case WM_CLEAR:
            if (m_combo->isEditable()) m_combo->lineEdit()->del();
            return true;
        default:
            return false;
        }
    }

private:
    bool IsOwnerDrawnList() const { return (Style() & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) != 0; }

    // A selection made by the program: no notification, as the system's.
    void Select(int index)
    {
        const QSignalBlocker block(m_combo);
        m_combo->setCurrentIndex(index);
        if (index < 0 && m_combo->isEditable()) m_combo->lineEdit()->clear();
    }

    int Insert(int index, const QString& text, bool add)
    {
        int at = index < 0 ? m_combo->count() : index;
        if (add && (Style() & CBS_SORT)) {
            at = 0;
            while (at < m_combo->count() && QString::compare(m_combo->itemText(at), text, Qt::CaseInsensitive) <= 0) ++at;
        }
        {
            const QSignalBlocker block(m_combo);
            // Inserting into an empty list must not select the new item.
            const int current = m_combo->currentIndex();
            m_combo->insertItem(at, text);
            m_combo->setItemData(at, QVariant::fromValue<qulonglong>(0), kDataRole);
            if (current < 0) m_combo->setCurrentIndex(-1);
        }
        UpdateVisibleItems();
        return at;
    }

    // Prefix or whole-text search without case, after start, wrapping.
    int Find(int start, const QString& text, bool exact) const
    {
        const int count = m_combo->count();
        if (count == 0) return CB_ERR;
        const int first = start < 0 || start >= count ? 0 : start + 1;
        for (int step = 0; step < count; ++step) {
            const int i = (first + step) % count;
            const QString item = m_combo->itemText(i);
            const bool match = exact ? QString::compare(item, text, Qt::CaseInsensitive) == 0
                                     : item.startsWith(text, Qt::CaseInsensitive);
            if (match) return i;
        }
        return CB_ERR;
    }

    void UpdateVisibleItems()
    {
        if (!m_combo) return;
        const int itemHeight = std::max(1, IsOwnerDrawnList() ? m_itemHeight : m_combo->fontMetrics().height() + 2);
        const int visible = std::max(1, (m_dropHeight - m_combo->height()) / itemHeight);
        m_combo->setMaxVisibleItems(std::max(visible, 1));
    }

    int Measure(int itemId)
    {
        MEASUREITEMSTRUCT measure;
        measure.CtlType = ODT_COMBOBOX;
        measure.CtlID = static_cast<UINT>(Id());
        measure.itemID = static_cast<UINT>(itemId);
        measure.itemHeight = static_cast<UINT>(m_combo ? m_combo->fontMetrics().height() + 2 : 16);
        ::SendMessageW(ParentHandle(), WM_MEASUREITEM, static_cast<WPARAM>(Id()), reinterpret_cast<LPARAM>(&measure));
        return std::clamp(static_cast<int>(measure.itemHeight), 1, 255);
    }

    void PaintItem(QPainter& painter, const QRect& rect, int row, bool selected, bool face)
    {
        if (!m_combo || rect.isEmpty()) return;
        DRAWITEMSTRUCT item;
        item.CtlType = ODT_COMBOBOX;
        item.CtlID = static_cast<UINT>(Id());
        item.itemID = static_cast<UINT>(row);
        item.itemAction = ODA_DRAWENTIRE;
        if (selected) item.itemState |= ODS_SELECTED;
        if (face) {
            item.itemState |= ODS_COMBOBOXEDIT;
            if (m_combo->hasFocus()) item.itemState |= ODS_FOCUS | ODS_SELECTED;
        }
        if (!m_combo->isEnabled()) item.itemState |= ODS_DISABLED;
        item.hwndItem = m_hwnd;
        if (row >= 0 && row < m_combo->count()) {
            item.itemData = static_cast<std::uintptr_t>(m_combo->itemData(row, kDataRole).toULongLong());
        }
        const QImage image = DrawOwnerItem(ParentHandle(), item, rect.size(), m_font);
        if (!image.isNull()) painter.drawImage(rect.topLeft(), image);
    }

    QPointer<ComboWidget> m_combo;
    int m_dropHeight = 0;
    int m_itemHeight = 15;
};

std::unique_ptr<WidgetPeer> MakeCombo(HWND hwnd, const CREATESTRUCTW& cs, QWidget* parent)
{
    return std::make_unique<ComboPeer>(hwnd, cs, parent);
}

const bool kRegistered = RegisterWindowClass(u"ComboBox", &MakeCombo, &NewStandIn<CComboBox>);

}  // namespace

}  // namespace platform::ui
