#include "comm/CommSettings.h"

#include "platform/core/Profile.h"

#include <limits>

namespace comm {

namespace {

const char16_t* const kBaudRateTexts[] = {u"300",   u"600",   u"1200",  u"2400",   u"4800",  u"9600",
                                          u"19200", u"38400", u"57600", u"115200", u"230400"};
const char16_t* const kDataBitTexts[] = {u"7", u"8"};
const char16_t* const kParityTexts[] = {u"odd", u"even", u"none"};
const char16_t* const kStopBitTexts[] = {u"1", u"2"};
const char16_t* const kFlowControlTexts[] = {u"x", u"hard", u"none"};

// Values are read through a buffer of this many characters, as the file has
// always been read; longer values are cut.
constexpr DWORD kValueChars = 260;

constexpr const char16_t* kGeneral = u"General";
constexpr const char16_t* kSerial = u"Serial";
constexpr const char16_t* kTcpIp = u"TCPIP";

CString ReadText(const char16_t* section, const char16_t* key, const char16_t* defaultValue, const CString& file)
{
    char16_t buffer[kValueChars] = {};
    GetPrivateProfileStringW(section, key, defaultValue, buffer, kValueChars, file.GetString());
    return CString(buffer);
}

// The file's number when it fits [low, high], else the key's default: a
// value cut down to its low bits would silently name another port or address.
long long ReadNumber(const char16_t* section, const char16_t* key, long long defaultValue, long long low,
                     long long high, const CString& file)
{
    const CString text = ReadText(section, key, u"", file);
    if (text.IsEmpty()) return defaultValue;
    const long long value = WideToInt64(text.GetString());
    return value < low || value > high ? defaultValue : value;
}

int ReadChoice(const char16_t* key, const char16_t* defaultText, const ChoiceTable& table, const CString& file)
{
    return ChoiceIndex(table, ReadText(kSerial, key, defaultText, file));
}

WORD ReadLineEnd(const char16_t* key, const CString& file)
{
    return ReadText(kSerial, key, u"", file).CompareNoCase(u"CRLF") == 0 ? CR_LF : CR_ONLY;
}

BOOL WriteNumber(const char16_t* section, const char16_t* key, long long value, const CString& file)
{
    CString text;
    text.Format(u"%I64d", value);
    return WritePrivateProfileStringW(section, key, text.GetString(), file.GetString());
}

}  // namespace

const ChoiceTable kBaudRateChoices{kBaudRateTexts, 11, 7};
const ChoiceTable kDataBitChoices{kDataBitTexts, 2, 1};
const ChoiceTable kParityChoices{kParityTexts, 3, 0};
const ChoiceTable kStopBitChoices{kStopBitTexts, 2, 0};
const ChoiceTable kFlowControlChoices{kFlowControlTexts, 3, 2};

int ChoiceIndex(const ChoiceTable& table, const CString& text)
{
    for (int i = 0; i < table.count; ++i) {
        if (text.CompareNoCase(table.texts[i]) == 0) return i;
    }
    return table.fallback;
}

const char16_t* ChoiceText(const ChoiceTable& table, int index)
{
    return table.texts[index >= 0 && index < table.count ? index : table.fallback];
}

void CopyCommSettings(const commsettag& from, commsettag& to)
{
    if (&from == &to) return;
    StorePortType(to, LoadPortType(from));
    to.nDefPortType = from.nDefPortType;
    to.wTCPPort = from.wTCPPort;
    for (int i = 0; i < 4; ++i) to.byIPAddress[i] = from.byIPAddress[i];
    to.strHostName = from.strHostName;
    to.nComPort = from.nComPort;
    to.nBaudRate = from.nBaudRate;
    to.nDataBit = from.nDataBit;
    to.nParityBit = from.nParityBit;
    to.nStopBit = from.nStopBit;
    to.nFlowControl = from.nFlowControl;
    to.wMaxComPort = from.wMaxComPort;
    to.wCRReceive = from.wCRReceive;
    to.wCRSend = from.wCRSend;
    to.wDelayPerChar = from.wDelayPerChar;
    to.wDelayPerLine = from.wDelayPerLine;
}

void ReadCommSettings(const CString& file, commsettag& r)
{
    constexpr long long kWordMax = std::numeric_limits<WORD>::max();
    r.nDefPortType = static_cast<std::int32_t>(ReadNumber(kGeneral, u"DefaultPort", 0, PORT_NONE, PORT_OFFLINE, file));
    r.nBaudRate = ReadChoice(u"BaudRate", u"38400", kBaudRateChoices, file);
    r.nDataBit = ReadChoice(u"DataBit", u"8", kDataBitChoices, file);
    r.nParityBit = ReadChoice(u"ParityBit", u"odd", kParityChoices, file);
    r.nStopBit = ReadChoice(u"StopBit", u"1", kStopBitChoices, file);
    r.nFlowControl = ReadChoice(u"FlowControl", u"none", kFlowControlChoices, file);
    r.wMaxComPort = static_cast<WORD>(ReadNumber(kSerial, u"MaxComPort", 20, 1, kWordMax, file));
    r.nComPort = static_cast<std::int32_t>(ReadNumber(kSerial, u"PrevComPort", 1, 1, kWordMax, file));
    // The queue sizes are kept in the file for older versions; the driver's own are used.
    r.wCRReceive = ReadLineEnd(u"CRReceive", file);
    r.wCRSend = ReadLineEnd(u"CRSend", file);
    r.wDelayPerChar = static_cast<WORD>(ReadNumber(kSerial, u"DelayPerChar", 0, 0, kWordMax, file));
    r.wDelayPerLine = static_cast<WORD>(ReadNumber(kSerial, u"DelayPerLine", 5, 0, kWordMax, file));
    const char16_t* const ipKeys[4] = {u"IPAddress1", u"IPAddress2", u"IPAddress3", u"IPAddress4"};
    const int ipDefaults[4] = {192, 168, 0, 2};
    for (int i = 0; i < 4; ++i) r.byIPAddress[i] = static_cast<BYTE>(ReadNumber(kTcpIp, ipKeys[i], ipDefaults[i], 0, 255, file));
    r.wTCPPort = static_cast<WORD>(ReadNumber(kTcpIp, u"PortNumber", 23, 0, kWordMax, file));
}

BOOL WriteCommSettings(const CString& file, const commsettag& r)
{
    if (file.IsEmpty()) return FALSE;
    BOOL ok = WriteNumber(kGeneral, u"DefaultPort", r.nDefPortType, file);
    const auto writeChoice = [&](const char16_t* key, const ChoiceTable& table, int index) {
        ok = WritePrivateProfileStringW(kSerial, key, ChoiceText(table, index), file.GetString()) && ok;
    };
    writeChoice(u"BaudRate", kBaudRateChoices, r.nBaudRate);
    writeChoice(u"DataBit", kDataBitChoices, r.nDataBit);
    writeChoice(u"ParityBit", kParityChoices, r.nParityBit);
    writeChoice(u"StopBit", kStopBitChoices, r.nStopBit);
    writeChoice(u"FlowControl", kFlowControlChoices, r.nFlowControl);
    ok = WriteNumber(kSerial, u"MaxComPort", r.wMaxComPort, file) && ok;
    ok = WriteNumber(kSerial, u"PrevComPort", r.nComPort, file) && ok;
    const char16_t* const ipKeys[4] = {u"IPAddress1", u"IPAddress2", u"IPAddress3", u"IPAddress4"};
    for (int i = 0; i < 4; ++i) ok = WriteNumber(kTcpIp, ipKeys[i], r.byIPAddress[i], file) && ok;
    ok = WriteNumber(kTcpIp, u"PortNumber", r.wTCPPort, file) && ok;
    return ok;
}

}  // namespace comm
