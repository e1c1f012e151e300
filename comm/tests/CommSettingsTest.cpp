#include "comm/CommSettings.h"
#include "comm/SettingsFolder.h"
#include "comm/tests/CommTestSupport.h"

#include "platform/core/Profile.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

// What a record holds after reading; each row changes only what it names.
struct Expected {
    int defPort = 0;
    int baud = 7, dataBit = 1, parity = 0, stopBit = 0, flow = 2;
    int maxCom = 20, comPort = 1;
    int crReceive = 1, crSend = 1, delayPerChar = 0, delayPerLine = 5;
    int ip[4] = {192, 168, 0, 2};
    int tcpPort = 23;
};

struct ReadCase {
    const char* name;
    const char* file;  // nullptr: no file at all
    Expected expected;
};

Expected With(void (*change)(Expected&))
{
    Expected e;
    change(e);
    return e;
}

const ReadCase kReadCases[] = {
    {"no file gives the defaults", nullptr, {}},
    {"empty sections give the defaults", "[General]\r\n[Serial]\r\n[TCPIP]\r\n", {}},
    {"every key set",
     "[General]\r\nDefaultPort=2\r\n"
     "[Serial]\r\nBaudRate=115200\r\nDataBit=7\r\nParityBit=even\r\nStopBit=2\r\nFlowControl=hard\r\n"
     "MaxComPort=32\r\nPrevComPort=5\r\nInQueSize=8192\r\nOutQueSize=2048\r\nCRReceive=CRLF\r\nCRSend=CRLF\r\n"
     "DelayPerChar=3\r\nDelayPerLine=0\r\n"
     "[TCPIP]\r\nIPAddress1=10\r\nIPAddress2=1\r\nIPAddress3=2\r\nIPAddress4=3\r\nPortNumber=25\r\n",
     With([](Expected& e) {
         e.defPort = 2, e.baud = 9, e.dataBit = 0, e.parity = 1, e.stopBit = 1, e.flow = 1;
         e.maxCom = 32, e.comPort = 5, e.crReceive = 2, e.crSend = 2, e.delayPerChar = 3, e.delayPerLine = 0;
         e.ip[0] = 10, e.ip[1] = 1, e.ip[2] = 2, e.ip[3] = 3, e.tcpPort = 25;
     })},
    {"choice texts match without case",
     "[serial]\r\nparitybit=EVEN\r\nflowcontrol=X\r\nbaudrate=230400\r\ncrsend=crlf\r\n",
     With([](Expected& e) { e.parity = 1, e.flow = 0, e.baud = 10, e.crSend = 2; })},
    {"texts outside the tables give the fallbacks",
     "[Serial]\r\nBaudRate=12345\r\nDataBit=9\r\nParityBit=mark\r\nStopBit=1.5\r\nFlowControl=rts\r\n",
     {}},
    {"a line end other than CRLF is CR", "[Serial]\r\nCRReceive=CR\r\nCRSend=LF\r\n", {}},
    {"baud 9600 is index 5", "[Serial]\r\nBaudRate=9600\r\n", With([](Expected& e) { e.baud = 5; })},
    {"an IP part above 255 keeps that part's default", "[TCPIP]\r\nIPAddress1=300\r\nIPAddress4=255\r\n",
     With([](Expected& e) { e.ip[3] = 255; })},
    {"a negative IP part keeps the default", "[TCPIP]\r\nIPAddress2=-1\r\n", {}},
    {"a port number that does not fit 16 bits keeps 23", "[TCPIP]\r\nPortNumber=70000\r\n", {}},
    {"a COM port of 0 keeps 1", "[Serial]\r\nPrevComPort=0\r\nMaxComPort=-4\r\n", {}},
    {"an unknown port kind keeps 0", "[General]\r\nDefaultPort=7\r\n", {}},
    {"a delay too large for 16 bits keeps its default", "[Serial]\r\nDelayPerLine=65536\r\nDelayPerChar=65535\r\n",
     With([](Expected& e) { e.delayPerChar = 65535; })},
    {"quoted values and blanks", "[Serial]\r\n  BaudRate = \"4800\" \r\nDelayPerLine= 12 \r\n",
     With([](Expected& e) { e.baud = 4, e.delayPerLine = 12; })},
};

