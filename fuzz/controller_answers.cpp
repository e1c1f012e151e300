// Every answer parser of the manager's controller commands: the engine sends
// the query to a link that answers each command line with the input's reply
// at once, and the command's function parses what the engine hands over.
// The input is a byte choosing the query, then the reply.
#include "fuzz/FuzzSupport.h"
#include "manager/core/ControllerCommands.h"
#include "manager/core/ControllerData.h"
#include "manager/core/ControllerLink.h"
#include "manager/core/ControllerProtocol.h"
#include "manager/core/NumberText.h"

#include <functional>
#include <vector>

namespace {

class ReplyingLink : public ControllerLink {
public:
    ReplyingLink(CControllerProtocol& protocol, CString reply) : m_protocol(protocol), m_reply(std::move(reply)) {}
    int SendData(const CString&) override
    {
        // A bound on the commands one query may send.
        if (++m_sent > 64) return 0;
        m_protocol.OnDataArrived();
        return 1;
    }
    CString GetInBuffAtOnce() override { return m_reply; }
    int GetPortType() override { return 2; }

private:
    CControllerProtocol& m_protocol;
    CString m_reply;
    int m_sent = 0;
};

using Query = std::function<void(CControllerProtocol*)>;

const std::vector<Query>& Queries()
{
    static const std::vector<Query> queries = {
        [](auto* p) { CString s; QueryAllControllerNames(nullptr, p, s); },
        [](auto* p) { CString s; QueryControllerName(nullptr, p, 1, s); },
        [](auto* p) { CString s; QueryControllerType(nullptr, p, 1, s); },
        [](auto* p) { CString s; QueryRobotName(nullptr, p, 1, s); },
        [](auto* p) { CString s; QueryInterface(nullptr, p, 1, s); },
        [](auto* p) { CString s; QueryVersion2(nullptr, p, 1, s); },
        [](auto* p) { CString s; ReadPointTable(nullptr, p, 1, s); },
        [](auto* p) { CString s; ReadParameterTable(nullptr, p, 1, s); },
        [](auto* p) { CString s; ReadHParameterTable(nullptr, p, 1, s); },
        [](auto* p) { PointRecord r; QueryPoint(nullptr, p, 1, 7, r); },
        [](auto* p) { int v = 0; QueryParameter(nullptr, p, 1, 12, v); },
        [](auto* p) { int v = 0; QueryHParameter(nullptr, p, 1, 3, v); },
        [](auto* p) { int v = 0; QueryDValue(nullptr, p, 1, 5, v); },
        [](auto* p) { int v = 0; QueryOptions(nullptr, p, 1, v); },
        [](auto* p) { WORD v = 0; QueryInputs(nullptr, p, 1, v); },
        [](auto* p) { WORD v = 0; QueryOutputs(nullptr, p, 1, v); },
        [](auto* p) { WideIoBlock v{}; QueryWideIo(nullptr, p, 1, v); },
        [](auto* p) { BYTE v = 0; QueryMessage(nullptr, p, 1, v); },
        [](auto* p) { BYTE v = 0; QueryAlarm(nullptr, p, 1, 1, v); },
        [](auto* p) { BYTE v = 0; QueryWarning(nullptr, p, 1, 2, v); },
        [](auto* p) { AlarmRecord r; QueryRecord(nullptr, p, 1, 1, r); },
        [](auto* p) { CString s; QueryComData(nullptr, p, 1, 2, s); },
        [](auto* p) { ControllerStatus s; QueryStatusRecord(nullptr, p, 1, s); },
        [](auto* p) { WriteParameter(nullptr, p, 1, 12, 500); },
        [](auto* p) { DeletePoints(nullptr, p, 1, 1, 255); },
    };
    return queries;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view bytes = fuzz::AsBytes(data, size);
    const std::size_t choice = fuzz::TakeByte(bytes) % Queries().size();
    const CString reply(fuzz::BytesToText(bytes));

    CControllerProtocol protocol;
    protocol.SetTimeOut(0);
    ReplyingLink link(protocol, reply);
    protocol.SetControllerLink(&link);
    Queries()[choice](&protocol);
    protocol.SetControllerLink(nullptr);

    // The answer text of a point read as the point table's lines hold it, and
    // the network parameters' address forms (hexadecimal and dotted).
    PointRecord record;
    ParsePointRecord(7, reply, record);
    CString converted;
    HexToDottedAddress(reply.view(), converted);
    DottedToHexAddress(reply.view(), converted);
    ParseIpAddress(reply);
    ParseHexNumber(reply.view());
    ParseHexByte(reply.view());
    return 0;
}
