#include "tests/support/emulator/StateFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

using emu::LineEmulator;

TEST(StateFile, ControllerDataFileLoadsAsOneController)
{
    // As the manager writes it: header, points, parameters, CR LF line ends.
    const std::string text =
        "CONT=N3\r\nUSER=CELL 7\r\nROBOT=RB-20\r\nIF=EtherNet/IP\r\nVER=V2.10\r\nDBVER=1.0.3\r\n"
        "IPADDR=192.168.0.2\r\nMASK=255.255.255.0\r\nGATEWAY=\r\n"
        "PNT12=M1,P1000,S100,AC30,DC30,Q0,ZL0,ZH0,N0,J0,F0,C0,T0\r\n"
        "K1=-3\r\nK38=4\r\nH7=9\r\n";
    LineEmulator line;
    std::string error;
    ASSERT_TRUE(emu::LoadState(text, line, error)) << error;
    ASSERT_EQ(line.ControllerCount(), 1u);
    emu::ControllerModel& c = line.ControllerAt(0);
    EXPECT_EQ(c.Node(), 4);
    EXPECT_EQ(c.ControllerName(), "N3");
    EXPECT_EQ(c.Comment(2), "CELL 7");
    EXPECT_EQ(c.Robot(), "RB-20");
    EXPECT_EQ(c.Interface(), "EtherNet/IP");
    EXPECT_EQ(c.Version(), "V2.10");
    EXPECT_EQ(c.Comment(9), "c0a80002");
    EXPECT_EQ(c.Comment(8), "ffffff00");
    EXPECT_EQ(c.Comment(7), "");
    EXPECT_EQ(c.Point(12), (emu::PointFields{1, 1000, 100, 30, 30, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(c.Parameter(1), -3);
    EXPECT_EQ(c.HParameter(7), 9);
    EXPECT_EQ(line.Exchange("@?PNT12.4"), "PNT12.4=M1,P1000,S100,AC30,DC30,Q0,ZL0,ZH0,N0,J0,F0,C0,T0\r\nOK.4\r\n");
}

TEST(StateFile, SeveralControllersWithLiveState)
{
    const std::string text =
        "# two controllers\n"
        "NODE=1\nTYPE=LA2\nIN=4096\nOUT=3\nOPT=2048\nOPTB8=1\nWIN2=5\nD0=1234\nALM=1A,2b\nWARN=05\nMSG=41\n"
        "NODE=2\nCONT=SPECIAL\nTYPE=Q10\nCOM3=note\nVER2=9.9\n";
    LineEmulator line;
    std::string error;
    ASSERT_TRUE(emu::LoadState(text, line, error)) << error;
    ASSERT_EQ(line.ControllerCount(), 2u);
    emu::ControllerModel& first = line.Controller(1);
    EXPECT_EQ(first.Type(), "LA2");
    EXPECT_EQ(first.ControllerName(), "N1");
    EXPECT_EQ(first.Inputs(), 4096);
    EXPECT_EQ(first.Outputs(), 3);
    EXPECT_EQ(first.OptionStatus(), 2048u);
    EXPECT_EQ(first.OptionBoard(8), 1);
    EXPECT_EQ(first.WideInput(2), 5);
    EXPECT_EQ(first.DValue(0), 1234);
    EXPECT_EQ(first.Alarms(), (std::vector<uint8_t>{0x1A, 0x2B}));
    EXPECT_EQ(first.Records().size(), 2u);
    EXPECT_EQ(first.Warnings(), (std::vector<uint8_t>{0x05}));
    EXPECT_EQ(first.Message(), 0x41);
    emu::ControllerModel& second = line.Controller(2);
    EXPECT_EQ(second.ControllerName(), "SPECIAL");  // given before the type, kept
    EXPECT_EQ(second.Comment(3), "note");
    EXPECT_EQ(second.Version2(), "9.9");
}

TEST(StateFile, BadLinesAreNamed)
{
    struct Case {
        const char* name;
        const char* text;
        const char* error;
    };
    const Case cases[] = {
        {"no equals sign", "NODE=1\nCONT\n", "line 2: no \"=\""},
        {"unknown key", "FOO=1\n", "line 1: unknown or malformed FOO=1"},
        {"parameter out of range", "K139=1\n", "line 1: unknown or malformed K139=1"},
        {"number that is none", "K1=x\n", "line 1: unknown or malformed K1=x"},
        {"bad node", "NODE=0\n", "line 1: bad node 0"},
        {"bad address", "IPADDR=300.1.1.1\n", "line 1: bad address 300.1.1.1"},
        {"bad point", "PNT1=M1,X5\n", "line 1: bad point M1,X5"},
        {"bad alarm code", "ALM=1G\n", "line 1: bad code 1G"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LineEmulator line;
        std::string error;
        EXPECT_FALSE(emu::LoadState(c.text, line, error));
        EXPECT_EQ(error, c.error);
    }
}

TEST(StateFile, ReadsAFile)
{
    std::string pattern = (std::filesystem::temp_directory_path() / "qv-emulator-state-XXXXXX").string();
    char* path = pattern.data();
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    struct Remove {
        const char* path;
        ~Remove() { std::remove(path); }
    } remove{path};
    std::ofstream(path) << "NODE=5\nROBOT=R5\n";

    LineEmulator line;
    std::string error;
    ASSERT_TRUE(emu::LoadStateFile(path, line, error)) << error;
    EXPECT_EQ(line.Controller(5).Robot(), "R5");
    EXPECT_FALSE(emu::LoadStateFile(std::string(path) + ".missing", line, error));
    EXPECT_NE(error.find("cannot open"), std::string::npos);
}

}  // namespace
