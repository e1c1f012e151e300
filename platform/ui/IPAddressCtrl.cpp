#include "platform/ui/IPAddressCtrl.h"

#include "platform/ui/WidgetPeer.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

#include <array>

IMPLEMENT_DYNAMIC(CIPAddressCtrl, CWnd)

BOOL CIPAddressCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    return CreateEx(0, WC_IPADDRESS, u"", dwStyle, rect, pParentWnd, nID);
}

int CIPAddressCtrl::GetAddress(BYTE& nField0, BYTE& nField1, BYTE& nField2, BYTE& nField3) const
{
    DWORD address = 0;
    const int count = GetAddress(address);
    nField0 = FIRST_IPADDRESS(address);
    nField1 = SECOND_IPADDRESS(address);
    nField2 = THIRD_IPADDRESS(address);
    nField3 = FOURTH_IPADDRESS(address);
    return count;
}

namespace platform::ui {

namespace {

constexpr int kFields = 4;

class IpPeer final : public WidgetPeer {
public:
    IpPeer(HWND hwnd, const CREATESTRUCTW& cs, QWidget* parent) : WidgetPeer(hwnd, cs)
    {
        auto* frame = new QFrame(parent);
        frame->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        frame->setAutoFillBackground(true);
        frame->setBackgroundRole(QPalette::Base);
        auto* layout = new QHBoxLayout(frame);
        layout->setContentsMargins(2, 1, 2, 1);
        layout->setSpacing(0);
        for (int i = 0; i < kFields; ++i) {
            auto* field = new QLineEdit(frame);
            field->setFrame(false);
            field->setAlignment(Qt::AlignCenter);
            field->setMaxLength(3);
            field->setContextMenuPolicy(Qt::NoContextMenu);
            field->setAcceptDrops(false);
            m_fields[static_cast<std::size_t>(i)] = field;
            layout->addWidget(field, 1);
            if (i + 1 < kFields) {
                auto* dot = new QLabel(QStringLiteral("."), frame);
                dot->setAlignment(Qt::AlignCenter);
                layout->addWidget(dot);
            }
            QObject::connect(field, &QLineEdit::textChanged, this, [this] {
                if (!m_program) NotifyCommand(EN_CHANGE);
            });
            QObject::connect(field, &QLineEdit::textEdited, this, [this, i](const QString& text) {
                // A third digit moves on to the next field.
                if (text.size() == 3 && i + 1 < kFields) MoveTo(i + 1);
            });
            QObject::connect(field, &QLineEdit::editingFinished, this, [this, i] { Leave(i); });
        }
        frame->setFocusProxy(m_fields[0]);
        Attach(frame, cs);
    }

    QWidget* FocusWidget() const override { return m_fields[0]; }
    UINT DialogCode(const MSG*) const override { return DLGC_WANTCHARS | DLGC_WANTARROWS; }
    UINT CtlColorMessage() const override { return WM_CTLCOLOREDIT; }

    QString Text() const override
    {
        QStringList parts;
        for (const auto& f : m_fields) parts << (f ? f->text() : QString());
        return parts.join(u'.');
    }

    void SetText(const QString& text) override
    {
        const QStringList parts = text.split(u'.');
        ProgramChange change(*this);
        for (int i = 0; i < kFields; ++i) {
            if (!m_fields[static_cast<std::size_t>(i)]) continue;
            bool ok = false;
            const int value = i < parts.size() ? parts[i].trimmed().toInt(&ok) : 0;
            m_fields[static_cast<std::size_t>(i)]->setText(ok ? QString::number(std::clamp(value, 0, 255)) : QString());
        }
    }

    void FocusChanged(bool gained) override { NotifyCommand(gained ? EN_SETFOCUS : EN_KILLFOCUS); }

