#include "platform/ui/HeaderCtrl.h"

#include "platform/ui/WidgetPeer.h"

#include <QHeaderView>
#include <QPainter>
#include <QStyleOptionHeader>
#include <QStandardItemModel>

#include <cstring>

IMPLEMENT_DYNAMIC(CHeaderCtrl, CWnd)

BOOL CHeaderCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    return CreateEx(0, WC_HEADER, u"", dwStyle, rect, pParentWnd, nID);
}

namespace platform::ui {

namespace {

// A header that reaches its window's right edge: the part after the last
// column is an empty column, as the system draws it.
class FilledHeaderView final : public QHeaderView {
public:
    explicit FilledHeaderView(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {}

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QHeaderView::paintEvent(event);
        const int end = length() - offset();
        const int width = viewport()->width();
        if (end >= width) return;
        QPainter painter(viewport());
        QStyleOptionHeader option;
        initStyleOption(&option);
        option.rect = QRect(std::max(0, end), 0, width - std::max(0, end), viewport()->height());
        option.section = count();
        option.text.clear();
        option.position = count() == 0 ? QStyleOptionHeader::OnlyOneSection : QStyleOptionHeader::End;
        option.state &= ~(QStyle::State_Sunken | QStyle::State_On | QStyle::State_MouseOver);
        style()->drawControl(QStyle::CE_Header, &option, &painter, this);
    }
};

// lpCreateParams of a header window that shows a list view's own header.
struct AdoptedHeader {
    std::uint32_t magic = 0x48445241;  // "ARDH"
    QHeaderView* header = nullptr;
};

constexpr int kDividerSlopPx = 4;

class HeaderPeer final : public WidgetPeer {
public:
    HeaderPeer(HWND hwnd, const CREATESTRUCTW& cs, QWidget* parent) : WidgetPeer(hwnd, cs)
    {
        auto* adopted = static_cast<const AdoptedHeader*>(cs.lpCreateParams);
        if (adopted && adopted->magic == AdoptedHeader{}.magic && adopted->header) {
            m_header = adopted->header;
            Adopt(adopted->header);
        } else {
            auto* header = new FilledHeaderView(parent);
            auto* model = new QStandardItemModel(0, 0, header);
            header->setModel(model);
            header->setSectionsClickable((cs.style & static_cast<LONG>(HDS_BUTTONS)) != 0);
            header->setSectionsMovable((cs.style & static_cast<LONG>(HDS_DRAGDROP)) != 0);
            header->setStretchLastSection(false);
            m_header = header;
            m_model = model;
            Attach(header, cs);
        }
        QObject::connect(m_header, &QHeaderView::sectionClicked, this, [this](int section) {
            NMHEADERW info;
            info.iItem = section;
            NotifyParent(info.hdr, HDN_ITEMCLICKW);
        });
        QObject::connect(m_header, &QHeaderView::sectionResized, this, [this](int section, int, int size) {
            HDITEMW item;
            item.mask = HDI_WIDTH;
            item.cxy = size;
            NMHEADERW info;
            info.iItem = section;
            info.pitem = &item;
            if (m_tracking) NotifyParent(info.hdr, HDN_TRACKW);
            if (::IsWindow(m_hwnd)) NotifyParent(info.hdr, HDN_ITEMCHANGEDW);
        });
    }

    UINT DialogCode(const MSG*) const override { return 0; }

