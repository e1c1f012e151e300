#include "platform/ui/TabCtrl.h"

#include "platform/ui/WidgetPeer.h"
#include "platform/ui/WindowSurface.h"

#include <QStyleOptionTabWidgetFrame>
#include <QStylePainter>
#include <QTabBar>

#include <cstring>

IMPLEMENT_DYNAMIC(CTabCtrl, CWnd)

BOOL CTabCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    return CreateEx(0, WC_TABCONTROL, u"", dwStyle, rect, pParentWnd, nID);
}

LONG CTabCtrl::InsertItem(int nItem, LPCTSTR lpszItem) { return InsertItem(TCIF_TEXT, nItem, lpszItem, -1, 0); }

LONG CTabCtrl::InsertItem(int nItem, LPCTSTR lpszItem, int nImage)
{
    return InsertItem(TCIF_TEXT | TCIF_IMAGE, nItem, lpszItem, nImage, 0);
}

LONG CTabCtrl::InsertItem(UINT nMask, int nItem, LPCTSTR lpszItem, int nImage, LPARAM lParam)
{
    TCITEM item;
    item.mask = nMask;
    item.pszText = const_cast<LPWSTR>(lpszItem);
    item.iImage = nImage;
    item.lParam = lParam;
    return InsertItem(nItem, &item);
}

CImageList* CTabCtrl::SetImageList(CImageList* pImageList)
{
    SendMessage(TCM_SETIMAGELIST, 0, pImageList ? pImageList->GetSafeHandle().ToLParam() : 0);
    return nullptr;
}

namespace platform::ui {

namespace {

constexpr int kFramePx = 2;

// Tabs on top of a framed area; the pages are the program's own windows.
class TabWidget final : public QWidget {
public:
    explicit TabWidget(QWidget* parent) : QWidget(parent), bar(new QTabBar(this))
    {
        bar->setDrawBase(false);
        bar->setExpanding(false);
        bar->setUsesScrollButtons(true);
        setFocusProxy(bar);
    }

    QRect DisplayArea() const
    {
        const int top = bar->isVisible() || bar->count() ? bar->sizeHint().height() : 0;
        return QRect(0, top, width(), height() - top).adjusted(kFramePx, kFramePx, -kFramePx, -kFramePx);
    }

    QTabBar* bar;

protected:
    void resizeEvent(QResizeEvent*) override { bar->setGeometry(0, 0, width(), bar->sizeHint().height()); }

    void paintEvent(QPaintEvent*) override
    {
        QStylePainter painter(this);
        QStyleOptionTabWidgetFrame option;
        option.initFrom(this);
        const int top = bar->sizeHint().height();
        option.rect = QRect(0, top - 1, width(), height() - top + 1);
        option.shape = QTabBar::RoundedNorth;
        option.tabBarSize = bar->sizeHint();
        painter.drawPrimitive(QStyle::PE_FrameTabWidget, option);
    }
};

class TabPeer final : public WidgetPeer {
public:
    TabPeer(HWND hwnd, const CREATESTRUCTW& cs, QWidget* parent) : WidgetPeer(hwnd, cs)
    {
        auto* widget = new TabWidget(parent);
        m_tabs = widget;
        if (cs.style & static_cast<LONG>(TCS_FOCUSNEVER)) widget->bar->setFocusPolicy(Qt::NoFocus);
        QObject::connect(widget->bar, &QTabBar::currentChanged, this, [this](int index) { Changed(index); });
        Attach(widget, cs);
    }

    QWidget* FocusWidget() const override { return m_tabs ? m_tabs->bar : nullptr; }
    UINT DialogCode(const MSG*) const override { return DLGC_WANTARROWS; }

