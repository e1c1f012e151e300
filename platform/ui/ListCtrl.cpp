#include "platform/ui/ListCtrl.h"

#include "platform/ui/WidgetPeer.h"
#include "platform/ui/WindowSurface.h"

#include <QEvent>
#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QStyledItemDelegate>
#include <QTreeWidget>

#include <algorithm>
#include <cstring>
#include <map>

IMPLEMENT_DYNAMIC(CListCtrl, CWnd)

BOOL CListCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    return CreateEx(0, WC_LISTVIEW, u"", dwStyle, rect, pParentWnd, nID);
}

int CListCtrl::InsertColumn(int nCol, const LVCOLUMN* pColumn)
{
    return static_cast<int>(SendMessage(LVM_INSERTCOLUMN, static_cast<WPARAM>(nCol), reinterpret_cast<LPARAM>(pColumn)));
}

int CListCtrl::InsertColumn(int nCol, LPCTSTR lpszColumnHeading, int nFormat, int nWidth, int nSubItem)
{
    LVCOLUMN column;
    column.mask = LVCF_TEXT | LVCF_FMT;
    column.pszText = const_cast<LPWSTR>(lpszColumnHeading);
    column.fmt = nFormat;
    if (nWidth != -1) {
        column.mask |= LVCF_WIDTH;
        column.cx = nWidth;
    }
    if (nSubItem != -1) {
        column.mask |= LVCF_SUBITEM;
        column.iSubItem = nSubItem;
    }
    return InsertColumn(nCol, &column);
}

BOOL CListCtrl::GetColumnOrderArray(int* piArray, int iCount) const
{
    if (iCount < 0) {
        CHeaderCtrl* header = GetHeaderCtrl();
        iCount = header ? header->GetItemCount() : 0;
    }
    return static_cast<BOOL>(SendMessage(LVM_GETCOLUMNORDERARRAY, static_cast<WPARAM>(iCount), reinterpret_cast<LPARAM>(piArray)));
}

CHeaderCtrl* CListCtrl::GetHeaderCtrl() const
{
    const HWND header = HWND::FromLParam(SendMessage(LVM_GETHEADER));
    return static_cast<CHeaderCtrl*>(CWnd::FromHandle(header));
}

int CListCtrl::InsertItem(int nItem, LPCTSTR lpszItem) { return InsertItem(LVIF_TEXT, nItem, lpszItem, 0, 0, 0, 0); }

int CListCtrl::InsertItem(int nItem, LPCTSTR lpszItem, int nImage)
{
    return InsertItem(LVIF_TEXT | LVIF_IMAGE, nItem, lpszItem, 0, 0, nImage, 0);
}

int CListCtrl::InsertItem(UINT nMask, int nItem, LPCTSTR lpszItem, UINT nState, UINT nStateMask, int nImage, LPARAM lParam)
{
    LVITEM item;
    item.mask = nMask;
    item.iItem = nItem;
    item.pszText = const_cast<LPWSTR>(lpszItem);
    item.state = nState;
    item.stateMask = nStateMask;
    item.iImage = nImage;
    item.lParam = lParam;
    return InsertItem(&item);
}

BOOL CListCtrl::SetItemText(int nItem, int nSubItem, LPCTSTR lpszText)
{
    LVITEM item;
    item.iSubItem = nSubItem;
    item.pszText = const_cast<LPWSTR>(lpszText);
    return static_cast<BOOL>(SendMessage(LVM_SETITEMTEXT, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item)));
}

int CListCtrl::GetItemText(int nItem, int nSubItem, LPTSTR lpszText, int nLen) const
{
    LVITEM item;
    item.iSubItem = nSubItem;
    item.pszText = lpszText;
    item.cchTextMax = nLen;
    return static_cast<int>(SendMessage(LVM_GETITEMTEXT, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item)));
}

CString CListCtrl::GetItemText(int nItem, int nSubItem) const
{
    // Asked with a growing buffer until the text fits.
    for (int size = 256; size <= (1 << 20); size *= 4) {
        std::u16string buffer(static_cast<std::size_t>(size), u'\0');
        const int n = GetItemText(nItem, nSubItem, buffer.data(), size);
        if (n < size - 1) return CString(buffer.c_str(), n);
    }
    return CString();
}

BOOL CListCtrl::SetItemData(int nItem, DWORD_PTR dwData)
{
    LVITEM item;
    item.mask = LVIF_PARAM;
    item.iItem = nItem;
    item.lParam = static_cast<LPARAM>(dwData);
    return SetItem(&item);
}

DWORD_PTR CListCtrl::GetItemData(int nItem) const
{
    LVITEM item;
    item.mask = LVIF_PARAM;
    item.iItem = nItem;
    return GetItem(&item) ? static_cast<DWORD_PTR>(item.lParam) : 0;
}

BOOL CListCtrl::SetItemState(int nItem, UINT nState, UINT nMask)
{
    LVITEM item;
    item.state = nState;
    item.stateMask = nMask;
    return static_cast<BOOL>(SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item)));
}

POSITION CListCtrl::GetFirstSelectedItemPosition() const
{
    const int first = GetNextItem(-1, LVNI_SELECTED);
    return first < 0 ? nullptr : reinterpret_cast<POSITION>(static_cast<std::intptr_t>(first) + 1);
}

int CListCtrl::GetNextSelectedItem(POSITION& pos) const
{
    const int index = static_cast<int>(reinterpret_cast<std::intptr_t>(pos)) - 1;
    const int next = GetNextItem(index, LVNI_SELECTED);
    pos = next < 0 ? nullptr : reinterpret_cast<POSITION>(static_cast<std::intptr_t>(next) + 1);
    return index;
}

CImageList* CListCtrl::SetImageList(CImageList* pImageList, int nImageListType)
{
    SendMessage(LVM_SETIMAGELIST, static_cast<WPARAM>(nImageListType),
                pImageList ? pImageList->GetSafeHandle().ToLParam() : 0);
    return nullptr;
}

BOOL CListCtrl::GetItemRect(int nItem, RECT* lpRect, UINT nCode) const
{
    if (!lpRect) return FALSE;
    lpRect->left = static_cast<LONG>(nCode);
    return static_cast<BOOL>(SendMessage(LVM_GETITEMRECT, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(lpRect)));
}