TEST(CommSettingsFile, ReadsEachKeyIntoItsField)
{
    for (const ReadCase& row : kReadCases) {
        SCOPED_TRACE(row.name);
        ScopedSettingsFolder folder;
        if (row.file) folder.WriteCommIni(row.file);
        CString path;
        ASSERT_TRUE(GetSettingsFilePath(kSettingsSubFolder, kCommSettingsFileName, path));
        EXPECT_EQ(path.ToUtf8(), folder.CommIniPath());

        commsettag r;
        // Start from values no row expects, so every field must come from the file or its default.
        r.nDefPortType = 9, r.nBaudRate = r.nDataBit = r.nParityBit = r.nStopBit = r.nFlowControl = 99;
        r.wMaxComPort = r.wCRReceive = r.wCRSend = r.wDelayPerChar = r.wDelayPerLine = r.wTCPPort = 999;
        r.nComPort = 99;
        for (BYTE& b : r.byIPAddress) b = 99;
        comm::ReadCommSettings(path, r);

        const Expected& e = row.expected;
        EXPECT_EQ(r.nDefPortType, e.defPort);
        EXPECT_EQ(r.nBaudRate, e.baud);
        EXPECT_EQ(r.nDataBit, e.dataBit);
        EXPECT_EQ(r.nParityBit, e.parity);
        EXPECT_EQ(r.nStopBit, e.stopBit);
        EXPECT_EQ(r.nFlowControl, e.flow);
        EXPECT_EQ(r.wMaxComPort, e.maxCom);
        EXPECT_EQ(r.nComPort, e.comPort);
        EXPECT_EQ(r.wCRReceive, e.crReceive);
        EXPECT_EQ(r.wCRSend, e.crSend);
        EXPECT_EQ(r.wDelayPerChar, e.delayPerChar);
        EXPECT_EQ(r.wDelayPerLine, e.delayPerLine);
        for (int i = 0; i < 4; ++i) EXPECT_EQ(r.byIPAddress[i], e.ip[i]) << "IP part " << i + 1;
        EXPECT_EQ(r.wTCPPort, e.tcpPort);
    }
}

CString Value(const CString& file, const char16_t* section, const char16_t* key)
{
    return platform::ReadPrivateProfileString(section, key, u"<absent>", file.GetString());
}

TEST(CommSettingsFile, WritesTheKeptKeysAndLeavesTheOthersAlone)
{
    ScopedSettingsFolder folder;
    folder.WriteCommIni("; link settings\r\n[Serial]\r\nDelayPerChar=7\r\nCRSend=CRLF\r\n[Other]\r\nKeep=1\r\n");
    CString path;
    ASSERT_TRUE(GetSettingsFilePath(kSettingsSubFolder, kCommSettingsFileName, path));

    commsettag r;
    r.nDefPortType = PORT_TCP;
    r.nBaudRate = 9, r.nDataBit = 0, r.nParityBit = 2, r.nStopBit = 1, r.nFlowControl = 0;
    r.wMaxComPort = 40, r.nComPort = 12;
    r.byIPAddress[0] = 10, r.byIPAddress[1] = 0, r.byIPAddress[2] = 0, r.byIPAddress[3] = 7;
    r.wTCPPort = 10001;
    r.wCRReceive = CR_LF, r.wCRSend = CR_ONLY, r.wDelayPerChar = 1, r.wDelayPerLine = 9;
    EXPECT_TRUE(comm::WriteCommSettings(path, r));

    struct Key {
        const char16_t* section;
        const char16_t* key;
        const char16_t* value;
    };
    const Key keys[] = {
        {u"General", u"DefaultPort", u"2"},   {u"Serial", u"BaudRate", u"115200"},
        {u"Serial", u"DataBit", u"7"},        {u"Serial", u"ParityBit", u"none"},
        {u"Serial", u"StopBit", u"2"},        {u"Serial", u"FlowControl", u"x"},
        {u"Serial", u"MaxComPort", u"40"},    {u"Serial", u"PrevComPort", u"12"},
        {u"TCPIP", u"IPAddress1", u"10"},     {u"TCPIP", u"IPAddress2", u"0"},
        {u"TCPIP", u"IPAddress3", u"0"},      {u"TCPIP", u"IPAddress4", u"7"},
        {u"TCPIP", u"PortNumber", u"10001"},
        // Never written: the file keeps what it had, and a missing key stays missing.
        {u"Serial", u"DelayPerChar", u"7"},   {u"Serial", u"CRSend", u"CRLF"},
        {u"Serial", u"DelayPerLine", u"<absent>"}, {u"Serial", u"CRReceive", u"<absent>"},
        {u"Serial", u"InQueSize", u"<absent>"},    {u"Serial", u"OutQueSize", u"<absent>"},
        {u"Other", u"Keep", u"1"},
    };
    for (const Key& k : keys) {
        SCOPED_TRACE(CString(k.key).ToUtf8());
        EXPECT_EQ(Value(path, k.section, k.key), CString(k.value));
    }
    EXPECT_EQ(folder.ReadCommIni().rfind("; link settings\r\n", 0), 0u) << "comments survive";
}

