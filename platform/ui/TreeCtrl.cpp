#include "platform/ui/TreeCtrl.h"

#include "platform/ui/WidgetPeer.h"
#include "platform/ui/WindowSurface.h"

#include <QHeaderView>
#include <QPainter>
#include <QTreeWidget>

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>

IMPLEMENT_DYNAMIC(CTreeCtrl, CWnd)

BOOL CTreeCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    return CreateEx(0, WC_TREEVIEW, u"", dwStyle, rect, pParentWnd, nID);
}

HTREEITEM CTreeCtrl::InsertItem(LPCTSTR lpszItem, HTREEITEM hParent, HTREEITEM hInsertAfter)
{
    return InsertItem(TVIF_TEXT, lpszItem, 0, 0, 0, 0, 0, hParent, hInsertAfter);
}

HTREEITEM CTreeCtrl::InsertItem(LPCTSTR lpszItem, int nImage, int nSelectedImage, HTREEITEM hParent, HTREEITEM hInsertAfter)
{
    return InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE, lpszItem, nImage, nSelectedImage, 0, 0, 0, hParent,
                      hInsertAfter);
}

HTREEITEM CTreeCtrl::InsertItem(UINT nMask, LPCTSTR lpszItem, int nImage, int nSelectedImage, UINT nState,
                                UINT nStateMask, LPARAM lParam, HTREEITEM hParent, HTREEITEM hInsertAfter)
{
    TVINSERTSTRUCT insert;
    insert.hParent = hParent;
    insert.hInsertAfter = hInsertAfter;
    insert.item.mask = nMask;
    insert.item.pszText = const_cast<LPWSTR>(lpszItem);
    insert.item.iImage = nImage;
    insert.item.iSelectedImage = nSelectedImage;
    insert.item.state = nState;
    insert.item.stateMask = nStateMask;
    insert.item.lParam = lParam;
    return InsertItem(&insert);
}

CString CTreeCtrl::GetItemText(HTREEITEM hItem) const
{
    for (int size = 256; size <= (1 << 20); size *= 4) {
        std::u16string buffer(static_cast<std::size_t>(size), u'\0');
        TVITEM item;
        item.mask = TVIF_TEXT | TVIF_HANDLE;
        item.hItem = hItem;
        item.pszText = buffer.data();
        item.cchTextMax = size;
        if (!GetItem(&item)) return CString();
        const CString text(buffer.c_str());
        if (text.GetLength() < size - 1) return text;
    }
    return CString();
}

BOOL CTreeCtrl::SetItemText(HTREEITEM hItem, LPCTSTR lpszItem)
{
    TVITEM item;
    item.mask = TVIF_TEXT | TVIF_HANDLE;
    item.hItem = hItem;
    item.pszText = const_cast<LPWSTR>(lpszItem);
    return SetItem(&item);
}

DWORD_PTR CTreeCtrl::GetItemData(HTREEITEM hItem) const
{
    TVITEM item;
    item.mask = TVIF_PARAM | TVIF_HANDLE;
    item.hItem = hItem;
    return GetItem(&item) ? static_cast<DWORD_PTR>(item.lParam) : 0;
}

BOOL CTreeCtrl::SetItemData(HTREEITEM hItem, DWORD_PTR dwData)
{
    TVITEM item;
    item.mask = TVIF_PARAM | TVIF_HANDLE;
    item.hItem = hItem;
    item.lParam = static_cast<LPARAM>(dwData);
    return SetItem(&item);
}

BOOL CTreeCtrl::GetItemImage(HTREEITEM hItem, int& nImage, int& nSelectedImage) const
{
    TVITEM item;
    item.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_HANDLE;
    item.hItem = hItem;
    if (!GetItem(&item)) return FALSE;
    nImage = item.iImage;
    nSelectedImage = item.iSelectedImage;
    return TRUE;
}

BOOL CTreeCtrl::SetItemImage(HTREEITEM hItem, int nImage, int nSelectedImage)
{
    TVITEM item;
    item.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_HANDLE;
    item.hItem = hItem;
    item.iImage = nImage;
    item.iSelectedImage = nSelectedImage;
    return SetItem(&item);
}