BOOL CListCtrl::GetSubItemRect(int iItem, int iSubItem, int nArea, RECT& ref) const
{
    ref.top = iSubItem;
    ref.left = nArea;
    return static_cast<BOOL>(SendMessage(LVM_GETSUBITEMRECT, static_cast<WPARAM>(iItem), reinterpret_cast<LPARAM>(&ref)));
}

int CListCtrl::HitTest(POINT pt, UINT* pFlags) const
{
    LVHITTESTINFO info;
    info.pt = pt;
    const int item = HitTest(&info);
    if (pFlags) *pFlags = info.flags;
    return item;
}

namespace platform::ui {

namespace {

constexpr int kDataRole = Qt::UserRole + 1;
constexpr int kImageRole = Qt::UserRole + 2;
constexpr int kStateImageRole = Qt::UserRole + 3;
constexpr COLORREF kDefaultColor = 0xFF000000;
constexpr int kDefaultColumnWidth = 50;

class ListPeer;

class ListDelegate final : public QStyledItemDelegate {
public:
    ListDelegate(QObject* parent, ListPeer& peer) : QStyledItemDelegate(parent), m_peer(peer) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    ListPeer& m_peer;
};

class ListPeer final : public WidgetPeer {
public:
    ListPeer(HWND hwnd, const CREATESTRUCTW& cs, QWidget* parent) : WidgetPeer(hwnd, cs)
    {
        const DWORD style = static_cast<DWORD>(cs.style);
        auto* tree = new QTreeWidget(parent);
        m_tree = tree;
        tree->setRootIsDecorated(false);
        tree->setItemsExpandable(false);
        tree->setUniformRowHeights(true);
        tree->setAllColumnsShowFocus(true);
        tree->setColumnCount(0);
        tree->setSelectionBehavior(QAbstractItemView::SelectRows);
        tree->setSelectionMode((style & LVS_SINGLESEL) ? QAbstractItemView::SingleSelection
                                                       : QAbstractItemView::ExtendedSelection);
        tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
        tree->setHeader(NewFilledHeader(tree));
        tree->header()->setMinimumSectionSize(0);
        tree->header()->setStretchLastSection(false);
        tree->header()->setSectionsMovable(false);
        tree->header()->setSectionsClickable(!(style & LVS_NOSORTHEADER));
        if (style & LVS_NOCOLUMNHEADER) tree->setHeaderHidden(true);
        if (!(style & WS_BORDER) && !(static_cast<DWORD>(cs.dwExStyle) & WS_EX_CLIENTEDGE)) tree->setFrameShape(QFrame::NoFrame);
        tree->setItemDelegate(new ListDelegate(tree, *this));
        tree->viewport()->installEventFilter(this);
        QObject::connect(tree->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { Sync(); });
        QObject::connect(tree->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { Sync(); });
        QObject::connect(tree, &QTreeWidget::itemChanged, this, [this] { Sync(); });
        QObject::connect(tree->header(), &QHeaderView::sectionClicked, this, [this](int section) {
            NMLISTVIEW info;
            info.iItem = -1;
            info.iSubItem = section;
            NotifyParent(info.hdr, LVN_COLUMNCLICK);
        });
        Attach(tree, cs);
    }

    QWidget* FocusWidget() const override { return m_tree; }
    UINT DialogCode(const MSG*) const override { return DLGC_WANTARROWS | DLGC_WANTCHARS; }

    void FocusChanged(bool gained) override
    {
        NMHDR header;
        NotifyParent(header, gained ? NM_SETFOCUS : NM_KILLFOCUS);
    }

    // Custom-draw colours of an item (and sub-item) as the parent chooses
    // them; CLR_INVALID keeps the list's own.
    void ItemColors(int row, int column, COLORREF& text, COLORREF& back)
    {
        text = m_textColor;
        back = m_textBackColor;
        if (!(m_prepaint & CDRF_NOTIFYITEMDRAW) || m_inCustomDraw) return;
        QTreeWidgetItem* item = m_tree ? m_tree->topLevelItem(row) : nullptr;
        if (!item) return;
        m_inCustomDraw = true;
        NMLVCUSTOMDRAW draw;
        draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
        draw.nmcd.dwItemSpec = static_cast<DWORD_PTR>(row);
        draw.nmcd.lItemlParam = item->data(0, kDataRole).toLongLong();
        draw.nmcd.hdc = DrawDc();
        draw.nmcd.uItemState = (item->isSelected() ? CDIS_SELECTED : 0u);
        draw.clrText = kDefaultColor;
        draw.clrTextBk = kDefaultColor;
        const LRESULT itemResult = NotifyParent(draw.nmcd.hdr, NM_CUSTOMDRAW);
        if (itemResult & CDRF_NOTIFYSUBITEMDRAW) {
            draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT | CDDS_SUBITEM;
            draw.iSubItem = column;
            NotifyParent(draw.nmcd.hdr, NM_CUSTOMDRAW);
        }
        m_inCustomDraw = false;
        if (draw.clrText != kDefaultColor) text = draw.clrText;
        if (draw.clrTextBk != kDefaultColor) back = draw.clrTextBk;
    }

    bool GridLines() const { return (m_exStyle & LVS_EX_GRIDLINES) != 0; }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (m_tree && watched == m_tree->viewport() && event->type() == QEvent::Paint) {
            // The parent's whole-control stage comes first; it says whether
            // items are asked too.
            NMLVCUSTOMDRAW draw;
            draw.nmcd.dwDrawStage = CDDS_PREPAINT;
            draw.nmcd.hdc = DrawDc();
            m_prepaint = NotifyParent(draw.nmcd.hdr, NM_CUSTOMDRAW);
        }
        return false;
    }

