#include "comm/SerialPort.h"
#include "comm/TcpPort.h"

#include <gtest/gtest.h>

namespace {

using platform::FlowControl;
using platform::Parity;
using platform::StopBits;

TEST(PortSettings, RecordIndicesGiveTheLineState)
{
    struct Row {
        const char* name;
        int baud, dataBit, parity, stopBit, flow;
        unsigned baudRate;
        int dataBits;
        Parity expectedParity;
        StopBits stopBits;
        FlowControl flowControl;
    };
    const Row rows[] = {
        {"defaults of the file", 7, 1, 0, 0, 2, 38400, 8, Parity::Odd, StopBits::One, FlowControl::None},
        {"lowest choices", 0, 0, 1, 1, 0, 300, 7, Parity::Even, StopBits::Two, FlowControl::XonXoff},
        {"no parity, hardware handshake", 9, 1, 2, 0, 1, 115200, 8, Parity::None, StopBits::One, FlowControl::RtsCts},
        {"index 5 is 9600", 5, 1, 2, 0, 2, 9600, 8, Parity::None, StopBits::One, FlowControl::None},
        {"highest baud", 10, 1, 2, 0, 2, 230400, 8, Parity::None, StopBits::One, FlowControl::None},
        {"indices outside the tables", 11, 5, 3, 2, 3, 9600, 8, Parity::Odd, StopBits::One, FlowControl::None},
        {"negative indices", -1, -1, -1, -1, -1, 9600, 8, Parity::Odd, StopBits::One, FlowControl::None},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        commsettag r;
        r.nBaudRate = row.baud, r.nDataBit = row.dataBit, r.nParityBit = row.parity;
        r.nStopBit = row.stopBit, r.nFlowControl = row.flow;
        const platform::SerialSettings s = comm::SerialSettingsFromRecord(r);
        EXPECT_EQ(s.baudRate, row.baudRate);
        EXPECT_EQ(s.dataBits, row.dataBits);
        EXPECT_EQ(s.parity, row.expectedParity);
        EXPECT_EQ(s.stopBits, row.stopBits);
        EXPECT_EQ(s.flow, row.flowControl);
        EXPECT_EQ(s.errorChar, '~');
        EXPECT_TRUE(s.discardNulls);
    }
}

TEST(PortSettings, ConnectionErrorsHaveTheirTexts)
{
    struct Row {
        int error;
        const char16_t* text;
    };
    const Row rows[] = {
        {0, u""},
        {10051, u"Network cannot be reached"},
        {10060, u"Connection timed out"},
        {10061, u"Connection refused"},
        {10054, u"Cannot connect the host"},
        {11001, u"Cannot connect the host"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.error);
        EXPECT_EQ(CString(comm::ConnectErrorText(row.error)), CString(row.text));
    }
}

}  // namespace