BOOL CTreeCtrl::SetItemState(HTREEITEM hItem, UINT nState, UINT nStateMask)
{
    TVITEM item;
    item.mask = TVIF_STATE | TVIF_HANDLE;
    item.hItem = hItem;
    item.state = nState;
    item.stateMask = nStateMask;
    return SetItem(&item);
}

CImageList* CTreeCtrl::SetImageList(CImageList* pImageList, int nImageListType)
{
    SendMessage(TVM_SETIMAGELIST, static_cast<WPARAM>(nImageListType), pImageList ? pImageList->GetSafeHandle().ToLParam() : 0);
    return nullptr;
}

HTREEITEM CTreeCtrl::HitTest(POINT pt, UINT* pFlags) const
{
    TVHITTESTINFO info;
    info.pt = pt;
    const HTREEITEM item = HitTest(&info);
    if (pFlags) *pFlags = info.flags;
    return item;
}

BOOL CTreeCtrl::GetItemRect(HTREEITEM hItem, RECT* lpRect, BOOL bTextOnly) const
{
    if (!lpRect) return FALSE;
    *reinterpret_cast<HTREEITEM*>(lpRect) = hItem;
    return static_cast<BOOL>(SendMessage(TVM_GETITEMRECT, bTextOnly, reinterpret_cast<LPARAM>(lpRect)));
}

namespace platform::ui {

namespace {

constexpr int kIdRole = Qt::UserRole + 1;
constexpr int kDataRole = Qt::UserRole + 2;
constexpr int kImageRole = Qt::UserRole + 3;
constexpr int kSelectedImageRole = Qt::UserRole + 4;
constexpr int kStateImageRole = Qt::UserRole + 5;

// The tree as the system draws it: dotted lines joining items to their
// parents and siblings (TVS_HASLINES), and boxed plus and minus buttons on
// items with children (TVS_HASBUTTONS).
class LinedTree final : public QTreeWidget {
public:
    LinedTree(QWidget* parent, bool lines, bool buttons) : QTreeWidget(parent), m_lines(lines), m_buttons(buttons) {}

protected:
    void drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const override
    {
        if (!m_lines && !m_buttons) {
            QTreeWidget::drawBranches(painter, rect, index);
            return;
        }
        std::vector<QModelIndex> chain;
        for (QModelIndex i = index; i.isValid(); i = i.parent()) chain.push_back(i);
        const int indent = indentation();
        const int levels = static_cast<int>(chain.size()) - (rootIsDecorated() ? 0 : 1);
        const int right = rect.right() + 1;
        const QColor lineColor = ToQColor(::GetSysColor(COLOR_GRAYTEXT));
        painter->save();
        for (int level = 0; level < levels; ++level) {
            const QModelIndex& node = chain[static_cast<std::size_t>(level)];
            const int left = right - (level + 1) * indent;
            const int cx = left + indent / 2;
            const int cy = rect.top() + rect.height() / 2;
            const bool hasNext = node.sibling(node.row() + 1, 0).isValid();
            if (m_lines) {
                if (level == 0) {
                    const bool hasAbove = node.row() > 0 || node.parent().isValid();
                    DottedLine(painter, lineColor, QPoint(cx, hasAbove ? rect.top() : cy), QPoint(cx, hasNext ? rect.bottom() : cy));
                    DottedLine(painter, lineColor, QPoint(cx, cy), QPoint(left + indent - 2, cy));
                } else if (hasNext) {
                    DottedLine(painter, lineColor, QPoint(cx, rect.top()), QPoint(cx, rect.bottom()));
                }
            }
            if (level == 0 && m_buttons && model()->hasChildren(node)) {
                const QRect box(cx - 4, cy - 4, 9, 9);
                painter->fillRect(box, ToQColor(::GetSysColor(COLOR_WINDOW)));
                painter->setPen(lineColor);
                painter->drawRect(box.adjusted(0, 0, -1, -1));
                painter->setPen(ToQColor(::GetSysColor(COLOR_WINDOWTEXT)));
                painter->drawLine(cx - 2, cy, cx + 2, cy);
                if (!isExpanded(node)) painter->drawLine(cx, cy - 2, cx, cy + 2);
            }
        }
        painter->restore();
    }

private:
    // Every other pixel, as the system's lines are.
    static void DottedLine(QPainter* painter, const QColor& color, QPoint from, QPoint to)
    {
        painter->setPen(color);
        if (from.x() == to.x()) {
            for (int y = from.y() + ((from.y() ^ from.x()) & 1); y <= to.y(); y += 2) painter->drawPoint(from.x(), y);
        } else {
            for (int x = from.x() + ((from.x() ^ from.y()) & 1); x <= to.x(); x += 2) painter->drawPoint(x, from.y());
        }
    }