    bool ControlMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override
    {
        if (!m_header) return false;
        QAbstractItemModel* model = m_header->model();
        const int count = m_header->count();
        const int index = static_cast<int>(static_cast<std::intptr_t>(wParam));
        switch (message) {
        case HDM_GETITEMCOUNT:
            result = count;
            return true;
        case HDM_INSERTITEMW: {
            auto* item = reinterpret_cast<HDITEMW*>(lParam);
            if (!m_model || !item) {
                result = -1;
                return true;
            }
            const int at = std::clamp(index, 0, count);
            m_model->insertColumn(at);
            SetItem(at, *item);
            result = at;
            return true;
        }
        case HDM_DELETEITEM:
            if (!m_model || index < 0 || index >= count) {
                result = FALSE;
                return true;
            }
            m_model->removeColumn(index);
            result = TRUE;
            return true;
        case HDM_GETITEMW: {
            auto* item = reinterpret_cast<HDITEMW*>(lParam);
            if (!item || index < 0 || index >= count || !model) {
                result = FALSE;
                return true;
            }
            if (item->mask & HDI_WIDTH) item->cxy = m_header->isSectionHidden(index) ? 0 : m_header->sectionSize(index);
            if ((item->mask & HDI_TEXT) && item->pszText && item->cchTextMax > 0) {
                const QString text = model->headerData(index, Qt::Horizontal).toString();
                const int n = std::min<int>(static_cast<int>(text.size()), item->cchTextMax - 1);
                std::memcpy(item->pszText, text.utf16(), static_cast<std::size_t>(n) * sizeof(char16_t));
                item->pszText[n] = 0;
            }
            if (item->mask & HDI_FORMAT) {
                const int align = model->headerData(index, Qt::Horizontal, Qt::TextAlignmentRole).toInt();
                item->fmt = HDF_STRING | ((align & Qt::AlignRight) ? HDF_RIGHT : (align & Qt::AlignHCenter) ? HDF_CENTER : HDF_LEFT);
            }
            if (item->mask & HDI_ORDER) item->iOrder = m_header->visualIndex(index);
            if (item->mask & HDI_LPARAM) item->lParam = model->headerData(index, Qt::Horizontal, Qt::UserRole + 1).toLongLong();
            result = TRUE;
            return true;
        }
        case HDM_SETITEMW: {
            auto* item = reinterpret_cast<HDITEMW*>(lParam);
            if (!item || index < 0 || index >= count) {
                result = FALSE;
                return true;
            }
            SetItem(index, *item);
            result = TRUE;
            return true;
        }
        case HDM_GETITEMRECT: {
            auto* rect = reinterpret_cast<RECT*>(lParam);
            if (!rect || index < 0 || index >= count) {
                result = FALSE;
                return true;
            }
            const int left = m_header->sectionViewportPosition(index);
            *rect = RECT{left, 0, left + m_header->sectionSize(index), m_header->height()};
            result = TRUE;
            return true;
        }
        case HDM_ORDERTOINDEX:
            result = m_header->logicalIndex(index);
            return true;
        case HDM_GETORDERARRAY: {
            auto* order = reinterpret_cast<int*>(lParam);
            if (!order || index != count) {
                result = FALSE;
                return true;
            }
            for (int v = 0; v < count; ++v) order[v] = m_header->logicalIndex(v);
            result = TRUE;
            return true;
        }
        case HDM_SETORDERARRAY: {
            const auto* order = reinterpret_cast<const int*>(lParam);
            if (!order || index != count) {
                result = FALSE;
                return true;
            }
            for (int v = 0; v < count; ++v) {
                if (order[v] < 0 || order[v] >= count) {
                    result = FALSE;
                    return true;
                }
                m_header->moveSection(m_header->visualIndex(order[v]), v);
            }
            result = TRUE;
            return true;
        }
        case HDM_HITTEST: {
            auto* info = reinterpret_cast<HDHITTESTINFO*>(lParam);
            if (!info) return true;
            const int divider = DividerAt(info->pt.x);
            info->iItem = divider >= 0 ? divider : m_header->logicalIndexAt(info->pt.x);
            info->flags = divider >= 0 ? HHT_ONDIVIDER : info->iItem >= 0 ? HHT_ONHEADER : HHT_NOWHERE;
            result = info->iItem;
            return true;
        }
        case HDM_LAYOUT:
            result = TRUE;
            return true;
        case WM_LBUTTONDOWN: {
            const int divider = DividerAt(static_cast<SHORT>(LOWORD(lParam)));
            if (divider >= 0) {
                NMHEADERW info;
                info.iItem = divider;
                // The parent may refuse the drag (fixed columns).
                if (NotifyParent(info.hdr, HDN_BEGINTRACKW)) return true;
                m_tracking = true;
            }
            MarkDefaultReached(message, wParam);
            return true;
        }
        case WM_LBUTTONUP:
            MarkDefaultReached(message, wParam);
            if (m_tracking) {
                m_tracking = false;
                NMHEADERW info;
                NotifyParent(info.hdr, HDN_ENDTRACKW);
            }
            return true;
        case WM_LBUTTONDBLCLK: {
            const int divider = DividerAt(static_cast<SHORT>(LOWORD(lParam)));
            if (divider >= 0) {
                NMHEADERW info;
                info.iItem = divider;
                if (NotifyParent(info.hdr, HDN_DIVIDERDBLCLICKW)) return true;
            }
            MarkDefaultReached(message, wParam);
            return true;
        }
        default:
            return false;
        }
    }

private:
    void SetItem(int index, const HDITEMW& item)
    {
        QAbstractItemModel* model = m_header->model();
        if (!model) return;
        if (item.mask & HDI_TEXT) model->setHeaderData(index, Qt::Horizontal, ToQString(item.pszText));
        if (item.mask & HDI_FORMAT) {
            const int justify = item.fmt & HDF_JUSTIFYMASK;
            const Qt::Alignment align = justify == HDF_RIGHT ? Qt::AlignRight : justify == HDF_CENTER ? Qt::AlignHCenter : Qt::AlignLeft;
            model->setHeaderData(index, Qt::Horizontal, static_cast<int>(align | Qt::AlignVCenter), Qt::TextAlignmentRole);
        }
        if (item.mask & HDI_LPARAM) model->setHeaderData(index, Qt::Horizontal, QVariant::fromValue<qlonglong>(item.lParam), Qt::UserRole + 1);
        if (item.mask & HDI_WIDTH) m_header->resizeSection(index, std::max(0, item.cxy));
        if (item.mask & HDI_ORDER) m_header->moveSection(m_header->visualIndex(index), std::clamp(item.iOrder, 0, m_header->count() - 1));
    }