TEST(CommSettingsFile, IndicesOutsideTheTablesAreWrittenAsTheFallbackText)
{
    ScopedSettingsFolder folder;
    CString path;
    ASSERT_TRUE(GetSettingsFilePath(kSettingsSubFolder, kCommSettingsFileName, path));
    commsettag r;
    r.nBaudRate = 11, r.nDataBit = -1, r.nParityBit = 3, r.nStopBit = 2, r.nFlowControl = 100;
    EXPECT_TRUE(comm::WriteCommSettings(path, r));
    EXPECT_EQ(Value(path, u"Serial", u"BaudRate"), CString(u"38400"));
    EXPECT_EQ(Value(path, u"Serial", u"DataBit"), CString(u"8"));
    EXPECT_EQ(Value(path, u"Serial", u"ParityBit"), CString(u"odd"));
    EXPECT_EQ(Value(path, u"Serial", u"StopBit"), CString(u"1"));
    EXPECT_EQ(Value(path, u"Serial", u"FlowControl"), CString(u"none"));

    // What was written reads back as the same record.
    commsettag back;
    comm::ReadCommSettings(path, back);
    EXPECT_EQ(back.nBaudRate, 7);
    EXPECT_EQ(back.nFlowControl, 2);
}

TEST(SettingsFolder, CreatesOnlyLevelsThatEndInASeparator)
{
    ScopedSettingsFolder folder;
    const std::string base = folder.Path();
    EXPECT_TRUE(CreateFolderPath(CString::FromUtf8(base + "\\one\\two\\")));
    EXPECT_TRUE(std::filesystem::is_directory(base + "/one/two"));
    EXPECT_TRUE(CreateFolderPath(CString::FromUtf8(base + "/three/file.ini")));
    EXPECT_TRUE(std::filesystem::is_directory(base + "/three"));
    EXPECT_FALSE(std::filesystem::exists(base + "/three/file.ini"));
    EXPECT_TRUE(CreateFolderPath(CString()));

    // A file where a folder should be stops the walk.
    std::ofstream(base + "/blocker") << "x";
    EXPECT_FALSE(CreateFolderPath(CString::FromUtf8(base + "/blocker/inner/")));
}

TEST(SettingsFolder, NoApplicationDataFolderFailsQuietly)
{
    ScopedSettingsFolder folder;
    // Neither variable usable: the folder comes from the password database,
    // so only an unknown folder id can be relied on to fail.
    CString path = u"stale";
    EXPECT_FALSE(GetAppDataFolder(0x0005, path));
    EXPECT_TRUE(path.IsEmpty());
    EXPECT_TRUE(GetAppDataFolder(CSIDL_APPDATA, path));
    EXPECT_EQ(path.ToUtf8(), folder.Path());

    // A settings folder that cannot be made: reading gives the defaults, writing fails.
    std::ofstream(folder.Path() + "/Velbrook") << "not a folder";
    CString file = u"stale";
    EXPECT_FALSE(GetSettingsFilePath(kSettingsSubFolder, kCommSettingsFileName, file));
    EXPECT_TRUE(file.IsEmpty());
    commsettag r;
    comm::ReadCommSettings(file, r);
    EXPECT_EQ(r.nBaudRate, 7);
    EXPECT_FALSE(comm::WriteCommSettings(file, r));
}

}  // namespace