    bool m_lines;
    bool m_buttons;
};

class TreePeer final : public WidgetPeer {
public:
    TreePeer(HWND hwnd, const CREATESTRUCTW& cs, QWidget* parent) : WidgetPeer(hwnd, cs)
    {
        const DWORD style = static_cast<DWORD>(cs.style);
        auto* tree = new LinedTree(parent, (style & TVS_HASLINES) != 0, (style & TVS_HASBUTTONS) != 0);
        m_tree = tree;
        tree->setHeaderHidden(true);
        tree->setColumnCount(1);
        tree->setSelectionMode(QAbstractItemView::SingleSelection);
        tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
        tree->setRootIsDecorated((style & TVS_LINESATROOT) != 0);
        tree->setItemsExpandable(true);
        tree->setExpandsOnDoubleClick(true);
        if (!(style & WS_BORDER) && !(static_cast<DWORD>(cs.dwExStyle) & WS_EX_CLIENTEDGE)) tree->setFrameShape(QFrame::NoFrame);
        QObject::connect(tree, &QTreeWidget::currentItemChanged, this,
                         [this](QTreeWidgetItem* now, QTreeWidgetItem* old) { SelectionChanged(now, old); });
        QObject::connect(tree, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) { Expanded(item, true); });
        QObject::connect(tree, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* item) { Expanded(item, false); });
        Attach(tree, cs);
    }

    QWidget* FocusWidget() const override { return m_tree; }
    UINT DialogCode(const MSG*) const override { return DLGC_WANTARROWS | DLGC_WANTCHARS; }

    void FocusChanged(bool gained) override
    {
        NMHDR header;
        NotifyParent(header, gained ? NM_SETFOCUS : NM_KILLFOCUS);
    }