    // The column whose right edge is under x, or -1.
    int DividerAt(int x) const
    {
        for (int v = m_header->count() - 1; v >= 0; --v) {
            const int logical = m_header->logicalIndex(v);
            if (m_header->isSectionHidden(logical)) continue;
            const int right = m_header->sectionViewportPosition(logical) + m_header->sectionSize(logical);
            if (std::abs(x - right) <= kDividerSlopPx) return logical;
        }
        return -1;
    }

    QPointer<QHeaderView> m_header;
    QStandardItemModel* m_model = nullptr;
    bool m_tracking = false;
};

std::unique_ptr<WidgetPeer> MakeHeader(HWND hwnd, const CREATESTRUCTW& cs, QWidget* parent)
{
    return std::make_unique<HeaderPeer>(hwnd, cs, parent);
}

const bool kRegistered = RegisterWindowClass(WC_HEADER, &MakeHeader, &NewStandIn<CHeaderCtrl>);

}  // namespace

QHeaderView* NewFilledHeader(QWidget* parent) { return new FilledHeaderView(parent); }

}  // namespace platform::ui

namespace platform {

HWND CreateAdoptedHeader(HWND list, QHeaderView* header)
{
    CWnd* listWnd = CWnd::FromHandle(list);
    if (!listWnd || !header) return {};
    platform::ui::AdoptedHeader adopt;
    adopt.header = header;
    const RECT r{header->x(), header->y(), header->x() + header->width(), header->y() + header->height()};
    CWnd* wnd = platform::ui::CreateStandIn(0, WC_HEADER, u"", WS_CHILD | WS_VISIBLE, r, listWnd, 0, &adopt);
    if (!wnd) return {};
    return wnd->GetSafeHwnd();
}

}  // namespace platform