    bool ControlMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override
    {
        if (!m_tree) return false;
        const int count = m_tree->topLevelItemCount();
        const int index = static_cast<int>(static_cast<std::intptr_t>(wParam));
        switch (message) {
        case LVM_INSERTCOLUMNW:
            result = InsertColumn(index, reinterpret_cast<const LVCOLUMNW*>(lParam));
            return true;
        case LVM_DELETECOLUMN:
            if (index < 0 || index >= m_tree->columnCount()) {
                result = FALSE;
                return true;
            }
            DeleteColumn(index);
            if (index < static_cast<int>(m_formats.size())) m_formats.erase(m_formats.begin() + index);
            result = TRUE;
            return true;
        case LVM_GETCOLUMNW:
            result = GetColumn(index, reinterpret_cast<LVCOLUMNW*>(lParam));
            return true;
        case LVM_SETCOLUMNW:
            result = SetColumn(index, reinterpret_cast<const LVCOLUMNW*>(lParam));
            return true;
        case LVM_GETCOLUMNWIDTH:
            result = index < 0 || index >= m_tree->columnCount() ? 0 : m_tree->header()->sectionSize(index);
            return true;
        case LVM_SETCOLUMNWIDTH:
            result = SetColumnWidth(index, static_cast<SHORT>(LOWORD(lParam)));
            return true;
        case LVM_SETCOLUMNORDERARRAY:
        case LVM_GETCOLUMNORDERARRAY:
            result = ColumnOrder(message == LVM_SETCOLUMNORDERARRAY, index, reinterpret_cast<int*>(lParam));
            return true;
        case LVM_GETHEADER:
            if (!m_headerWindow || !::IsWindow(m_headerWindow)) {
                m_headerWindow = platform::CreateAdoptedHeader(m_hwnd, m_tree->header());
            }
            result = m_headerWindow.ToLParam();
            return true;
        case LVM_INSERTITEMW:
            result = InsertItem(reinterpret_cast<const LVITEMW*>(lParam));
            return true;
        case LVM_DELETEITEM:
            result = DeleteItem(index);
            return true;
        case LVM_DELETEALLITEMS:
            result = DeleteAll();
            return true;
        case LVM_GETITEMCOUNT:
            result = count;
            return true;
        case LVM_SETITEMCOUNT:
            result = TRUE;
            return true;
        case LVM_GETITEMW:
            result = GetItem(reinterpret_cast<LVITEMW*>(lParam));
            return true;
        case LVM_SETITEMW:
            result = SetItem(reinterpret_cast<const LVITEMW*>(lParam));
            return true;
        case LVM_SETITEMTEXTW: {
            auto* item = reinterpret_cast<const LVITEMW*>(lParam);
            QTreeWidgetItem* row = m_tree->topLevelItem(index);
            if (!item || !row || item->iSubItem < 0 || item->iSubItem >= m_tree->columnCount()) {
                result = FALSE;
                return true;
            }
            row->setText(item->iSubItem, ToQString(item->pszText));
            result = TRUE;
            return true;
        }
        case LVM_GETITEMTEXTW: {
            auto* item = reinterpret_cast<LVITEMW*>(lParam);
            QTreeWidgetItem* row = m_tree->topLevelItem(index);
            if (!item || !item->pszText || item->cchTextMax <= 0) {
                result = 0;
                return true;
            }
            const QString text = row && item->iSubItem >= 0 ? row->text(item->iSubItem) : QString();
            const int n = std::min<int>(static_cast<int>(text.size()), item->cchTextMax - 1);
            std::memcpy(item->pszText, text.utf16(), static_cast<std::size_t>(n) * sizeof(char16_t));
            item->pszText[n] = 0;
            result = n;
            return true;
        }
        case LVM_SETITEMSTATE: {
            auto* item = reinterpret_cast<const LVITEMW*>(lParam);
            if (!item) {
                result = FALSE;
                return true;
            }
            if (index == -1) {
                for (int row = 0; row < count; ++row) ApplyState(row, item->state, item->stateMask);
            } else if (index >= 0 && index < count) {
                ApplyState(index, item->state, item->stateMask);
            } else {
                result = FALSE;
                return true;
            }
            Sync();
            result = TRUE;
            return true;
        }
        case LVM_GETITEMSTATE:
            result = index >= 0 && index < count ? static_cast<LRESULT>(StateOf(index) & static_cast<UINT>(lParam)) : 0;
            return true;
        case LVM_GETNEXTITEM:
            result = NextItem(index, LOWORD(lParam));
            return true;
        case LVM_GETSELECTEDCOUNT:
            result = static_cast<LRESULT>(m_tree->selectedItems().size());
            return true;
        case LVM_GETSELECTIONMARK:
            result = m_mark;
            return true;
        case LVM_SETSELECTIONMARK:
            result = m_mark;
            m_mark = static_cast<int>(lParam);
            return true;
        case LVM_SETEXTENDEDLISTVIEWSTYLE: {
            result = m_exStyle;
            const DWORD mask = wParam ? static_cast<DWORD>(wParam) : 0xFFFFFFFFu;
            SetExtendedStyle((m_exStyle & ~mask) | (static_cast<DWORD>(lParam) & mask));
            return true;
        }
        case LVM_GETEXTENDEDLISTVIEWSTYLE:
            result = m_exStyle;
            return true;
        case LVM_SETIMAGELIST: {
            HIMAGELIST& slot = index == LVSIL_STATE ? m_stateImages : index == LVSIL_NORMAL ? m_normalImages : m_smallImages;
            result = slot.ToLParam();
            slot = HIMAGELIST::FromLParam(lParam);
            RefreshIcons();
            return true;
        }
        case LVM_GETIMAGELIST:
            result = (index == LVSIL_STATE ? m_stateImages : index == LVSIL_NORMAL ? m_normalImages : m_smallImages).ToLParam();
            return true;
        case LVM_ENSUREVISIBLE:
            if (QTreeWidgetItem* row = m_tree->topLevelItem(index)) m_tree->scrollToItem(row);
            result = TRUE;
            return true;
        case LVM_SCROLL:
            m_tree->horizontalScrollBar()->setValue(m_tree->horizontalScrollBar()->value() + index);
            m_tree->verticalScrollBar()->setValue(m_tree->verticalScrollBar()->value() + static_cast<int>(lParam) / std::max(1, RowHeight()));
            result = TRUE;
            return true;
        case LVM_GETTOPINDEX: {
            QTreeWidgetItem* top = m_tree->itemAt(QPoint(1, 1));
            result = top ? m_tree->indexOfTopLevelItem(top) : 0;
            return true;
        }
        case LVM_GETCOUNTPERPAGE:
            result = m_tree->viewport()->height() / std::max(1, RowHeight());
            return true;
        case LVM_GETITEMRECT:
            result = ItemRect(index, -1, reinterpret_cast<RECT*>(lParam));
            return true;
        case LVM_GETSUBITEMRECT: {
            auto* rect = reinterpret_cast<RECT*>(lParam);
            result = rect ? ItemRect(index, rect->top, rect) : FALSE;
            return true;
        }
        case LVM_HITTEST:
        case LVM_SUBITEMHITTEST: {
            auto* info = reinterpret_cast<LVHITTESTINFO*>(lParam);
            result = info ? HitTest(*info) : -1;
            return true;
        }
        case LVM_FINDITEMW:
            result = Find(index, reinterpret_cast<const LVFINDINFOW*>(lParam));
            return true;
        case LVM_SORTITEMS:
            result = Sort(reinterpret_cast<PFNLVCOMPARE>(lParam), static_cast<LPARAM>(wParam));
            return true;
        case LVM_SETBKCOLOR:
        case LVM_SETTEXTCOLOR:
        case LVM_SETTEXTBKCOLOR: {
            COLORREF& slot = message == LVM_SETBKCOLOR ? m_backColor : message == LVM_SETTEXTCOLOR ? m_textColor : m_textBackColor;
            slot = static_cast<COLORREF>(lParam);
            ApplyPalette();
            result = TRUE;
            return true;
        }
        case LVM_GETBKCOLOR:
            result = m_backColor == CLR_INVALID ? ::GetSysColor(COLOR_WINDOW) : m_backColor;
            return true;
        case LVM_GETTEXTCOLOR:
            result = m_textColor == CLR_INVALID ? ::GetSysColor(COLOR_WINDOWTEXT) : m_textColor;
            return true;
        case LVM_GETTEXTBKCOLOR:
            result = m_textBackColor == CLR_INVALID ? ::GetSysColor(COLOR_WINDOW) : m_textBackColor;
            return true;
        case LVM_REDRAWITEMS:
        case LVM_UPDATE:
            m_tree->viewport()->update();
            result = TRUE;
            return true;
        case LVM_GETSTRINGWIDTHW:
            result = m_tree->fontMetrics().horizontalAdvance(ToQString(reinterpret_cast<LPCWSTR>(lParam)));
            return true;
        case WM_KEYDOWN: {
            NMLVKEYDOWN info;
            info.wVKey = static_cast<WORD>(wParam);
            NotifyParent(info.hdr, LVN_KEYDOWN);
            if (wParam == VK_RETURN && ::IsWindow(m_hwnd)) {
                NMHDR header;
                NotifyParent(header, NM_RETURN);
            }
            MarkDefaultReached(message, wParam);
            return true;
        }
        case WM_LBUTTONUP:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONUP: {
            MarkDefaultReached(message, wParam);
            const QPoint client(static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam)));
            const QPoint inViewport = client - m_tree->viewport()->geometry().topLeft();
            if (inViewport.y() < 0) return true;
            NMITEMACTIVATE info;
            QTreeWidgetItem* item = m_tree->itemAt(inViewport);
            info.iItem = item ? m_tree->indexOfTopLevelItem(item) : -1;
            info.iSubItem = std::max(0, m_tree->header()->logicalIndexAt(inViewport.x()));
            info.ptAction = POINT{client.x(), client.y()};
            if (item) info.lParam = item->data(0, kDataRole).toLongLong();
            if (message == WM_LBUTTONUP && info.iItem >= 0) m_mark = info.iItem;
            NotifyParent(info.hdr, message == WM_LBUTTONUP ? NM_CLICK : message == WM_LBUTTONDBLCLK ? NM_DBLCLK : NM_RCLICK);
            return true;
        }
        default:
            return false;
        }
    }