    bool ControlMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override
    {
        if (!m_tree) return false;
        switch (message) {
        case TVM_INSERTITEMW:
            result = reinterpret_cast<LRESULT>(Insert(reinterpret_cast<const TVINSERTSTRUCTW*>(lParam)));
            return true;
        case TVM_DELETEITEM:
            result = Delete(reinterpret_cast<HTREEITEM>(lParam));
            return true;
        case TVM_EXPAND: {
            QTreeWidgetItem* item = ItemOf(reinterpret_cast<HTREEITEM>(lParam));
            if (!item) {
                result = FALSE;
                return true;
            }
            const UINT code = static_cast<UINT>(wParam) & 0x3;
            const bool expand = code == TVE_EXPAND || (code == TVE_TOGGLE && !item->isExpanded());
            {
                m_programExpand = true;
                item->setExpanded(expand);
                m_programExpand = false;
            }
            result = TRUE;
            return true;
        }
        case TVM_GETCOUNT:
            result = static_cast<LRESULT>(m_items.size());
            return true;
        case TVM_GETITEMW:
            result = GetItem(reinterpret_cast<TVITEMW*>(lParam));
            return true;
        case TVM_SETITEMW:
            result = SetItem(reinterpret_cast<const TVITEMW*>(lParam));
            return true;
        case TVM_GETITEMSTATE: {
            QTreeWidgetItem* item = ItemOf(reinterpret_cast<HTREEITEM>(wParam));
            result = item ? static_cast<LRESULT>(StateOf(item) & static_cast<UINT>(lParam)) : 0;
            return true;
        }
        case TVM_GETNEXTITEM:
            result = reinterpret_cast<LRESULT>(Next(reinterpret_cast<HTREEITEM>(lParam), static_cast<UINT>(wParam)));
            return true;
        case TVM_SELECTITEM: {
            if (wParam != TVGN_CARET && wParam != TVGN_FIRSTVISIBLE) {
                result = FALSE;
                return true;
            }
            QTreeWidgetItem* item = lParam ? ItemOf(reinterpret_cast<HTREEITEM>(lParam)) : nullptr;
            if (lParam && !item) {
                result = FALSE;
                return true;
            }
            if (wParam == TVGN_FIRSTVISIBLE) {
                if (item) m_tree->scrollToItem(item, QAbstractItemView::PositionAtTop);
            } else {
                m_action = TVC_UNKNOWN;
                m_tree->setCurrentItem(item);
                if (item) m_tree->scrollToItem(item);
            }
            result = TRUE;
            return true;
        }
        case TVM_ENSUREVISIBLE:
            if (QTreeWidgetItem* item = ItemOf(reinterpret_cast<HTREEITEM>(lParam))) {
                for (QTreeWidgetItem* p = item->parent(); p; p = p->parent()) p->setExpanded(true);
                m_tree->scrollToItem(item);
            }
            result = TRUE;
            return true;
        case TVM_GETVISIBLECOUNT:
            result = m_tree->viewport()->height() / std::max(1, m_tree->fontMetrics().height() + 4);
            return true;
        case TVM_SETIMAGELIST: {
            HIMAGELIST& slot = wParam == static_cast<WPARAM>(TVSIL_STATE) ? m_stateImages : m_images;
            result = slot.ToLParam();
            slot = HIMAGELIST::FromLParam(lParam);
            for (auto& entry : m_items) SetIcon(entry.second);
            int cx = 0;
            int cy = 0;
            if (m_images && ImageList_GetIconSize(m_images, &cx, &cy)) m_tree->setIconSize(QSize(cx, cy));
            return true;
        }
        case TVM_GETIMAGELIST:
            result = (wParam == static_cast<WPARAM>(TVSIL_STATE) ? m_stateImages : m_images).ToLParam();
            return true;
        case TVM_HITTEST: {
            auto* info = reinterpret_cast<TVHITTESTINFO*>(lParam);
            if (!info) return true;
            QTreeWidgetItem* item = m_tree->itemAt(QPoint(info->pt.x, info->pt.y) - m_tree->viewport()->geometry().topLeft());
            info->hItem = item ? HandleOf(item) : nullptr;
            info->flags = item ? TVHT_ONITEMLABEL : TVHT_NOWHERE;
            result = reinterpret_cast<LRESULT>(info->hItem);
            return true;
        }
        case TVM_GETITEMRECT: {
            auto* rect = reinterpret_cast<RECT*>(lParam);
            QTreeWidgetItem* item = rect ? ItemOf(*reinterpret_cast<HTREEITEM*>(rect)) : nullptr;
            if (!item) {
                result = FALSE;
                return true;
            }
            QRect r = m_tree->visualItemRect(item);
            if (r.isEmpty()) {
                result = FALSE;
                return true;
            }
            if (!wParam) r.setLeft(0);
            r.translate(m_tree->viewport()->geometry().topLeft());
            *rect = RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
            result = TRUE;
            return true;
        }
        case TVM_SORTCHILDREN:
            result = SortChildren(reinterpret_cast<HTREEITEM>(lParam), nullptr, 0);
            return true;
        case TVM_SORTCHILDRENCB: {
            auto* sort = reinterpret_cast<const TVSORTCB*>(lParam);
            result = sort ? SortChildren(sort->hParent, sort->lpfnCompare, sort->lParam) : FALSE;
            return true;
        }
        case TVM_SETBKCOLOR:
        case TVM_SETTEXTCOLOR: {
            QPalette palette = m_tree->palette();
            const QPalette::ColorRole role = message == TVM_SETBKCOLOR ? QPalette::Base : QPalette::Text;
            result = ToColorRef(palette.color(role));
            if (static_cast<COLORREF>(lParam) != CLR_INVALID) palette.setColor(role, ToQColor(static_cast<COLORREF>(lParam)));
            m_tree->setPalette(palette);
            return true;
        }
        case TVM_GETINDENT:
            result = m_tree->indentation();
            return true;
        case TVM_SETINDENT:
            m_tree->setIndentation(static_cast<int>(wParam));
            return true;
        case WM_KEYDOWN: {
            NMTVKEYDOWN info;
            info.wVKey = static_cast<WORD>(wParam);
            NotifyParent(info.hdr, TVN_KEYDOWN);
            if (wParam == VK_RETURN && ::IsWindow(m_hwnd)) {
                NMHDR header;
                NotifyParent(header, NM_RETURN);
            }
            m_action = TVC_BYKEYBOARD;
            MarkDefaultReached(message, wParam);
            return true;
        }
        case WM_LBUTTONDOWN:
            m_action = TVC_BYMOUSE;
            MarkDefaultReached(message, wParam);
            return true;
        case WM_LBUTTONUP:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONUP: {
            MarkDefaultReached(message, wParam);
            m_action = TVC_UNKNOWN;
            NMHDR header;
            NotifyParent(header, message == WM_LBUTTONUP ? NM_CLICK : message == WM_LBUTTONDBLCLK ? NM_DBLCLK : NM_RCLICK);
            return true;
        }
        default:
            return false;
        }
    }

private:
    HTREEITEM HandleOf(QTreeWidgetItem* item) const
    {
        return item ? reinterpret_cast<HTREEITEM>(static_cast<std::uintptr_t>(item->data(0, kIdRole).toULongLong())) : nullptr;
    }

