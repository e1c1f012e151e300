#include "comm/CommManager.h"
#include "comm/tests/LinkTestSupport.h"

#include "platform/core/Profile.h"
#include "platform/core/Synchronization.h"
#include "tests/support/ScriptedMessageBox.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

namespace {

using namespace linktest;

class CommManagerTest : public ::testing::Test {
protected:
    ScopedSettingsFolder settings;
    ScriptedMessageBox boxes;
};

TEST_F(CommManagerTest, OpenBeforeInitializeIsRefusedWithAMessage)
{
    boxes.Answer(IDOK, u"CommManager not Initialized");
    CCommManager link;
    link.SetPortType(PORT_OFFLINE);
    EXPECT_EQ(link.Open(), 0);
    EXPECT_EQ(link.IsOpen(), 0);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].caption, CString(u"Error"));
}

TEST_F(CommManagerTest, OfflineLinkIsReadyAtOnceAndCloseLeavesNoPortType)
{
    CCommManager link;
    ASSERT_TRUE(link.Initialize());
    EXPECT_EQ(link.SendData(u"@?K1.1\r\n"), 0) << "not open";
    link.SetPortType(PORT_OFFLINE);
    EXPECT_EQ(link.Open(), 1);
    EXPECT_EQ(link.IsOpen(), 1);
    EXPECT_EQ(link.IsReady(), 1);
    EXPECT_EQ(link.GetDefPortType(), 0) << "offline is never the default kind";
    EXPECT_EQ(link.SendData(u"@?K1.1\r\n"), 1);
    EXPECT_EQ(link.GetOutBuffAtOnce(), CString()) << "nothing is sent offline";

    link.Close();
    EXPECT_EQ(link.GetPortType(), PORT_NONE);
    EXPECT_EQ(link.IsOpen(), 0);
    EXPECT_EQ(link.IsReady(), 0);
    link.Close();
    EXPECT_EQ(link.Open(), 0) << "the port type must be chosen again";
}

TEST_F(CommManagerTest, SetCommSetTakesTheSettingsButNotAnotherManagersState)
{
    auto first = std::make_unique<CCommManager>();
    CCommManager second;
    ASSERT_TRUE(first->Initialize());
    ASSERT_TRUE(second.Initialize());
    EventLog secondLog(&second);
    second.AttatchWnd(secondLog.m_hWnd);

    commsettag record;
    first->GetCommSet(&record);
    EXPECT_EQ(record.hNotifyWnd, first->m_hWnd);
    record.nPortType = PORT_OFFLINE;
    record.nBaudRate = 3;
    record.wDelayPerChar = 4;
    record.nComPort = 8;
    record.strHostName = u"10.1.2.3";
    record.strOutBuff = u"@STOP\r\n";  // live state: must not reach the other link
    second.SetCommSet(&record);

    commsettag mine;
    second.GetCommSet(&mine);
    EXPECT_EQ(mine.nBaudRate, 3);
    EXPECT_EQ(mine.wDelayPerChar, 4);
    EXPECT_EQ(mine.nComPort, 8);
    EXPECT_EQ(mine.strHostName, CString(u"10.1.2.3"));
    EXPECT_EQ(mine.nPortType, PORT_OFFLINE);
    EXPECT_EQ(mine.hNotifyWnd, second.m_hWnd);
    EXPECT_NE(mine.hOutBufMutex, record.hOutBufMutex);
    EXPECT_NE(mine.hInBufMutex, record.hInBufMutex);
    EXPECT_TRUE(mine.strOutBuff.IsEmpty());
    EXPECT_EQ(mine.bAddToInBuff, 1);

    // The first manager goes; the second keeps working with its own window and locks.
    first.reset();
    EXPECT_EQ(second.Open(), 1);
    EXPECT_EQ(second.SendData(u"@?K1.1\r\n"), 1);
    EXPECT_EQ(second.GetInBuff(), CString());
}