private:
    friend class ListDelegate;

    HDC DrawDc()
    {
        // Custom draw hands out a DC; what the parent draws into it is not
        // shown (only the colours it chooses are).
        thread_local HDC dc = ::CreateCompatibleDC(HDC());
        return dc;
    }

    int RowHeight() const
    {
        if (m_tree && m_tree->topLevelItemCount() > 0) {
            const int h = m_tree->visualItemRect(m_tree->topLevelItem(0)).height();
            if (h > 0) return h;
        }
        return m_tree ? m_tree->fontMetrics().height() + 4 : 16;
    }

    Qt::Alignment AlignmentOf(int column) const
    {
        const int fmt = column >= 0 && column < static_cast<int>(m_formats.size()) ? m_formats[column] : LVCFMT_LEFT;
        // The first column is always left-aligned, as the system's.
        if (column == 0) return Qt::AlignLeft | Qt::AlignVCenter;
        const int justify = fmt & LVCFMT_JUSTIFYMASK;
        return (justify == LVCFMT_RIGHT ? Qt::AlignRight : justify == LVCFMT_CENTER ? Qt::AlignHCenter : Qt::AlignLeft) |
               Qt::AlignVCenter;
    }

    int InsertColumn(int at, const LVCOLUMNW* column)
    {
        if (!column) return -1;
        const int columns = m_tree->columnCount();
        at = std::clamp(at, 0, columns);
        if (columns == 0) {
            m_tree->setColumnCount(1);
        } else {
            m_tree->model()->insertColumn(at);
        }
        m_formats.insert(m_formats.begin() + at, (column->mask & LVCF_FMT) ? column->fmt : LVCFMT_LEFT);
        QTreeWidgetItem* header = m_tree->headerItem();
        header->setText(at, (column->mask & LVCF_TEXT) ? ToQString(column->pszText) : QString());
        header->setTextAlignment(at, AlignmentOf(at));
        m_tree->header()->resizeSection(at, (column->mask & LVCF_WIDTH) ? std::max(0, column->cx) : kDefaultColumnWidth);
        for (int row = 0; row < m_tree->topLevelItemCount(); ++row) m_tree->topLevelItem(row)->setTextAlignment(at, AlignmentOf(at));
        return at;
    }

    // The tree's own model cannot take a column out: the later columns move
    // one place to the left (texts, images, alignment, colours, widths) and
    // the last one goes.
    void DeleteColumn(int index)
    {
        const int columns = m_tree->columnCount();
        if (m_tree->model()->removeColumn(index) || m_tree->columnCount() < columns) return;
        static constexpr int kRoles[] = {Qt::DisplayRole,    Qt::DecorationRole, Qt::TextAlignmentRole,
                                         Qt::ForegroundRole, Qt::BackgroundRole, Qt::UserRole};
        auto shift = [&](QTreeWidgetItem* item) {
            for (int c = index; c + 1 < columns; ++c)
                for (int role : kRoles) item->setData(c, role, item->data(c + 1, role));
        };
        shift(m_tree->headerItem());
        for (int row = 0; row < m_tree->topLevelItemCount(); ++row) shift(m_tree->topLevelItem(row));
        for (int c = index; c + 1 < columns; ++c) m_tree->header()->resizeSection(c, m_tree->header()->sectionSize(c + 1));
        m_tree->setColumnCount(columns - 1);
    }

    BOOL GetColumn(int index, LVCOLUMNW* column) const
    {
        if (!column || index < 0 || index >= m_tree->columnCount()) return FALSE;
        if (column->mask & LVCF_FMT) column->fmt = index < static_cast<int>(m_formats.size()) ? m_formats[index] : 0;
        if (column->mask & LVCF_WIDTH) column->cx = m_tree->header()->sectionSize(index);
        if ((column->mask & LVCF_TEXT) && column->pszText && column->cchTextMax > 0) {
            const QString text = m_tree->headerItem()->text(index);
            const int n = std::min<int>(static_cast<int>(text.size()), column->cchTextMax - 1);
            std::memcpy(column->pszText, text.utf16(), static_cast<std::size_t>(n) * sizeof(char16_t));
            column->pszText[n] = 0;
        }
        if (column->mask & LVCF_SUBITEM) column->iSubItem = index;
        if (column->mask & LVCF_ORDER) column->iOrder = m_tree->header()->visualIndex(index);
        return TRUE;
    }

    BOOL SetColumn(int index, const LVCOLUMNW* column)
    {
        if (!column || index < 0 || index >= m_tree->columnCount()) return FALSE;
        if (column->mask & LVCF_FMT) {
            m_formats[static_cast<std::size_t>(index)] = column->fmt;
            m_tree->headerItem()->setTextAlignment(index, AlignmentOf(index));
            for (int row = 0; row < m_tree->topLevelItemCount(); ++row) {
                m_tree->topLevelItem(row)->setTextAlignment(index, AlignmentOf(index));
            }
        }
        if (column->mask & LVCF_TEXT) m_tree->headerItem()->setText(index, ToQString(column->pszText));
        if (column->mask & LVCF_WIDTH) m_tree->header()->resizeSection(index, std::max(0, column->cx));
        if (column->mask & LVCF_ORDER) {
            m_tree->header()->moveSection(m_tree->header()->visualIndex(index),
                                          std::clamp(column->iOrder, 0, m_tree->columnCount() - 1));
        }
        return TRUE;
    }

    BOOL SetColumnWidth(int index, int cx)
    {
        if (index < 0 || index >= m_tree->columnCount()) return FALSE;
        if (cx == LVSCW_AUTOSIZE || cx == LVSCW_AUTOSIZE_USEHEADER) {
            int width = 0;
            const QFontMetrics metrics = m_tree->fontMetrics();
            for (int row = 0; row < m_tree->topLevelItemCount(); ++row) {
                width = std::max(width, metrics.horizontalAdvance(m_tree->topLevelItem(row)->text(index)));
            }
            if (cx == LVSCW_AUTOSIZE_USEHEADER) {
                width = std::max(width, metrics.horizontalAdvance(m_tree->headerItem()->text(index)) + 8);
            }
            cx = width + 12;
        }
        m_tree->header()->resizeSection(index, std::max(0, cx));
        return TRUE;
    }

    BOOL ColumnOrder(bool set, int count, int* order)
    {
        QHeaderView* header = m_tree->header();
        if (!order || count != header->count()) return FALSE;
        if (!set) {
            for (int v = 0; v < count; ++v) order[v] = header->logicalIndex(v);
            return TRUE;
        }
        for (int v = 0; v < count; ++v) {
            if (order[v] < 0 || order[v] >= count) return FALSE;
        }
        for (int v = 0; v < count; ++v) header->moveSection(header->visualIndex(order[v]), v);
        return TRUE;
    }

    QTreeWidgetItem* NewItem()
    {
        auto* item = new QTreeWidgetItem;
        item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | ((m_exStyle & LVS_EX_CHECKBOXES) ? Qt::ItemIsUserCheckable : Qt::NoItemFlags));
        if (m_exStyle & LVS_EX_CHECKBOXES) item->setCheckState(0, Qt::Unchecked);
        item->setData(0, kDataRole, QVariant::fromValue<qlonglong>(0));
        for (int c = 0; c < m_tree->columnCount(); ++c) item->setTextAlignment(c, AlignmentOf(c));
        return item;
    }

    int InsertItem(const LVITEMW* info)
    {
        if (!info || info->iSubItem != 0) return -1;
        const int count = m_tree->topLevelItemCount();
        int at = std::clamp(info->iItem, 0, count);
        const QString text = (info->mask & LVIF_TEXT) ? ToQString(info->pszText) : QString();
        const DWORD style = Style();
        if (style & (LVS_SORTASCENDING | LVS_SORTDESCENDING)) {
            const bool ascending = (style & LVS_SORTASCENDING) != 0;
            at = 0;
            while (at < count) {
                const int cmp = QString::compare(m_tree->topLevelItem(at)->text(0), text, Qt::CaseInsensitive);
                if (ascending ? cmp > 0 : cmp < 0) break;
                ++at;
            }
        }
        QTreeWidgetItem* item = NewItem();
        if (m_tree->columnCount() == 0) m_tree->setColumnCount(1);
        item->setText(0, text);
        if (info->mask & LVIF_PARAM) item->setData(0, kDataRole, QVariant::fromValue<qlonglong>(info->lParam));
        if (info->mask & LVIF_IMAGE) item->setData(0, kImageRole, info->iImage);
        {
            Guard guard(m_syncing);
            m_tree->insertTopLevelItem(at, item);
            m_states.insert(m_states.begin() + at, StateOfItem(item));
        }
        SetIcons(item);
        if (info->mask & LVIF_STATE) ApplyState(at, info->state, info->stateMask);
        NMLISTVIEW notify;
        notify.iItem = at;
        notify.lParam = item->data(0, kDataRole).toLongLong();
        NotifyParent(notify.hdr, LVN_INSERTITEM);
        Sync();
        return at;
    }

    BOOL DeleteItem(int index)
    {
        QTreeWidgetItem* item = m_tree->topLevelItem(index);
        if (!item) return FALSE;
        NMLISTVIEW notify;
        notify.iItem = index;
        notify.lParam = item->data(0, kDataRole).toLongLong();
        NotifyParent(notify.hdr, LVN_DELETEITEM);
        if (!::IsWindow(m_hwnd) || !m_tree) return FALSE;
        item = m_tree->topLevelItem(index);
        if (!item) return FALSE;
        {
            Guard guard(m_syncing);
            delete m_tree->takeTopLevelItem(index);
            if (index < static_cast<int>(m_states.size())) m_states.erase(m_states.begin() + index);
        }
        if (m_mark >= m_tree->topLevelItemCount()) m_mark = -1;
        Sync();
        return TRUE;
    }

    BOOL DeleteAll()
    {
        NMLISTVIEW notify;
        notify.iItem = -1;
        // A non-zero answer spares the item-by-item notifications.
        const bool each = NotifyParent(notify.hdr, LVN_DELETEALLITEMS) == 0;
        if (!::IsWindow(m_hwnd) || !m_tree) return FALSE;
        if (each) {
            for (int row = 0; row < m_tree->topLevelItemCount(); ++row) {
                NMLISTVIEW one;
                one.iItem = row;
                one.lParam = m_tree->topLevelItem(row)->data(0, kDataRole).toLongLong();
                NotifyParent(one.hdr, LVN_DELETEITEM);
                if (!::IsWindow(m_hwnd) || !m_tree) return FALSE;
            }
        }
        Guard guard(m_syncing);
        m_tree->clear();
        m_states.clear();
        m_mark = -1;
        return TRUE;
    }

    BOOL GetItem(LVITEMW* info) const
    {
        if (!info) return FALSE;
        QTreeWidgetItem* item = m_tree->topLevelItem(info->iItem);
        if (!item || info->iSubItem < 0 || info->iSubItem >= std::max(1, m_tree->columnCount())) return FALSE;
        if ((info->mask & LVIF_TEXT) && info->pszText && info->cchTextMax > 0) {
            const QString text = item->text(info->iSubItem);
            const int n = std::min<int>(static_cast<int>(text.size()), info->cchTextMax - 1);
            std::memcpy(info->pszText, text.utf16(), static_cast<std::size_t>(n) * sizeof(char16_t));
            info->pszText[n] = 0;
        }
        if (info->mask & LVIF_PARAM) info->lParam = static_cast<LPARAM>(item->data(0, kDataRole).toLongLong());
        if (info->mask & LVIF_IMAGE) {
            const QVariant image = item->data(info->iSubItem, kImageRole);
            info->iImage = image.isValid() ? image.toInt() : -1;
        }
        if (info->mask & LVIF_STATE) info->state = StateOf(info->iItem) & info->stateMask;
        return TRUE;
    }

    BOOL SetItem(const LVITEMW* info)
    {
        if (!info) return FALSE;
        QTreeWidgetItem* item = m_tree->topLevelItem(info->iItem);
        if (!item || info->iSubItem < 0 || info->iSubItem >= std::max(1, m_tree->columnCount())) return FALSE;
        if (info->mask & LVIF_TEXT) item->setText(info->iSubItem, ToQString(info->pszText));
        if (info->mask & LVIF_PARAM) item->setData(0, kDataRole, QVariant::fromValue<qlonglong>(info->lParam));
        if (info->mask & LVIF_IMAGE) {
            item->setData(info->iSubItem, kImageRole, info->iImage);
            SetIcons(item);
        }
        if (info->mask & LVIF_STATE) {
            ApplyState(info->iItem, info->state, info->stateMask);
            Sync();
        }
        return TRUE;
    }

    UINT StateOfItem(QTreeWidgetItem* item) const
    {
        UINT state = 0;
        if (item->isSelected()) state |= LVIS_SELECTED;
        if (m_tree->currentItem() == item) state |= LVIS_FOCUSED;
        if (m_exStyle & LVS_EX_CHECKBOXES) {
            state |= INDEXTOSTATEIMAGEMASK(item->checkState(0) == Qt::Checked ? 2 : 1);
        } else {
            state |= INDEXTOSTATEIMAGEMASK(static_cast<UINT>(item->data(0, kStateImageRole).toInt()) & 0xF);
        }
        return state;
    }

    UINT StateOf(int row) const
    {
        QTreeWidgetItem* item = m_tree->topLevelItem(row);
        return item ? StateOfItem(item) : 0;
    }

    void ApplyState(int row, UINT state, UINT mask)
    {
        QTreeWidgetItem* item = m_tree->topLevelItem(row);
        if (!item) return;
        Guard guard(m_syncing);
        if (mask & LVIS_SELECTED) item->setSelected((state & LVIS_SELECTED) != 0);
        if (mask & LVIS_FOCUSED) {
            if (state & LVIS_FOCUSED) {
                m_tree->setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
            } else if (m_tree->currentItem() == item) {
                m_tree->setCurrentItem(nullptr, 0, QItemSelectionModel::NoUpdate);
            }
        }
        if (mask & LVIS_STATEIMAGEMASK) {
            const UINT image = (state & LVIS_STATEIMAGEMASK) >> 12;
            if (m_exStyle & LVS_EX_CHECKBOXES) {
                item->setCheckState(0, image == 2 ? Qt::Checked : Qt::Unchecked);
            } else {
                item->setData(0, kStateImageRole, static_cast<int>(image));
            }
        }
    }

    // Tells LVN_ITEMCHANGED for every item whose state moved since last time.
    void Sync()
    {
        if (m_syncing || !m_tree) return;
        Guard guard(m_syncing);
        const int count = m_tree->topLevelItemCount();
        m_states.resize(static_cast<std::size_t>(count), 0);
        std::vector<std::pair<int, std::pair<UINT, UINT>>> changes;
        for (int row = 0; row < count; ++row) {
            const UINT now = StateOf(row);
            if (now != m_states[static_cast<std::size_t>(row)]) {
                changes.push_back({row, {m_states[static_cast<std::size_t>(row)], now}});
                m_states[static_cast<std::size_t>(row)] = now;
            }
        }
        // Items that lose a state come before those that gain it.
        std::stable_sort(changes.begin(), changes.end(), [](const auto& a, const auto& b) {
            const bool aLoses = (a.second.first & ~a.second.second) != 0;
            const bool bLoses = (b.second.first & ~b.second.second) != 0;
            return aLoses && !bLoses;
        });
        for (const auto& [row, states] : changes) {
            if (!::IsWindow(m_hwnd) || !m_tree) return;
            NMLISTVIEW notify;
            notify.iItem = row;
            notify.uOldState = states.first;
            notify.uNewState = states.second;
            notify.uChanged = LVIF_STATE;
            if (QTreeWidgetItem* item = m_tree->topLevelItem(row)) notify.lParam = item->data(0, kDataRole).toLongLong();
            NotifyParent(notify.hdr, LVN_ITEMCHANGED);
        }
    }

    int NextItem(int start, UINT flags) const
    {
        const int count = m_tree->topLevelItemCount();
        if (flags & LVNI_ABOVE) {
            for (int row = start - 1; row >= 0; --row)
                if (Matches(row, flags)) return row;
            return -1;
        }
        for (int row = start < 0 ? 0 : start + 1; row < count; ++row)
            if (Matches(row, flags)) return row;
        return -1;
    }

    bool Matches(int row, UINT flags) const
    {
        const UINT state = StateOf(row);
        if ((flags & LVNI_SELECTED) && !(state & LVIS_SELECTED)) return false;
        if ((flags & LVNI_FOCUSED) && !(state & LVIS_FOCUSED)) return false;
        return true;
    }

    void SetExtendedStyle(DWORD style)
    {
        const DWORD changed = style ^ m_exStyle;
        m_exStyle = style;
        if (changed & LVS_EX_CHECKBOXES) {
            Guard guard(m_syncing);
            for (int row = 0; row < m_tree->topLevelItemCount(); ++row) {
                QTreeWidgetItem* item = m_tree->topLevelItem(row);
                if (style & LVS_EX_CHECKBOXES) {
                    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
                    item->setCheckState(0, Qt::Unchecked);
                } else {
                    item->setFlags(item->flags() & ~Qt::ItemIsUserCheckable);
                    item->setData(0, Qt::CheckStateRole, QVariant());
                }
            }
        }
        if (changed & LVS_EX_HEADERDRAGDROP) m_tree->header()->setSectionsMovable((style & LVS_EX_HEADERDRAGDROP) != 0);
        m_tree->viewport()->update();
        Sync();
    }

    void SetIcons(QTreeWidgetItem* item)
    {
        for (int c = 0; c < std::max(1, m_tree->columnCount()); ++c) {
            const QVariant index = item->data(c, kImageRole);
            const bool wanted = c == 0 || (m_exStyle & LVS_EX_SUBITEMIMAGES);
            if (!index.isValid() || !wanted || !m_smallImages) {
                item->setIcon(c, QIcon());
                continue;
            }
            const QImage image = ImageFromImageList(m_smallImages, index.toInt());
            item->setIcon(c, image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image)));
        }
    }

    void RefreshIcons()
    {
        for (int row = 0; row < m_tree->topLevelItemCount(); ++row) SetIcons(m_tree->topLevelItem(row));
        int cx = 0;
        int cy = 0;
        if (m_smallImages && ImageList_GetIconSize(m_smallImages, &cx, &cy)) m_tree->setIconSize(QSize(cx, cy));
    }

    void ApplyPalette()
    {
        QPalette palette = m_tree->palette();
        if (m_backColor != CLR_INVALID) palette.setColor(QPalette::Base, ToQColor(m_backColor));
        if (m_textColor != CLR_INVALID) palette.setColor(QPalette::Text, ToQColor(m_textColor));
        m_tree->setPalette(palette);
        m_tree->viewport()->update();
    }

    QPoint Offset() const { return m_tree->viewport()->geometry().topLeft(); }

    // A part of the first cell of a row (check box, image, text) in the
    // viewport, as the style lays it out.
    QRect PartRect(int row, QStyle::SubElement part) const
    {
        const QModelIndex index = m_tree->model()->index(row, 0);
        QStyleOptionViewItem option;
        option.initFrom(m_tree);
        option.rect = m_tree->visualRect(index);
        option.decorationSize = m_tree->iconSize();
        option.features = QStyleOptionViewItem::HasDisplay;
        if (index.data(Qt::CheckStateRole).isValid()) {
            option.features |= QStyleOptionViewItem::HasCheckIndicator;
            option.checkState = index.data(Qt::CheckStateRole).value<Qt::CheckState>();
        }
        if (!index.data(Qt::DecorationRole).value<QIcon>().isNull()) option.features |= QStyleOptionViewItem::HasDecoration;
        option.text = index.data(Qt::DisplayRole).toString();
        const QRect r = m_tree->style()->subElementRect(part, &option, m_tree);
        if (r.isValid()) return r;
        // No such part: an empty rectangle at the cell's left.
        return QRect(option.rect.topLeft(), QSize(0, option.rect.height()));
    }

    BOOL ItemRect(int row, int subItem, RECT* rect) const
    {
        QTreeWidgetItem* item = m_tree->topLevelItem(row);
        if (!rect || !item) return FALSE;
        const QPoint offset = m_tree->viewport()->geometry().topLeft();
        QRect r;
        if (subItem < 0) {
            r = m_tree->visualItemRect(item);
            const int code = rect->left;
            if (code == LVIR_LABEL) r = PartRect(row, QStyle::SE_ItemViewItemText);
            if (code == LVIR_ICON) r = PartRect(row, QStyle::SE_ItemViewItemDecoration);
        } else {
            r = m_tree->visualRect(m_tree->model()->index(row, subItem));
        }
        r.translate(offset);
        *rect = RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
        return TRUE;
    }

    int HitTest(LVHITTESTINFO& info) const
    {
        const QPoint inViewport = QPoint(info.pt.x, info.pt.y) - m_tree->viewport()->geometry().topLeft();
        QTreeWidgetItem* item = inViewport.y() >= 0 ? m_tree->itemAt(inViewport) : nullptr;
        info.iItem = item ? m_tree->indexOfTopLevelItem(item) : -1;
        info.iSubItem = item ? std::max(0, m_tree->header()->logicalIndexAt(inViewport.x())) : 0;
        info.flags = item ? LVHT_ONITEMLABEL : LVHT_NOWHERE;
        if (item && info.iSubItem == 0) {
            const QPoint at(info.pt.x, info.pt.y);
            if (PartRect(info.iItem, QStyle::SE_ItemViewItemCheckIndicator).translated(Offset()).contains(at)) {
                info.flags = LVHT_ONITEMSTATEICON;
            } else if (PartRect(info.iItem, QStyle::SE_ItemViewItemDecoration).translated(Offset()).contains(at)) {
                info.flags = LVHT_ONITEMICON;
            }
        }
        if (inViewport.y() < 0) info.flags = LVHT_ABOVE;
        return info.iItem;
    }

    int Find(int start, const LVFINDINFOW* find) const
    {
        if (!find) return -1;
        const int count = m_tree->topLevelItemCount();
        const QString text = ToQString(find->psz);
        auto matches = [&](int row) {
            QTreeWidgetItem* item = m_tree->topLevelItem(row);
            if (find->flags & LVFI_PARAM) return item->data(0, kDataRole).toLongLong() == static_cast<qlonglong>(find->lParam);
            if (find->flags & (LVFI_STRING | LVFI_PARTIAL)) {
                return (find->flags & LVFI_PARTIAL) ? item->text(0).startsWith(text, Qt::CaseInsensitive)
                                                    : QString::compare(item->text(0), text, Qt::CaseInsensitive) == 0;
            }
            return false;
        };
        for (int row = start + 1; row < count; ++row)
            if (matches(row)) return row;
        if (find->flags & LVFI_WRAP) {
            for (int row = 0; row <= std::min(start, count - 1); ++row)
                if (matches(row)) return row;
        }
        return -1;
    }

    BOOL Sort(PFNLVCOMPARE compare, LPARAM data)
    {
        if (!compare) return FALSE;
        Guard guard(m_syncing);
        const int count = m_tree->topLevelItemCount();
        struct Row {
            QTreeWidgetItem* item;
            bool selected;
            bool current;
        };
        std::vector<Row> rows;
        QTreeWidgetItem* current = m_tree->currentItem();
        for (int i = 0; i < count; ++i) {
            QTreeWidgetItem* item = m_tree->topLevelItem(i);
            rows.push_back({item, item->isSelected(), item == current});
        }
        for (int i = count - 1; i >= 0; --i) m_tree->takeTopLevelItem(i);
        std::stable_sort(rows.begin(), rows.end(), [&](const Row& a, const Row& b) {
            return compare(static_cast<LPARAM>(a.item->data(0, kDataRole).toLongLong()),
                           static_cast<LPARAM>(b.item->data(0, kDataRole).toLongLong()), data) < 0;
        });
        for (const Row& r : rows) m_tree->addTopLevelItem(r.item);
        for (const Row& r : rows) {
            r.item->setSelected(r.selected);
            if (r.current) m_tree->setCurrentItem(r.item, 0, QItemSelectionModel::NoUpdate);
        }
        // The states moved with their items: no change to tell.
        m_states.clear();
        for (int i = 0; i < count; ++i) m_states.push_back(StateOf(i));
        return TRUE;
    }

    struct Guard {
        explicit Guard(bool& flag) : m_flag(flag), m_saved(flag) { flag = true; }
        ~Guard() { m_flag = m_saved; }
        bool& m_flag;
        bool m_saved;
    };

    QPointer<QTreeWidget> m_tree;
    std::vector<int> m_formats;
    std::vector<UINT> m_states;
    DWORD m_exStyle = 0;
    HIMAGELIST m_smallImages;
    HIMAGELIST m_normalImages;
    HIMAGELIST m_stateImages;
    HWND m_headerWindow;
    COLORREF m_backColor = CLR_INVALID;
    COLORREF m_textColor = CLR_INVALID;
    COLORREF m_textBackColor = CLR_INVALID;
    LRESULT m_prepaint = 0;
    bool m_inCustomDraw = false;
    bool m_syncing = false;
    int m_mark = -1;
};

void ListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    COLORREF text = CLR_INVALID;
    COLORREF back = CLR_INVALID;
    m_peer.ItemColors(index.row(), index.column(), text, back);
    QStyleOptionViewItem o = option;
    const bool selected = (o.state & QStyle::State_Selected) != 0;
    if (!selected && back != CLR_INVALID) painter->fillRect(o.rect, ToQColor(back));
    if (!selected && text != CLR_INVALID) o.palette.setColor(QPalette::Text, ToQColor(text));
    QStyledItemDelegate::paint(painter, o, index);
    if (m_peer.GridLines()) {
        painter->save();
        painter->setPen(ToQColor(::GetSysColor(COLOR_3DLIGHT)));
        painter->drawLine(o.rect.topRight(), o.rect.bottomRight());
        painter->drawLine(o.rect.bottomLeft(), o.rect.bottomRight());
        painter->restore();
    }
}

std::unique_ptr<WidgetPeer> MakeList(HWND hwnd, const CREATESTRUCTW& cs, QWidget* parent)
{
    return std::make_unique<ListPeer>(hwnd, cs, parent);
}

const bool kRegistered = RegisterWindowClass(WC_LISTVIEW, &MakeList, &NewStandIn<CListCtrl>);

}  // namespace

}  // namespace platform::ui