    QTreeWidgetItem* ItemOf(HTREEITEM handle) const
    {
        const auto it = m_items.find(reinterpret_cast<std::uintptr_t>(handle));
        return it == m_items.end() ? nullptr : it->second;
    }

    HTREEITEM Insert(const TVINSERTSTRUCTW* insert)
    {
        if (!insert) return nullptr;
        QTreeWidgetItem* parent = nullptr;
        if (insert->hParent && insert->hParent != TVI_ROOT) {
            parent = ItemOf(insert->hParent);
            if (!parent) return nullptr;
        }
        const int count = parent ? parent->childCount() : m_tree->topLevelItemCount();
        const QString text = (insert->item.mask & TVIF_TEXT) ? ToQString(insert->item.pszText) : QString();
        int at = count;
        if (insert->hInsertAfter == TVI_FIRST) {
            at = 0;
        } else if (insert->hInsertAfter == TVI_SORT) {
            at = 0;
            while (at < count) {
                QTreeWidgetItem* sibling = parent ? parent->child(at) : m_tree->topLevelItem(at);
                if (QString::compare(sibling->text(0), text, Qt::CaseInsensitive) > 0) break;
                ++at;
            }
        } else if (insert->hInsertAfter && insert->hInsertAfter != TVI_LAST) {
            QTreeWidgetItem* after = ItemOf(insert->hInsertAfter);
            if (after && after->parent() == parent) at = (parent ? parent->indexOfChild(after) : m_tree->indexOfTopLevelItem(after)) + 1;
        }
        auto* item = new QTreeWidgetItem;
        const std::uintptr_t id = m_nextId++;
        item->setData(0, kIdRole, QVariant::fromValue<qulonglong>(id));
        item->setText(0, text);
        item->setData(0, kDataRole, QVariant::fromValue<qlonglong>((insert->item.mask & TVIF_PARAM) ? insert->item.lParam : 0));
        item->setData(0, kImageRole, (insert->item.mask & TVIF_IMAGE) ? insert->item.iImage : 0);
        item->setData(0, kSelectedImageRole, (insert->item.mask & TVIF_SELECTEDIMAGE) ? insert->item.iSelectedImage : 0);
        if (Style() & TVS_CHECKBOXES) {
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(0, Qt::Unchecked);
        }
        m_items[id] = item;
        {
            const QSignalBlocker block(m_tree);
            if (parent) {
                parent->insertChild(at, item);
            } else {
                m_tree->insertTopLevelItem(at, item);
            }
        }
        if (insert->item.mask & TVIF_STATE) ApplyState(item, insert->item.state, insert->item.stateMask);
        SetIcon(item);
        return reinterpret_cast<HTREEITEM>(id);
    }

