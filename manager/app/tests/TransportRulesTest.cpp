#include "manager/app/TransportRules.h"
#include "resources/manager/resource_ids.h"

#include "AppFixtures.h"

#include <gtest/gtest.h>

namespace {

class Transport : public testing::Test {
protected:
    appfx::ManagerModule m_module{"en"};
};

using Item = ConnectionTreeItem;

TEST_F(Transport, ModeNames)
{
    const std::pair<int, const char16_t*> rows[] = {{0, u"Standby"}, {1, u"Run"}, {2, u"Setup"},
                                                    {3, u""}, {4, u"Standby (field bus)"}, {5, u"Run (field bus)"},
                                                    {6, u"Setup (field bus)"}, {7, u""}, {-1, u""}};
    for (const auto& [code, name] : rows) {
        SCOPED_TRACE(code);
        EXPECT_EQ(ModeNameOfCode(code), name);
    }
}

TEST_F(Transport, ConnectionTreeGroupsAndOrder)
{
    const std::vector<Item> tree = BuildConnectionTree({4, 2, 7}, {9, 2, 1}, {0xC0A80002, 0x0A000001});
    const std::vector<Item> expected = {
        {-1, u"Serial connections in use", kConnectionGroup},
        {0, u"COM4", kConnectionOpenPort},
        {0, u"COM7", kConnectionOpenPort},
        {-1, u"Free COM ports", kConnectionGroup},
        {3, u"COM1", kConnectionFreePort},
        // A port a window is listed with but that opens is free.
        {3, u"COM2", kConnectionFreePort},
        {3, u"COM9", kConnectionFreePort},
        {-1, u"TCP connections in use", kConnectionGroup},
        {7, u"192.168.0.2", kConnectionOpenTcp},
        {7, u"10.0.0.1", kConnectionOpenTcp},
    };
    EXPECT_EQ(tree, expected);
}

TEST_F(Transport, ConnectionTreeWithoutSomeGroups)
{
    EXPECT_TRUE(BuildConnectionTree({}, {}, {}).empty());
    const std::vector<Item> global = BuildConnectionTree({4}, {1}, {}, false);
    EXPECT_EQ(global, (std::vector<Item>{{-1, u"Free COM ports", kConnectionGroup}, {0, u"COM1", kConnectionFreePort}}));
    const std::vector<Item> onlyOpen = BuildConnectionTree({3}, {3}, {});
    EXPECT_EQ(onlyOpen.size(), 2u);
    EXPECT_EQ(onlyOpen[1].data, kConnectionFreePort);

    const std::vector<Item> preset = BuildPresetConnectionTree(5, 0);
    EXPECT_EQ(preset, (std::vector<Item>{{-1, u"Serial connections in use", kConnectionGroup},
                                         {0, u"COM5", kConnectionOpenPort}}));
    EXPECT_EQ(BuildPresetConnectionTree(0, 0xC0A80002).back().text, u"192.168.0.2");
    EXPECT_TRUE(BuildPresetConnectionTree(0, 0).empty());
}

TEST_F(Transport, PresetSelectsOnlyAConnectionAWindowHolds)
{
    const std::vector<Item> tree = BuildConnectionTree({12, 1}, {2, 3}, {0xC0A80002});
    struct Row {
        const char* name;
        int port;
        DWORD address;
        const char16_t* selected;
    };
    const Row rows[] = {
        {"open port", 1, 0, u"COM1"},
        {"open port of two digits", 12, 0, u"COM12"},
        {"free port is never preselected", 2, 0, nullptr},
        {"open address", 0, 0xC0A80002, u"192.168.0.2"},
        {"unknown address", 0, 0xC0A80003, nullptr},
        {"no preset", 0, 0, nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const int index = FindPreselectedItem(tree, row.port, row.address);
        if (row.selected == nullptr) {
            EXPECT_EQ(index, -1);
        } else {
            ASSERT_GE(index, 0);
            EXPECT_EQ(tree[static_cast<std::size_t>(index)].text, row.selected);
        }
    }
}

TEST_F(Transport, ChosenItemsAndTheChecksBeforeOk)
{
    const Item header{-1, u"Free COM ports", kConnectionGroup};
    const Item open{0, u"COM12", kConnectionOpenPort};
    const Item free{0, u"COM3", kConnectionFreePort};
    const Item tcp{0, u"192.168.0.2", kConnectionOpenTcp};
    EXPECT_EQ(ReadConnectionItem(open).comPort, 12);
    EXPECT_EQ(ReadConnectionItem(free).comPort, 3);
    EXPECT_EQ(ReadConnectionItem(tcp).address, 0xC0A80002u);
    EXPECT_EQ(ReadConnectionItem(tcp).comPort, 0);
    EXPECT_EQ(ReadConnectionItem(Item{0, u"COMx", kConnectionOpenPort}).comPort, 0);

    EXPECT_EQ(CheckTransportChoice(true, u"", &free), UINT(IDS_TRANSPORT_NO_PATH));
    EXPECT_EQ(CheckTransportChoice(true, u"/d/a.yvekd", nullptr), UINT(IDS_TRANSPORT_NO_CONNECTION));
    EXPECT_EQ(CheckTransportChoice(false, u"", &header), UINT(IDS_TRANSPORT_NO_CONNECTION));
    EXPECT_EQ(CheckTransportChoice(false, u"", &tcp), 0u);
    EXPECT_EQ(CheckTransportChoice(true, u"/d/a.yvekd", &open), 0u);

    EXPECT_EQ(CheckCommSettingsChoice(nullptr), UINT(IDS_TRANSPORT_NO_CONNECTION));
    EXPECT_EQ(CheckCommSettingsChoice(&header), UINT(IDS_TRANSPORT_NO_CONNECTION));
    EXPECT_EQ(CheckCommSettingsChoice(&open), UINT(IDS_TRANSPORT_SETTINGS_FREE_PORT));
    EXPECT_EQ(CheckCommSettingsChoice(&tcp), UINT(IDS_TRANSPORT_SETTINGS_FREE_PORT));
    EXPECT_EQ(CheckCommSettingsChoice(&free), 0u);
}

TEST_F(Transport, ChecksBeforeAWrite)
{
    using K = WriteCheck::Kind;
    struct Row {
        const char* name;
        const char16_t *dataController, *dataRobot, *controller, *robot;
        int mode;
        CompatibleControllers pairs;
        std::vector<std::pair<K, UINT>> checks;
    };
    const Row rows[] = {
        {"everything matches, setup mode", u"KX-Q10", u"R1", u"KX-Q10", u"R1", 2, {}, {}},
        {"field-bus setup mode passes", u"KX-Q10", u"R1", u"KX-Q10", u"R1", 6, {}, {}},
        {"run mode asks", u"KX-Q10", u"R1", u"KX-Q10", u"R1", 1, {}, {{K::Ask, IDS_TRANSPORT_MODE}}},
        {"field-bus standby asks", u"KX-Q10", u"R1", u"KX-Q10", u"R1", 4, {}, {{K::Ask, IDS_TRANSPORT_MODE}}},
        {"other controller stops at once", u"KX-Q10", u"R9", u"KX-Q20", u"R1", 1, {}, {{K::Stop, IDS_TRANSPORT_OTHER_CONTROLLER}}},
        {"unreadable file stops", u"", u"", u"KX-Q20", u"R1", 2, {}, {{K::Stop, IDS_TRANSPORT_OTHER_CONTROLLER}}},
        {"other robot asks", u"KX-Q10", u"R1", u"KX-Q10", u"R2", 2, {}, {{K::Ask, IDS_TRANSPORT_OTHER_ROBOT}}},
        {"compatible pair asks, then the rest", u"KX-Q10", u"R1", u"KX-Q20", u"R2", 0,
         {{u"KX-Q10", u"KX-Q05"}, {u"KX-Q10", u"KX-Q20"}},
         {{K::Ask, IDS_TRANSPORT_COMPATIBLE}, {K::Ask, IDS_TRANSPORT_OTHER_ROBOT}, {K::Ask, IDS_TRANSPORT_MODE}}},
        {"a pair counts one way only", u"KX-Q20", u"R1", u"KX-Q10", u"R1", 2, {{u"KX-Q10", u"KX-Q20"}},
         {{K::Stop, IDS_TRANSPORT_OTHER_CONTROLLER}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::vector<WriteCheck> checks =
            PlanWriteChecks(row.dataController, row.dataRobot, row.controller, row.robot, row.mode, row.pairs);
        std::vector<std::pair<K, UINT>> got;
        for (const WriteCheck& c : checks) got.emplace_back(c.kind, c.messageId);
        EXPECT_EQ(got, row.checks);
    }
    const std::vector<WriteCheck> mode = PlanWriteChecks(u"A", u"R", u"A", u"R", 5);
    ASSERT_EQ(mode.size(), 1u);
    EXPECT_EQ(mode[0].first, u"Run (field bus)");
    EXPECT_EQ(mode[0].code, 5);
    const std::vector<WriteCheck> robot = PlanWriteChecks(u"A", u"R1", u"A", u"R2", 2);
    EXPECT_EQ(robot[0].first, u"R1");
    EXPECT_EQ(robot[0].second, u"R2");
}

TEST(NodeChoice, RowsOfTheNodesThatAnswered)
{
    std::array<BYTE, kScanNodes> present{};
    std::array<CString, kScanNodes> names;
    std::array<CString, kScanNodes> texts;
    present[0] = 1;
    present[9] = 1;
    present[15] = 1;
    present[3] = 2;  // only 1 counts as present
    names[0] = u"KX-Q10";
    texts[0] = u"Press";
    names[9] = u"KX-LB";
    const std::vector<NodeRow> rows = BuildNodeRows(present, names, texts, 10);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].number, u"01");
    EXPECT_EQ(rows[0].name, u"KX-Q10");
    EXPECT_EQ(rows[0].text, u"Press");
    EXPECT_FALSE(rows[0].marked);
    EXPECT_EQ(rows[1].number, u"10");
    EXPECT_TRUE(rows[1].marked);
    EXPECT_EQ(rows[2].node, 16);
    EXPECT_TRUE(BuildNodeRows({}, names, texts, 0).empty());
}

TEST(Generation, NewDataKeepTheControllersNetworkSettings)
{
    struct Row {
        const char* name;
        const char16_t* interfaceText;
        bool profinet;
        const char16_t* ip;
    };
    const Row rows[] = {
        {"EtherNet/IP gets the default addresses", u"EtherNet/IP", false, u"c0a80001"},
        {"Profinet writes its default data", u"Profinet", true, u"01020304"},
        {"others keep theirs", u"CC-Link", false, u"01020304"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ControllerData current;
        current.interfaceText = row.interfaceText;
        current.paramSets.resize(1);
        current.FirstParamSet()->K(79) = 1;
        current.FirstParamSet()->K(80) = 2;
        current.FirstParamSet()->K(81) = 3;
        current.FirstParamSet()->K(82) = 4;
        current.FirstParamSet()->K(83) = 5;
        ControllerData data;
        data.ipAddress = u"01020304";
        data.paramSets.resize(1);
        EXPECT_EQ(KeepControllerNetworkSettings(data, current), row.profinet);
        EXPECT_EQ(data.FirstParamSet()->K(79), 0);
        EXPECT_EQ(data.FirstParamSet()->K(80), 2);
        EXPECT_EQ(data.FirstParamSet()->K(82), 4);
        EXPECT_EQ(data.FirstParamSet()->K(83), 0);
        EXPECT_EQ(data.ipAddress, row.ip);
    }
    ControllerData withoutSet;
    ControllerData current;
    current.paramSets.resize(1);
    EXPECT_FALSE(KeepControllerNetworkSettings(withoutSet, current));
}

}  // namespace
