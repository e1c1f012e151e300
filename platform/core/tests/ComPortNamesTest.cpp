#include "platform/core/ComPortNames.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

namespace {

// Sets an environment variable for one scope and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::optional<std::string>& value) : m_name(name)
    {
        if (const char* old = std::getenv(name)) m_old = old;
        if (value) ::setenv(name, value->c_str(), 1);
        else ::unsetenv(name);
    }
    ~ScopedEnv()
    {
        if (m_old) ::setenv(m_name.c_str(), m_old->c_str(), 1);
        else ::unsetenv(m_name.c_str());
    }

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

// A ports file in a temporary folder, named by the environment for one test.
class PortsFileTest : public ::testing::Test {
protected:
    PortsFileTest()
        : m_dir(std::filesystem::temp_directory_path() /
                ("qv-ports-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name())),
          m_env(platform::kPortsFileVariable, (m_dir / "ports.ini").string())
    {
        std::filesystem::create_directories(m_dir);
    }
    ~PortsFileTest() override { std::filesystem::remove_all(m_dir); }

    void WriteFile(const std::string& text)
    {
        std::ofstream out(m_dir / "ports.ini", std::ios::binary);
        out << text;
    }

    std::filesystem::path m_dir;
    ScopedEnv m_env;
};

TEST(ComPortRule, NumbersAndDevicesBothWays)
{
    struct Row {
        int number;
        const char* device;
    };
    const Row rows[] = {
        {1, "/dev/ttyS0"},    {4, "/dev/ttyS3"},    {5, "/dev/ttyUSB0"},
        {12, "/dev/ttyUSB7"}, {13, "/dev/ttyACM0"}, {20, "/dev/ttyACM7"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.device);
        EXPECT_EQ(platform::ComPortRuleDevice(r.number), r.device);
        EXPECT_EQ(platform::ComPortRuleNumber(r.device), r.number);
    }
    for (int number : {0, -1, 21, 255, 70000}) {
        SCOPED_TRACE(number);
        EXPECT_EQ(platform::ComPortRuleDevice(number), "");
    }
    for (const char* device : {"/dev/ttyS4", "/dev/ttyUSB8", "/dev/ttyACM12", "/dev/ttyUSB01", "/dev/ttyS",
                               "/dev/ttyUSB1x", "/dev/tty0", "ttyS0", "/dev/ttyS-1", "/dev/pts/3"}) {
        SCOPED_TRACE(device);
        EXPECT_EQ(platform::ComPortRuleNumber(device), 0);
    }
}

TEST_F(PortsFileTest, ListsPresentDevicesWithOverrides)
{
    const std::vector<std::string> present = {"/dev/ttyS0",   "/dev/ttyS1",   "/dev/ttyS7", "/dev/ttyUSB1",
                                              "/dev/ttyACM0", "/dev/ttyACM9", "/dev/tty0",  "/dev/pts/7"};
    struct Override {
        int number;
        const char* device;
    };
    struct Row {
        const char* name;
        std::vector<Override> overrides;
        std::vector<platform::ComPortEntry> expected;
    };
    const Row rows[] = {
        {"rule only",
         {},
         {{1, "/dev/ttyS0"}, {2, "/dev/ttyS1"}, {6, "/dev/ttyUSB1"}, {13, "/dev/ttyACM0"}}},
        {"a device moved to another number is listed once",
         {{3, "/dev/ttyUSB1"}},
         {{1, "/dev/ttyS0"}, {2, "/dev/ttyS1"}, {3, "/dev/ttyUSB1"}, {13, "/dev/ttyACM0"}}},
        {"an empty override hides a device",
         {{1, ""}},
         {{2, "/dev/ttyS1"}, {6, "/dev/ttyUSB1"}, {13, "/dev/ttyACM0"}}},
        {"overrides to present and absent devices",
         {{40, "/dev/pts/7"}, {41, "/dev/pts/99"}, {13, "/dev/pts/98"}},
         {{1, "/dev/ttyS0"}, {2, "/dev/ttyS1"}, {6, "/dev/ttyUSB1"}, {40, "/dev/pts/7"}}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        std::vector<std::unique_ptr<platform::ScopedComPortDevice>> scoped;
        for (const Override& o : r.overrides)
            scoped.push_back(std::make_unique<platform::ScopedComPortDevice>(o.number, o.device));
        EXPECT_EQ(platform::ListComPorts(present), r.expected);
    }
}

TEST_F(PortsFileTest, FileOverridesFollowProfileRules)
{
    WriteFile("; ports of this machine\r\n"
              "[General]\r\n"
              "COM2=/dev/elsewhere\r\n"
              "[ ports ]\r\n"
              "com3 = \"/dev/pts/5\"\r\n"
              "COM3=/dev/pts/6\r\n"
              "Com7=relative/path\r\n"
              "COM8=\n"
              "COM0=/dev/zero-number\n"
              "COMx=/dev/not-a-number\n"
              "COM99999=/dev/too-big\n"
              "[Other]\n"
              "COM9=/dev/other-section\n");
    struct Row {
        int number;
        const char* device;
    };
    const Row rows[] = {
        {2, "/dev/ttyS1"},     // another section's key does not count
        {3, "/dev/pts/5"},     // case-insensitive, quotes stripped, first one wins
        {7, ""},               // a relative path maps to nothing
        {8, ""},               // so does an empty value
        {9, "/dev/ttyUSB4"},
        {1, "/dev/ttyS0"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.number);
        EXPECT_EQ(platform::ComPortDevice(r.number), r.device);
    }
    {
        platform::ScopedComPortDevice inProcess(3, "/dev/pts/9");
        EXPECT_EQ(platform::ComPortDevice(3), "/dev/pts/9");
        platform::ScopedComPortDevice nested(3, "/dev/pts/10");
        EXPECT_EQ(platform::ComPortDevice(3), "/dev/pts/10");
    }
    EXPECT_EQ(platform::ComPortDevice(3), "/dev/pts/5");
}

TEST_F(PortsFileTest, MissingFileGivesTheRule)
{
    EXPECT_EQ(platform::ComPortDevice(5), "/dev/ttyUSB0");
    EXPECT_EQ(platform::ComPortDevice(21), "");
}

TEST(ComPortsFile, DefaultLivesInTheSettingsFolder)
{
    ScopedEnv noFile(platform::kPortsFileVariable, std::nullopt);
    ScopedEnv config("XDG_CONFIG_HOME", "/tmp/qv-config");
    EXPECT_EQ(platform::ComPortsFilePath(), "/tmp/qv-config/Velbrook/Quorvane/ports.ini");
    ScopedEnv named(platform::kPortsFileVariable, "/tmp/elsewhere.ini");
    EXPECT_EQ(platform::ComPortsFilePath(), "/tmp/elsewhere.ini");
}

}  // namespace
