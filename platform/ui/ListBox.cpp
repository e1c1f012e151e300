#include "platform/ui/ListBox.h"

#include "platform/ui/WidgetPeer.h"

#include <QListWidget>

#include <cstring>

IMPLEMENT_DYNAMIC(CListBox, CWnd)

BOOL CListBox::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    return CreateEx(0, u"ListBox", u"", dwStyle, rect, pParentWnd, nID);
}

void CListBox::GetText(int nIndex, CString& rString) const
{
    const int length = GetTextLen(nIndex);
    if (length < 0) {
        rString.Empty();
        return;
    }
    std::u16string buffer(static_cast<std::size_t>(length) + 1, u'\0');
    const int n = GetText(nIndex, buffer.data());
    rString = CString(buffer.c_str(), n < 0 ? 0 : n);
}

namespace platform::ui {

namespace {

constexpr int kDataRole = Qt::UserRole + 1;

class ListBoxPeer final : public WidgetPeer {
public:
    ListBoxPeer(HWND hwnd, const CREATESTRUCTW& cs, QWidget* parent) : WidgetPeer(hwnd, cs)
    {
        const DWORD style = static_cast<DWORD>(cs.style);
        auto* list = new QListWidget(parent);
        m_list = list;
        if (style & LBS_NOSEL) {
            list->setSelectionMode(QAbstractItemView::NoSelection);
        } else if (style & LBS_EXTENDEDSEL) {
            list->setSelectionMode(QAbstractItemView::ExtendedSelection);
        } else if (style & LBS_MULTIPLESEL) {
            list->setSelectionMode(QAbstractItemView::MultiSelection);
        } else {
            list->setSelectionMode(QAbstractItemView::SingleSelection);
        }
        list->setVerticalScrollBarPolicy((style & WS_VSCROLL) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
        list->setHorizontalScrollBarPolicy((style & WS_HSCROLL) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
        if (!(style & WS_BORDER) && !(static_cast<DWORD>(cs.dwExStyle) & WS_EX_CLIENTEDGE)) list->setFrameShape(QFrame::NoFrame);
        list->setUniformItemSizes(true);
        QObject::connect(list, &QListWidget::itemSelectionChanged, this, [this] {
            if (!m_programChange && (Style() & LBS_NOTIFY)) NotifyCommand(LBN_SELCHANGE);
        });
        QObject::connect(list, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem*) {
            if (Style() & LBS_NOTIFY) NotifyCommand(LBN_DBLCLK);
        });
        Attach(list, cs);
    }

    QWidget* FocusWidget() const override { return m_list; }
    UINT CtlColorMessage() const override { return WM_CTLCOLORLISTBOX; }

    void ApplyColors(COLORREF text, COLORREF back, bool transparent) override
    {
        if (!m_list) return;
        QPalette palette = m_list->palette();
        if (text != CLR_INVALID) SetEnabledColor(palette, QPalette::Text, ToQColor(text), (Style() & WS_DISABLED) != 0);
        if (!transparent && back != CLR_INVALID) SetEnabledColor(palette, QPalette::Base, ToQColor(back), (Style() & WS_DISABLED) != 0);
        if (palette != m_list->palette()) m_list->setPalette(palette);
    }

    UINT DialogCode(const MSG*) const override { return DLGC_WANTARROWS | DLGC_WANTCHARS; }

    void FocusChanged(bool gained) override
    {
        if (Style() & LBS_NOTIFY) NotifyCommand(gained ? LBN_SETFOCUS : LBN_KILLFOCUS);
    }

    bool ControlMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override
    {
        if (!m_list) return false;
        const int count = m_list->count();
        const int index = static_cast<int>(static_cast<std::intptr_t>(wParam));
        const bool multi = m_list->selectionMode() == QAbstractItemView::MultiSelection ||
                           m_list->selectionMode() == QAbstractItemView::ExtendedSelection;
        switch (message) {
        case LB_ADDSTRING:
            result = Insert(-1, ToQString(reinterpret_cast<LPCWSTR>(lParam)), true);
            return true;
        case LB_INSERTSTRING:
            result = index > count ? LB_ERR : Insert(index, ToQString(reinterpret_cast<LPCWSTR>(lParam)), false);
            return true;
        case LB_DELETESTRING:
            if (index < 0 || index >= count) {
                result = LB_ERR;
                return true;
            }
            {
                ProgramChange change(*this);
                delete m_list->takeItem(index);
            }
            result = m_list->count();
            return true;
        case LB_RESETCONTENT: {
            ProgramChange change(*this);
            m_list->clear();
            return true;
        }
        case LB_GETCOUNT:
            result = count;
            return true;
        case LB_GETCURSEL:
            if (multi) {
                result = m_list->currentRow();
            } else {
                const auto selected = m_list->selectedItems();
                result = selected.isEmpty() ? LB_ERR : m_list->row(selected.front());
            }
            return true;
        case LB_SETCURSEL: {
            ProgramChange change(*this);
            if (multi) {
                result = LB_ERR;
                return true;
            }
            m_list->clearSelection();
            if (index >= 0 && index < count) {
                m_list->setCurrentRow(index);
                m_list->item(index)->setSelected(true);
                m_list->scrollToItem(m_list->item(index));
                result = index;
            } else {
                result = LB_ERR;
            }
            return true;
        }
        case LB_GETSEL: {
            const int item = static_cast<int>(wParam);
            result = item < 0 || item >= count ? LB_ERR : (m_list->item(item)->isSelected() ? 1 : 0);
            return true;
        }
        case LB_SETSEL: {
            ProgramChange change(*this);
            const int item = static_cast<int>(lParam);
            if (!multi) {
                result = LB_ERR;
                return true;
            }
            for (int i = 0; i < count; ++i) {
                if (item == -1 || i == item) m_list->item(i)->setSelected(wParam != 0);
            }
            return true;
        }
        case LB_GETSELCOUNT:
            result = multi ? static_cast<LRESULT>(m_list->selectedItems().size()) : LB_ERR;
            return true;
        case LB_GETSELITEMS: {
            auto* out = reinterpret_cast<int*>(lParam);
            int n = 0;
            for (int i = 0; i < count && n < index && out; ++i) {
                if (m_list->item(i)->isSelected()) out[n++] = i;
            }
            result = n;
            return true;
        }
        case LB_GETTEXT: {
            if (index < 0 || index >= count) {
                result = LB_ERR;
                return true;
            }
            const QString text = m_list->item(index)->text();
            if (auto* buffer = reinterpret_cast<LPWSTR>(lParam)) {
                std::memcpy(buffer, text.utf16(), static_cast<std::size_t>(text.size()) * sizeof(char16_t));
                buffer[text.size()] = 0;
            }
            result = static_cast<LRESULT>(text.size());
            return true;
        }
        case LB_GETITEMRECT: {
            auto* rect = reinterpret_cast<RECT*>(lParam);
            if (!rect || index < 0 || index >= count) {
                result = LB_ERR;
                return true;
            }
            const QRect r = m_list->visualItemRect(m_list->item(index)).translated(m_list->viewport()->pos());
            *rect = RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
            result = 1;
            return true;
        }
        case LB_ITEMFROMPOINT: {
            const QPoint at(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
            const QPoint inView = at - m_list->viewport()->pos();
            QListWidgetItem* hit = m_list->itemAt(inView);
            int row = hit ? m_list->row(hit) : (count ? count - 1 : 0);
            if (!hit && count && inView.y() < 0) row = 0;
            result = MAKELONG(static_cast<WORD>(row), hit ? 0 : 1);
            return true;
        }
        case LB_GETTEXTLEN:
            result = index < 0 || index >= count ? LB_ERR : static_cast<LRESULT>(m_list->item(index)->text().size());
            return true;
        case LB_FINDSTRING:
        case LB_FINDSTRINGEXACT:
            result = Find(index, ToQString(reinterpret_cast<LPCWSTR>(lParam)), message == LB_FINDSTRINGEXACT);
            return true;
        case LB_SELECTSTRING: {
            const int found = Find(index, ToQString(reinterpret_cast<LPCWSTR>(lParam)), false);
            if (found >= 0 && !multi) {
                ProgramChange change(*this);
                m_list->clearSelection();
                m_list->setCurrentRow(found);
                m_list->item(found)->setSelected(true);
            }
            result = found;
            return true;
        }
        case LB_GETITEMDATA:
            result = index < 0 || index >= count ? LB_ERR
                                                 : static_cast<LRESULT>(m_list->item(index)->data(kDataRole).toULongLong());
            return true;
        case LB_SETITEMDATA:
            if (index < 0 || index >= count) {
                result = LB_ERR;
                return true;
            }
            m_list->item(index)->setData(kDataRole, QVariant::fromValue<qulonglong>(static_cast<qulonglong>(lParam)));
            return true;
        case LB_GETTOPINDEX: {
            const QListWidgetItem* top = m_list->itemAt(2, 2);
            result = top ? m_list->row(top) : 0;
            return true;
        }
        case LB_SETTOPINDEX:
            if (index >= 0 && index < count) m_list->scrollToItem(m_list->item(index), QAbstractItemView::PositionAtTop);
            return true;
        case LB_GETCARETINDEX:
            result = m_list->currentRow();
            return true;
        case LB_SETCARETINDEX: {
            ProgramChange change(*this);
            if (index >= 0 && index < count) m_list->setCurrentRow(index, QItemSelectionModel::NoUpdate);
            return true;
        }
        case LB_SETTABSTOPS:
        case LB_SETITEMHEIGHT:
            return true;
        case LB_GETITEMHEIGHT:
            result = m_list->fontMetrics().height() + 2;
            return true;
        default:
            return false;
        }
    }

private:
    // Changes made by the program send no LBN_SELCHANGE, as the system's.
    struct ProgramChange {
        explicit ProgramChange(ListBoxPeer& p) : peer(p), saved(p.m_programChange) { p.m_programChange = true; }
        ~ProgramChange() { peer.m_programChange = saved; }
        ListBoxPeer& peer;
        bool saved;
    };

    int Insert(int index, const QString& text, bool add)
    {
        int at = index < 0 ? m_list->count() : index;
        if (add && (Style() & LBS_SORT)) {
            at = 0;
            while (at < m_list->count() && QString::compare(m_list->item(at)->text(), text, Qt::CaseInsensitive) <= 0) ++at;
        }
        ProgramChange change(*this);
        auto* item = new QListWidgetItem(text);
        item->setData(kDataRole, QVariant::fromValue<qulonglong>(0));
        m_list->insertItem(at, item);
        return at;
    }

    int Find(int start, const QString& text, bool exact) const
    {
        const int count = m_list->count();
        if (count == 0) return LB_ERR;
        const int first = start < 0 || start >= count ? 0 : start + 1;
        for (int step = 0; step < count; ++step) {
            const int i = (first + step) % count;
            const QString item = m_list->item(i)->text();
            const bool match = exact ? QString::compare(item, text, Qt::CaseInsensitive) == 0
                                     : item.startsWith(text, Qt::CaseInsensitive);
            if (match) return i;
        }
        return LB_ERR;
    }

    QPointer<QListWidget> m_list;
    bool m_programChange = false;
};

std::unique_ptr<WidgetPeer> MakeListBox(HWND hwnd, const CREATESTRUCTW& cs, QWidget* parent)
{
    return std::make_unique<ListBoxPeer>(hwnd, cs, parent);
}

const bool kRegistered = RegisterWindowClass(u"ListBox", &MakeListBox, &NewStandIn<CListBox>);

}  // namespace

}  // namespace platform::ui