TEST_F(CommManagerTest, TextSentFromAnotherThreadWhileTheLinkClosesIsNeverLeftForTheNextLink)
{
    CCommManager link;
    ASSERT_TRUE(link.Initialize());
    link.SetPortType(PORT_OFFLINE);
    ASSERT_EQ(link.Open(), 1);
    commsettag record;
    link.GetCommSet(&record);

    // The worker's send finds the link open and then waits for the out buffer,
    // which this thread holds while it closes the link.
    ASSERT_EQ(WaitForSingleObject(record.hOutBufMutex, 1000), WAIT_OBJECT_0);
    std::atomic<bool> sending{false};
    std::atomic<int> result{-1};
    std::thread worker([&] {
        sending = true;
        result = link.SendData(u"@START.1\r\n");
    });
    while (!sending.load()) std::this_thread::sleep_for(1ms);
    std::this_thread::sleep_for(50ms);
    link.Close();
    ReleaseMutex(record.hOutBufMutex);
    worker.join();

    link.GetCommSet(&record);
    EXPECT_TRUE(record.strOutBuff.IsEmpty()) << "a command waits in the buffer of a closed link";
    EXPECT_EQ(result.load(), record.strOutBuff.IsEmpty() ? 0 : 1) << "told as sent but dropped";
    link.SetPortType(PORT_OFFLINE);
    ASSERT_EQ(link.Open(), 1);
    link.GetCommSet(&record);
    EXPECT_TRUE(record.strOutBuff.IsEmpty()) << "the next link would send it";
}

// A worker (the status poll) asks for the port type while the link's thread opens and closes it.
TEST_F(CommManagerTest, ThePortTypeIsReadSafelyFromAnotherThreadWhileTheLinkOpensAndCloses)
{
    CCommManager link;
    ASSERT_TRUE(link.Initialize());
    std::atomic<bool> done{false};
    std::atomic<int> odd{0};
    std::thread worker([&] {
        while (!done.load()) {
            const PortType type = link.GetPortType();
            if (type != PORT_NONE && type != PORT_OFFLINE) ++odd;
        }
    });
    commsettag record;
    link.GetCommSet(&record);
    record.nPortType = PORT_OFFLINE;
    for (int i = 0; i < 200; ++i) {
        link.SetPortType(PORT_OFFLINE);
        link.Open();
        link.Close();
        link.SetCommSet(&record);
        link.Close();
    }
    done = true;
    worker.join();
    EXPECT_EQ(odd.load(), 0);
}

TEST_F(CommManagerTest, SettingsFileIsReadWhenMadeAndWrittenWhenDestroyed)
{
    settings.WriteCommIni("[Serial]\r\nBaudRate=9600\r\nDelayPerLine=20\r\n[TCPIP]\r\nIPAddress3=7\r\n");
    {
        CCommManager link;
        commsettag r;
        link.GetCommSet(&r);
        EXPECT_EQ(r.nBaudRate, 5);
        EXPECT_EQ(r.wDelayPerLine, 20);
        EXPECT_EQ(r.byIPAddress[2], 7);
        EXPECT_EQ(link.GetPortType(), PORT_NONE);
        link.SetComPort(9);
        link.SetTCPPort(2000);
        link.SetPortType(PORT_TCP);
        link.SetDefPortType();
        link.GetCommSet(&r);
        r.wDelayPerLine = 99;  // never written back
        r.wCRSend = CR_LF;
        link.SetCommSet(&r);
    }
    const CString file = CString::FromUtf8(settings.CommIniPath());
    const auto value = [&](const char16_t* section, const char16_t* key) {
        return platform::ReadPrivateProfileString(section, key, u"<absent>", file.GetString());
    };
    EXPECT_EQ(value(u"Serial", u"PrevComPort"), CString(u"9"));
    EXPECT_EQ(value(u"TCPIP", u"PortNumber"), CString(u"2000"));
    EXPECT_EQ(value(u"General", u"DefaultPort"), CString(u"2"));
    EXPECT_EQ(value(u"Serial", u"BaudRate"), CString(u"9600"));
    EXPECT_EQ(value(u"TCPIP", u"IPAddress3"), CString(u"7"));
    EXPECT_EQ(value(u"Serial", u"DelayPerLine"), CString(u"20"));
    EXPECT_EQ(value(u"Serial", u"CRSend"), CString(u"<absent>"));
    EXPECT_EQ(value(u"Serial", u"DelayPerChar"), CString(u"<absent>"));
}

TEST_F(CommManagerTest, AttachedWindowIsHandedBack)
{
    CCommManager link;
    ASSERT_TRUE(link.Initialize());
    EventLog log(&link);
    EXPECT_EQ(link.DetatchWnd(), HWND());
    link.AttatchWnd(log.m_hWnd);
    EXPECT_EQ(link.DetatchWnd(), log.m_hWnd);
    EXPECT_EQ(link.DetatchWnd(), HWND());
}

}  // namespace