    bool ControlMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override
    {
        switch (message) {
        case IPM_CLEARADDRESS: {
            ProgramChange change(*this);
            for (auto& f : m_fields)
                if (f) f->clear();
            return true;
        }
        case IPM_SETADDRESS: {
            const DWORD address = static_cast<DWORD>(lParam);
            ProgramChange change(*this);
            for (int i = 0; i < kFields; ++i) {
                const int value = static_cast<int>((address >> (8 * (kFields - 1 - i))) & 0xFF);
                if (m_fields[static_cast<std::size_t>(i)]) m_fields[static_cast<std::size_t>(i)]->setText(QString::number(value));
            }
            return true;
        }
        case IPM_GETADDRESS: {
            DWORD address = 0;
            int count = 0;
            for (int i = 0; i < kFields; ++i) {
                const QString text = m_fields[static_cast<std::size_t>(i)] ? m_fields[static_cast<std::size_t>(i)]->text() : QString();
                int value = 0;
                if (!text.isEmpty()) {
                    value = std::clamp(text.toInt(), 0, 255);
                    ++count;
                }
                address |= static_cast<DWORD>(value) << (8 * (kFields - 1 - i));
            }
            if (lParam) *reinterpret_cast<DWORD*>(lParam) = address;
            result = count;
            return true;
        }
        case IPM_SETRANGE: {
            const int field = static_cast<int>(wParam);
            if (field < 0 || field >= kFields) {
                result = FALSE;
                return true;
            }
            const int low = LOBYTE(static_cast<std::uintptr_t>(lParam));
            const int high = HIBYTE(static_cast<std::uintptr_t>(lParam));
            m_low[static_cast<std::size_t>(field)] = std::min(low, high);
            m_high[static_cast<std::size_t>(field)] = std::max(low, high);
            result = TRUE;
            return true;
        }
        case IPM_SETFOCUS:
            MoveTo(std::clamp(static_cast<int>(wParam), 0, kFields - 1));
            return true;
        case IPM_ISBLANK: {
            bool blank = true;
            for (const auto& f : m_fields)
                if (f && !f->text().isEmpty()) blank = false;
            result = blank ? TRUE : FALSE;
            return true;
        }
        case WM_CHAR: {
            const char16_t ch = static_cast<char16_t>(wParam);
            const int current = CurrentField();
            if (ch == u'.' || ch == u' ') {
                if (current >= 0 && current + 1 < kFields && m_fields[static_cast<std::size_t>(current)] &&
                    !m_fields[static_cast<std::size_t>(current)]->text().isEmpty()) {
                    MoveTo(current + 1);
                }
                return true;
            }
            if (ch == 8 || (ch >= u'0' && ch <= u'9')) AcceptCharacter(message, wParam);
            return true;
        }
        default:
            return false;
        }
    }

private:
    struct ProgramChange {
        explicit ProgramChange(IpPeer& p) : peer(p), saved(p.m_program) { p.m_program = true; }
        ~ProgramChange() { peer.m_program = saved; }
        IpPeer& peer;
        bool saved;
    };

    int CurrentField() const
    {
        for (int i = 0; i < kFields; ++i)
            if (m_fields[static_cast<std::size_t>(i)] && m_fields[static_cast<std::size_t>(i)]->hasFocus()) return i;
        return -1;
    }

    void MoveTo(int field)
    {
        QLineEdit* f = m_fields[static_cast<std::size_t>(field)];
        if (!f) return;
        f->setFocus(Qt::OtherFocusReason);
        f->selectAll();
    }

    void Leave(int field)
    {
        QLineEdit* f = m_fields[static_cast<std::size_t>(field)];
        if (!f) return;
        const QString text = f->text();
        if (text.isEmpty()) return;
        const int value = text.toInt();
        const int clamped = std::clamp(value, m_low[static_cast<std::size_t>(field)], m_high[static_cast<std::size_t>(field)]);
        if (clamped != value || QString::number(value) != text) {
            ProgramChange change(*this);
            f->setText(QString::number(clamped));
        }
        NMIPADDRESS info;
        info.iField = field;
        info.iValue = clamped;
        NotifyParent(info.hdr, IPN_FIELDCHANGED);
    }

    std::array<QPointer<QLineEdit>, kFields> m_fields;
    std::array<int, kFields> m_low{0, 0, 0, 0};
    std::array<int, kFields> m_high{255, 255, 255, 255};
    bool m_program = false;
};

std::unique_ptr<WidgetPeer> MakeIp(HWND hwnd, const CREATESTRUCTW& cs, QWidget* parent)
{
    return std::make_unique<IpPeer>(hwnd, cs, parent);
}

const bool kRegistered = RegisterWindowClass(WC_IPADDRESS, &MakeIp, &NewStandIn<CIPAddressCtrl>);

}  // namespace

}  // namespace platform::ui