    BOOL Delete(HTREEITEM handle)
    {
        std::vector<QTreeWidgetItem*> roots;
        if (!handle || handle == TVI_ROOT) {
            for (int i = 0; i < m_tree->topLevelItemCount(); ++i) roots.push_back(m_tree->topLevelItem(i));
        } else {
            QTreeWidgetItem* item = ItemOf(handle);
            if (!item) return FALSE;
            roots.push_back(item);
        }
        // Every item that goes is told, children first.
        std::vector<QTreeWidgetItem*> gone;
        std::function<void(QTreeWidgetItem*)> collect = [&](QTreeWidgetItem* item) {
            for (int i = 0; i < item->childCount(); ++i) collect(item->child(i));
            gone.push_back(item);
        };
        for (QTreeWidgetItem* root : roots) collect(root);
        std::vector<std::pair<std::uintptr_t, LPARAM>> told;
        QTreeWidgetItem* current = m_tree->currentItem();
        bool currentGone = false;
        for (QTreeWidgetItem* item : gone) {
            told.emplace_back(static_cast<std::uintptr_t>(item->data(0, kIdRole).toULongLong()),
                              static_cast<LPARAM>(item->data(0, kDataRole).toLongLong()));
            m_items.erase(told.back().first);
            if (item == current) currentGone = true;
        }
        const HTREEITEM oldCurrent = HandleOf(current);
        {
            // The view's own signals would name items being deleted.
            const QSignalBlocker block(m_tree);
            for (QTreeWidgetItem* root : roots) delete root;
        }
        for (const auto& [id, data] : told) {
            if (!::IsWindow(m_hwnd) || !m_tree) return TRUE;
            NMTREEVIEWW info;
            info.itemOld.mask = TVIF_HANDLE | TVIF_PARAM;
            info.itemOld.hItem = reinterpret_cast<HTREEITEM>(id);
            info.itemOld.lParam = data;
            NotifyParent(info.hdr, TVN_DELETEITEMW);
        }
        if (currentGone && ::IsWindow(m_hwnd) && m_tree) {
            NMTREEVIEWW info;
            info.action = TVC_UNKNOWN;
            info.itemOld.hItem = oldCurrent;
            info.itemNew.mask = TVIF_HANDLE | TVIF_PARAM | TVIF_STATE;
            info.itemNew.hItem = HandleOf(m_tree->currentItem());
            if (QTreeWidgetItem* now = m_tree->currentItem()) info.itemNew.lParam = now->data(0, kDataRole).toLongLong();
            NotifyParent(info.hdr, TVN_SELCHANGEDW);
        }
        return TRUE;
    }

    UINT StateOf(QTreeWidgetItem* item) const
    {
        UINT state = 0;
        if (item->isSelected() || m_tree->currentItem() == item) state |= TVIS_SELECTED;
        if (item->isExpanded()) state |= TVIS_EXPANDED | TVIS_EXPANDEDONCE;
        if (item->font(0).bold()) state |= TVIS_BOLD;
        if (Style() & TVS_CHECKBOXES) {
            state |= (item->checkState(0) == Qt::Checked ? 2u : 1u) << 12;
        } else {
            state |= (static_cast<UINT>(item->data(0, kStateImageRole).toInt()) & 0xF) << 12;
        }
        return state;
    }

    void ApplyState(QTreeWidgetItem* item, UINT state, UINT mask)
    {
        if (mask & TVIS_BOLD) {
            QFont font = item->font(0);
            font.setBold((state & TVIS_BOLD) != 0);
            item->setFont(0, font);
        }
        if (mask & TVIS_EXPANDED) {
            m_programExpand = true;
            item->setExpanded((state & TVIS_EXPANDED) != 0);
            m_programExpand = false;
        }
        if (mask & TVIS_SELECTED) {
            if (state & TVIS_SELECTED) {
                m_action = TVC_UNKNOWN;
                m_tree->setCurrentItem(item);
            } else {
                item->setSelected(false);
            }
        }
        if (mask & TVIS_STATEIMAGEMASK) {
            const UINT image = (state & TVIS_STATEIMAGEMASK) >> 12;
            if (Style() & TVS_CHECKBOXES) {
                item->setCheckState(0, image == 2 ? Qt::Checked : Qt::Unchecked);
            } else {
                item->setData(0, kStateImageRole, static_cast<int>(image));
            }
        }
    }

