#include "manager/core/ControllerData.h"

#include <gtest/gtest.h>

namespace {

ControllerDataSlot Filled(const ControllerDataStore& store, int seed)
{
    ControllerDataSlot slot;
    store.AllocControllerData(slot);
    ControllerData& d = *slot;
    d.controller.Format(u"CTRL%d", seed);
    d.user.Format(u"user%d", seed);
    d.robot.Format(u"ROBOT%d", seed);
    d.interfaceText = u"NPN";
    d.version.Format(u"1.%02d", seed);
    d.dbVersion = u"2.01.03";
    d.ipAddress = u"c0a80002";
    d.subnetMask = u"ffffff00";
    d.gateway = u"c0a80001";
    d.typeText = u"Q10";
    for (int i = 0; i < kPointCount; ++i) {
        PointRecord& r = d.points[static_cast<std::size_t>(i)];
        for (int f = 0; f < PointRecord::kFieldCount; ++f) r.Field(f) = seed * 1000 + i * 14 + f;
    }
    RobotParameterSet& set = *d.FirstParamSet();
    set.name = d.robot;
    set.controllerIndex = seed;
    for (int i = 0; i < kParamCount; ++i) set.values[static_cast<std::size_t>(i)] = seed * 10000 + i;
    return slot;
}

TEST(ControllerDataStore, AllocatesEmptyRecordsAndRefusesHeldSlots)
{
    ControllerDataStore store;
    ControllerDataSlot slot;
    ASSERT_TRUE(store.AllocControllerData(slot));
    ASSERT_TRUE(slot);
    for (const PointRecord& r : slot->points) EXPECT_EQ(r, PointRecord());
    ASSERT_EQ(slot->paramSets.size(), 1u);
    EXPECT_EQ(slot->paramSets[0], RobotParameterSet());
    EXPECT_TRUE(slot->controller.IsEmpty() && slot->ipAddress.IsEmpty() && slot->typeText.IsEmpty());

    slot->user = u"kept";
    ControllerData* held = slot.get();
    EXPECT_FALSE(store.AllocControllerData(slot));
    EXPECT_EQ(slot.get(), held);
    EXPECT_EQ(slot->user, u"kept");

    EXPECT_TRUE(store.FreeControllerData(slot));
    EXPECT_FALSE(slot);
    EXPECT_FALSE(store.FreeControllerData(slot));
}

TEST(CopyControllerData, ReplacesAllButUserAndControllerIndex)
{
    ControllerDataStore store;
    ControllerDataSlot source = Filled(store, 1);
    ControllerDataSlot target = Filled(store, 2);
    source->points[4] = PointRecord();
    source->points[4].p = 77;  // a row without a number is copied too

    ASSERT_TRUE(CopyControllerData(target.get(), source.get()));

    ControllerData expected = *source;
    expected.user = u"user2";
    expected.paramSets[0].controllerIndex = 2;
    EXPECT_EQ(*target, expected);
}

TEST(CopyControllerData, MissingRecordFailsWithoutTouchingTheOther)
{
    ControllerDataStore store;
    ControllerDataSlot a = Filled(store, 1);
    const ControllerData before = *a;
    ControllerData noSets;
    noSets.controller = u"X";

    EXPECT_FALSE(CopyControllerData(a.get(), nullptr));
    EXPECT_FALSE(CopyControllerData(nullptr, a.get()));
    EXPECT_FALSE(CopyControllerData(a.get(), &noSets));
    EXPECT_FALSE(CopyControllerData(&noSets, a.get()));
    EXPECT_EQ(*a, before);
    EXPECT_EQ(noSets.controller, u"X");
}

TEST(PointRecord, FieldIndexFollowsColumnOrder)
{
    PointRecord r;
    for (int f = 0; f < PointRecord::kFieldCount; ++f) r.Field(f) = f + 1;
    EXPECT_EQ(r.number, 1);
    EXPECT_EQ(r.m, 2);
    EXPECT_EQ(r.p, 3);
    EXPECT_EQ(r.ac, 5);
    EXPECT_EQ(r.zh, 9);
    EXPECT_EQ(r.j, 11);
    EXPECT_EQ(r.t, 14);
}

}  // namespace