    bool ControlMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override
    {
        if (!m_tabs) return false;
        QTabBar* bar = m_tabs->bar;
        const int index = static_cast<int>(static_cast<std::intptr_t>(wParam));
        switch (message) {
        case TCM_INSERTITEMW: {
            auto* item = reinterpret_cast<const TCITEMW*>(lParam);
            if (!item) {
                result = -1;
                return true;
            }
            const int at = std::clamp(index, 0, bar->count());
            {
                ProgramChange change(*this);
                bar->insertTab(at, (item->mask & TCIF_TEXT) ? WithoutMnemonics(ToQString(item->pszText)) : QString());
            }
            bar->setTabData(at, QVariant::fromValue<qlonglong>((item->mask & TCIF_PARAM) ? item->lParam : 0));
            SetImage(at, (item->mask & TCIF_IMAGE) ? item->iImage : -1);
            m_tabs->update();
            result = at;
            return true;
        }
        case TCM_DELETEITEM: {
            if (index < 0 || index >= bar->count()) {
                result = FALSE;
                return true;
            }
            ProgramChange change(*this);
            bar->removeTab(index);
            result = TRUE;
            return true;
        }
        case TCM_DELETEALLITEMS: {
            ProgramChange change(*this);
            while (bar->count()) bar->removeTab(0);
            result = TRUE;
            return true;
        }
        case TCM_GETITEMCOUNT:
            result = bar->count();
            return true;
        case TCM_GETCURSEL:
        case TCM_GETCURFOCUS:
            result = bar->currentIndex();
            return true;
        case TCM_SETCURSEL:
        case TCM_SETCURFOCUS: {
            result = bar->currentIndex();
            if (index < 0 || index >= bar->count()) {
                result = -1;
                return true;
            }
            ProgramChange change(*this);
            bar->setCurrentIndex(index);
            return true;
        }
        case TCM_GETITEMW: {
            auto* item = reinterpret_cast<TCITEMW*>(lParam);
            if (!item || index < 0 || index >= bar->count()) {
                result = FALSE;
                return true;
            }
            if ((item->mask & TCIF_TEXT) && item->pszText && item->cchTextMax > 0) {
                const QString text = bar->tabText(index);
                const int n = std::min<int>(static_cast<int>(text.size()), item->cchTextMax - 1);
                std::memcpy(item->pszText, text.utf16(), static_cast<std::size_t>(n) * sizeof(char16_t));
                item->pszText[n] = 0;
            }
            if (item->mask & TCIF_PARAM) item->lParam = static_cast<LPARAM>(bar->tabData(index).toLongLong());
            if (item->mask & TCIF_IMAGE) item->iImage = m_images.value(index, -1);
            result = TRUE;
            return true;
        }
        case TCM_SETITEMW: {
            auto* item = reinterpret_cast<const TCITEMW*>(lParam);
            if (!item || index < 0 || index >= bar->count()) {
                result = FALSE;
                return true;
            }
            if (item->mask & TCIF_TEXT) bar->setTabText(index, WithoutMnemonics(ToQString(item->pszText)));
            if (item->mask & TCIF_PARAM) bar->setTabData(index, QVariant::fromValue<qlonglong>(item->lParam));
            if (item->mask & TCIF_IMAGE) SetImage(index, item->iImage);
            result = TRUE;
            return true;
        }
        case TCM_GETITEMRECT: {
            auto* rect = reinterpret_cast<RECT*>(lParam);
            if (!rect || index < 0 || index >= bar->count()) {
                result = FALSE;
                return true;
            }
            const QRect r = bar->tabRect(index).translated(bar->pos());
            *rect = RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
            result = TRUE;
            return true;
        }
        case TCM_HITTEST: {
            auto* info = reinterpret_cast<TCHITTESTINFO*>(lParam);
            if (!info) {
                result = -1;
                return true;
            }
            result = bar->tabAt(QPoint(info->pt.x, info->pt.y) - bar->pos());
            info->flags = result >= 0 ? TCHT_ONITEMLABEL : TCHT_NOWHERE;
            return true;
        }
        case TCM_ADJUSTRECT: {
            auto* rect = reinterpret_cast<RECT*>(lParam);
            if (!rect) return true;
            const QRect area = m_tabs->DisplayArea();
            const int top = area.top();
            if (wParam) {
                rect->left -= kFramePx;
                rect->right += kFramePx;
                rect->top -= top;
                rect->bottom += kFramePx;
            } else {
                rect->left += kFramePx;
                rect->right -= kFramePx;
                rect->top += top;
                rect->bottom -= kFramePx;
            }
            return true;
        }
        case TCM_GETROWCOUNT:
            result = 1;
            return true;
        case TCM_SETIMAGELIST:
            result = m_imageList.ToLParam();
            m_imageList = HIMAGELIST::FromLParam(lParam);
            for (int i = 0; i < bar->count(); ++i) SetImage(i, m_images.value(i, -1));
            return true;
        case TCM_GETIMAGELIST:
            result = m_imageList.ToLParam();
            return true;
        case TCM_SETITEMSIZE:
            return true;
        case WM_LBUTTONDOWN: {
            // The parent may keep the current tab.
            const QPoint at(static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam)));
            const int hit = bar->tabAt(at - bar->pos());
            if (hit >= 0 && hit != bar->currentIndex()) {
                NMHDR header;
                if (NotifyParent(header, TCN_SELCHANGING)) return true;
                m_vetted = true;
            }
            MarkDefaultReached(message, wParam);
            return true;
        }
        case WM_LBUTTONUP: {
            MarkDefaultReached(message, wParam);
            NMHDR header;
            NotifyParent(header, NM_CLICK);
            return true;
        }
        case WM_KEYDOWN: {
            NMHDR header;
            NotifyParent(header, TCN_KEYDOWN);
            MarkDefaultReached(message, wParam);
            return true;
        }
        default:
            return false;
        }
    }

private:
    struct ProgramChange {
        explicit ProgramChange(TabPeer& p) : peer(p), saved(p.m_programChange) { p.m_programChange = true; }
        ~ProgramChange() { peer.m_programChange = saved; }
        TabPeer& peer;
        bool saved;
    };

    void SetImage(int index, int image)
    {
        if (image >= 0) {
            m_images[index] = image;
        } else {
            m_images.remove(index);
        }
        if (!m_tabs) return;
        const QImage picture = image >= 0 && m_imageList ? ImageFromImageList(m_imageList, image) : QImage();
        m_tabs->bar->setTabIcon(index, picture.isNull() ? QIcon() : QIcon(QPixmap::fromImage(picture)));
    }

    void Changed(int index)
    {
        if (m_programChange || m_reverting) {
            m_previous = index;
            return;
        }
        if (!m_vetted) {
            NMHDR header;
            if (NotifyParent(header, TCN_SELCHANGING)) {
                m_reverting = true;
                if (m_tabs) m_tabs->bar->setCurrentIndex(m_previous);
                m_reverting = false;
                return;
            }
        }
        m_vetted = false;
        m_previous = index;
        if (!::IsWindow(m_hwnd)) return;
        NMHDR header;
        NotifyParent(header, TCN_SELCHANGE);
    }

    QPointer<TabWidget> m_tabs;
    HIMAGELIST m_imageList;
    QHash<int, int> m_images;
    bool m_programChange = false;
    bool m_reverting = false;
    bool m_vetted = false;
    int m_previous = -1;
};

std::unique_ptr<WidgetPeer> MakeTab(HWND hwnd, const CREATESTRUCTW& cs, QWidget* parent)
{
    return std::make_unique<TabPeer>(hwnd, cs, parent);
}

const bool kRegistered = RegisterWindowClass(WC_TABCONTROL, &MakeTab, &NewStandIn<CTabCtrl>);

}  // namespace

}  // namespace platform::ui