    BOOL GetItem(TVITEMW* info) const
    {
        if (!info) return FALSE;
        QTreeWidgetItem* item = ItemOf(info->hItem);
        if (!item) return FALSE;
        if ((info->mask & TVIF_TEXT) && info->pszText && info->cchTextMax > 0) {
            const QString text = item->text(0);
            const int n = std::min<int>(static_cast<int>(text.size()), info->cchTextMax - 1);
            std::memcpy(info->pszText, text.utf16(), static_cast<std::size_t>(n) * sizeof(char16_t));
            info->pszText[n] = 0;
        }
        if (info->mask & TVIF_PARAM) info->lParam = static_cast<LPARAM>(item->data(0, kDataRole).toLongLong());
        if (info->mask & TVIF_IMAGE) info->iImage = item->data(0, kImageRole).toInt();
        if (info->mask & TVIF_SELECTEDIMAGE) info->iSelectedImage = item->data(0, kSelectedImageRole).toInt();
        if (info->mask & TVIF_STATE) info->state = StateOf(item) & info->stateMask;
        if (info->mask & TVIF_CHILDREN) info->cChildren = item->childCount() > 0 ? 1 : 0;
        return TRUE;
    }

    BOOL SetItem(const TVITEMW* info)
    {
        if (!info) return FALSE;
        QTreeWidgetItem* item = ItemOf(info->hItem);
        if (!item) return FALSE;
        if (info->mask & TVIF_TEXT) item->setText(0, ToQString(info->pszText));
        if (info->mask & TVIF_PARAM) item->setData(0, kDataRole, QVariant::fromValue<qlonglong>(info->lParam));
        if (info->mask & TVIF_IMAGE) item->setData(0, kImageRole, info->iImage);
        if (info->mask & TVIF_SELECTEDIMAGE) item->setData(0, kSelectedImageRole, info->iSelectedImage);
        if (info->mask & TVIF_CHILDREN) {
            item->setChildIndicatorPolicy(info->cChildren ? QTreeWidgetItem::ShowIndicator
                                                          : QTreeWidgetItem::DontShowIndicatorWhenChildless);
        }
        if (info->mask & TVIF_STATE) ApplyState(item, info->state, info->stateMask);
        SetIcon(item);
        return TRUE;
    }

    HTREEITEM Next(HTREEITEM handle, UINT code) const
    {
        QTreeWidgetItem* item = ItemOf(handle);
        switch (code) {
        case TVGN_ROOT: return m_tree->topLevelItemCount() ? HandleOf(m_tree->topLevelItem(0)) : nullptr;
        case TVGN_CARET: return HandleOf(m_tree->currentItem());
        case TVGN_FIRSTVISIBLE: return HandleOf(m_tree->itemAt(QPoint(1, 1)));
        case TVGN_DROPHILITE: return nullptr;
        case TVGN_CHILD:
            if (!handle || handle == TVI_ROOT) return m_tree->topLevelItemCount() ? HandleOf(m_tree->topLevelItem(0)) : nullptr;
            return item && item->childCount() ? HandleOf(item->child(0)) : nullptr;
        default: break;
        }
        if (!item) return nullptr;
        QTreeWidgetItem* parent = item->parent();
        const int index = parent ? parent->indexOfChild(item) : m_tree->indexOfTopLevelItem(item);
        const int count = parent ? parent->childCount() : m_tree->topLevelItemCount();
        auto sibling = [&](int i) { return parent ? parent->child(i) : m_tree->topLevelItem(i); };
        switch (code) {
        case TVGN_NEXT: return index + 1 < count ? HandleOf(sibling(index + 1)) : nullptr;
        case TVGN_PREVIOUS: return index > 0 ? HandleOf(sibling(index - 1)) : nullptr;
        case TVGN_PARENT: return HandleOf(parent);
        case TVGN_NEXTVISIBLE: return HandleOf(m_tree->itemBelow(item));
        case TVGN_PREVIOUSVISIBLE: return HandleOf(m_tree->itemAbove(item));
        default: return nullptr;
        }
    }

    BOOL SortChildren(HTREEITEM handle, PFNTVCOMPARE compare, LPARAM data)
    {
        QTreeWidgetItem* parent = handle && handle != TVI_ROOT ? ItemOf(handle) : nullptr;
        if (handle && handle != TVI_ROOT && !parent) return FALSE;
        QList<QTreeWidgetItem*> children =
            parent ? parent->takeChildren() : [this] {
                QList<QTreeWidgetItem*> items;
                while (m_tree->topLevelItemCount()) items.push_back(m_tree->takeTopLevelItem(0));
                return items;
            }();
        std::stable_sort(children.begin(), children.end(), [&](QTreeWidgetItem* a, QTreeWidgetItem* b) {
            if (compare) {
                return compare(static_cast<LPARAM>(a->data(0, kDataRole).toLongLong()),
                               static_cast<LPARAM>(b->data(0, kDataRole).toLongLong()), data) < 0;
            }
            return QString::compare(a->text(0), b->text(0), Qt::CaseInsensitive) < 0;
        });
        if (parent) {
            parent->addChildren(children);
        } else {
            m_tree->addTopLevelItems(children);
        }
        return TRUE;
    }

    void SetIcon(QTreeWidgetItem* item)
    {
        if (!m_images) {
            item->setIcon(0, QIcon());
            return;
        }
        const bool selected = m_tree->currentItem() == item;
        const int index = item->data(0, selected ? kSelectedImageRole : kImageRole).toInt();
        const QImage image = ImageFromImageList(m_images, index);
        item->setIcon(0, image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image)));
    }

    void SelectionChanged(QTreeWidgetItem* now, QTreeWidgetItem* old)
    {
        if (m_reverting) return;
        NMTREEVIEWW info;
        info.action = m_action;
        info.itemOld.mask = info.itemNew.mask = TVIF_HANDLE | TVIF_PARAM | TVIF_STATE;
        info.itemOld.hItem = HandleOf(old);
        info.itemNew.hItem = HandleOf(now);
        if (old) info.itemOld.lParam = static_cast<LPARAM>(old->data(0, kDataRole).toLongLong());
        if (now) info.itemNew.lParam = static_cast<LPARAM>(now->data(0, kDataRole).toLongLong());
        // The parent may keep the old selection.
        if (NotifyParent(info.hdr, TVN_SELCHANGINGW)) {
            m_reverting = true;
            if (m_tree) m_tree->setCurrentItem(old);
            m_reverting = false;
            return;
        }
        if (!::IsWindow(m_hwnd) || !m_tree) return;
        if (old && m_items.count(static_cast<std::uintptr_t>(old->data(0, kIdRole).toULongLong()))) SetIcon(old);
        if (now) SetIcon(now);
        info.itemNew.state = TVIS_SELECTED;
        NotifyParent(info.hdr, TVN_SELCHANGEDW);
        m_action = TVC_UNKNOWN;
    }

    void Expanded(QTreeWidgetItem* item, bool expanded)
    {
        if (m_programExpand || m_reverting) return;
        NMTREEVIEWW info;
        info.action = expanded ? TVE_EXPAND : TVE_COLLAPSE;
        info.itemNew.mask = TVIF_HANDLE | TVIF_PARAM | TVIF_STATE;
        info.itemNew.hItem = HandleOf(item);
        info.itemNew.lParam = static_cast<LPARAM>(item->data(0, kDataRole).toLongLong());
        if (NotifyParent(info.hdr, TVN_ITEMEXPANDINGW)) {
            m_reverting = true;
            item->setExpanded(!expanded);
            m_reverting = false;
            return;
        }
        if (::IsWindow(m_hwnd)) NotifyParent(info.hdr, TVN_ITEMEXPANDEDW);
    }

    QPointer<QTreeWidget> m_tree;
    std::map<std::uintptr_t, QTreeWidgetItem*> m_items;
    std::uintptr_t m_nextId = 0x1000;
    HIMAGELIST m_images;
    HIMAGELIST m_stateImages;
    UINT m_action = TVC_UNKNOWN;
    bool m_programExpand = false;
    bool m_reverting = false;
};

std::unique_ptr<WidgetPeer> MakeTree(HWND hwnd, const CREATESTRUCTW& cs, QWidget* parent)
{
    return std::make_unique<TreePeer>(hwnd, cs, parent);
}

const bool kRegistered = RegisterWindowClass(WC_TREEVIEW, &MakeTree, &NewStandIn<CTreeCtrl>);

}  // namespace

}  // namespace platform::ui
