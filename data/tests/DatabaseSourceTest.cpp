// The database source's grammar and the byte layout the writer produces.
#include "data/DatabaseFileWriter.h"
#include "data/DatabaseSourceParser.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using actuatordb::CDatabaseSourceParser;

bool ParseText(const std::string& text, actuatordb::Database& db, std::string& error)
{
    CDatabaseSourceParser parser;
    if (!parser.Parse(text, "src", error) || !parser.Finish(error))
        return false;
    db = parser.database();
    return true;
}

TEST(DatabaseSource, SetsCombineInTurnAndRobotsAddTheirOwn)
{
    const std::string text = "version 1.2.3\r\n"
                             "controller C-1 X1   # comment\n"
                             "set a\n"
                             "    K1=5 K2=6 H0=7\n"
                             "set b\n"
                             "\tK2=0 K3=-8\n"
                             "set c from a b\n"
                             "    H7=9\n"
                             "\n"
                             "robot R1 on C-1 from c\n"
                             "    K1=1\n"
                             "robot R2 on C-1 from b a\n"
                             "robot R3 on C-1\n"
                             "stroke R1\n"
                             "    0 K44=10 K51=2\n"
                             "    100 K44=8\n"
                             "payload R2\n"
                             "    0\n";
    actuatordb::Database db;
    std::string error;
    ASSERT_TRUE(ParseText(text, db, error)) << error;
    EXPECT_EQ(db.version, actuatordb::PackVersion(1, 2, 3));
    ASSERT_EQ(db.controllers.size(), 1u);
    EXPECT_EQ(db.controllers[0].name, "C-1");
    EXPECT_EQ(db.controllers[0].code, "X1");
    ASSERT_EQ(db.robots.size(), 3u);
    const auto& r1 = db.robots[0].values;
    // c = a then b (b's assigned 0 wins over a's 6), then its own; R1 adds K1.
    EXPECT_EQ(r1[0], 1);
    EXPECT_EQ(r1[1], 0);
    EXPECT_EQ(r1[2], -8);
    EXPECT_EQ(r1[138], 7);
    EXPECT_EQ(r1[145], 9);
    const auto& r2 = db.robots[1].values;  // b then a: a's K2 wins
    EXPECT_EQ(r2[1], 6);
    EXPECT_EQ(r2[2], -8);
    for (std::int32_t v : db.robots[2].values)
        EXPECT_EQ(v, 0);
    ASSERT_EQ(db.strokeTables.size(), 1u);
    ASSERT_EQ(db.strokeTables[0].entries.size(), 2u);
    EXPECT_EQ(db.strokeTables[0].entries[0].items.size(), 2u);
    EXPECT_EQ(db.strokeTables[0].entries[0].items[1].key, 51);
    EXPECT_EQ(db.strokeTables[0].entries[1].threshold, 100);
    ASSERT_EQ(db.payloadTables.size(), 1u);
    EXPECT_TRUE(db.payloadTables[0].entries[0].items.empty());
}

TEST(DatabaseSource, ErrorsNameTheLine)
{
    const std::string head = "version 1.0.0\ncontroller C-1 X1\nrobot R1 on C-1\n";
    const struct {
        const char* what;
        std::string text;
        const char* error;
    } rows[] = {
        {"unknown keyword", head + "robots R2 on C-1\n", "src:4: unknown keyword"},
        {"version with two parts", "version 1.0\n", "src:1: expected: version"},
        {"minor beyond 255", "version 1.256.0\n", "src:1: expected: version"},
        {"no version", "controller C-1 X1\n", "no version"},
        {"controller twice", head + "controller C-1 X2\n", "src:4: controller \"C-1\" defined twice"},
        {"unknown set", head + "robot R2 on C-1 from nothing\n", "src:4: unknown set \"nothing\""},
        {"unknown controller", head + "robot R2 on C-9\n", "src:4: unknown controller"},
        {"robot twice on one controller", head + "robot R1 on C-1\n", "src:4: robot \"R1\" defined twice"},
        {"K0", head + "    K0=1\n", "src:4: expected K<n>=<value>"},
        {"K139", head + "    K139=1\n", "src:4: expected K<n>=<value>"},
        {"H8", head + "    H8=1\n", "src:4: expected K<n>=<value>"},
        {"value beyond 32 bits", head + "    K1=2147483648\n", "src:4: bad value"},
        {"value with trailing text", head + "    K1=12mm\n", "src:4: bad value"},
        {"indented line first", "  K1=1\n", "src:1: indented line outside"},
        {"body after a controller", head + "controller C-2 X2\n    K1=1\n", "src:5: indented line outside"},
        {"table of an unknown robot", head + "stroke R9\n", "src:4: unknown robot"},
        {"table twice", head + "payload R1\npayload R1\n", "src:5: payload table of \"R1\" defined twice"},
        {"thresholds not rising", head + "stroke R1\n    10 K44=1\n    10 K44=2\n", "src:6: thresholds must rise"},
        {"negative threshold", head + "stroke R1\n    -1 K44=1\n", "src:5: expected a threshold"},
        {"H item in a table", head + "stroke R1\n    0 H0=1\n", "src:5: table items name K parameters only"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        actuatordb::Database db;
        std::string error;
        EXPECT_FALSE(ParseText(row.text, db, error));
        EXPECT_NE(error.find(row.error), std::string::npos) << error;
    }
}

std::uint32_t U32(const std::string& b, std::size_t at)
{
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = v << 8 | static_cast<unsigned char>(b[at + i]);
    return v;
}

TEST(DatabaseWriter, MainDatabaseLayout)
{
    actuatordb::Database db;
    db.version = actuatordb::PackVersion(2, 1, 3);
    db.controllers = {{"KX-Q05", "Q05"}, {"CAF\xC3\x89", "LB2"}};  // "CAFÉ" in UTF-8
    actuatordb::Robot robot;
    robot.name = "SA4-L06";
    robot.controllerIndex = 1;
    robot.values[0] = -3;
    robot.values[145] = 0x01020304;
    db.robots = {robot};

    std::string b, error;
    ASSERT_TRUE(actuatordb::BuildMainDatabase(db, b, error)) << error;
    ASSERT_EQ(b.size(), 272u + 2 * 20 + 604);
    EXPECT_EQ(U32(b, 4), 0x00020103u);
    EXPECT_EQ(U32(b, 268), 2u);
    EXPECT_EQ(b.substr(272, 20), std::string("KX-Q05\0\0\0\0\0\0\0\0\0\0Q05\0", 20));
    // Windows-1252: É is one byte, 0xC9.
    EXPECT_EQ(b.substr(292, 20), std::string("CAF\xC9\0\0\0\0\0\0\0\0\0\0\0\0LB2\0", 20));
    EXPECT_EQ(b.substr(312, 16), std::string("SA4-L06\0\0\0\0\0\0\0\0\0", 16));
    EXPECT_EQ(U32(b, 328), 1u);
    EXPECT_EQ(U32(b, 332), static_cast<std::uint32_t>(-3));
    EXPECT_EQ(U32(b, 332 + 4 * 145), 0x01020304u);
}

TEST(DatabaseWriter, TableLayout)
{
    actuatordb::Database db;
    db.version = actuatordb::PackVersion(2, 1, 3);
    db.controllers = {{"C", "C"}};
    actuatordb::Robot robot;
    robot.name = "SIXTEEN-CHARS-AB";
    db.robots = {robot};
    db.payloadTables = {{"SIXTEEN-CHARS-AB", {{0, {{44, 9000}}}, {12, {{48, 200}, {44, 7000}}}}}};

    std::string b, error;
    ASSERT_TRUE(actuatordb::BuildTableDatabase(db, actuatordb::TableKind::Payload, b, error, {21, 7, 5})) << error;
    const std::size_t record = 21 + (7 + 5) + (7 + 10);
    ASSERT_EQ(b.size(), 40 + record);
    EXPECT_EQ(b.substr(0, 16), std::string("PAYLOADDB\0\0\0\0\0\0\0", 16));
    EXPECT_EQ(U32(b, 16), 40u);
    EXPECT_EQ(U32(b, 20), 0x00020103u);
    EXPECT_EQ(U32(b, 28), record);
    EXPECT_EQ(b[32], 1);
    EXPECT_EQ(b[33], 0);
    EXPECT_EQ(b[34], 21);
    EXPECT_EQ(b[35], 7);
    EXPECT_EQ(b[36], 5);
    EXPECT_EQ(U32(b, 40), record);
    EXPECT_EQ(b.substr(44, 16), "SIXTEEN-CHARS-AB");  // fills its field, no terminator
    EXPECT_EQ(b[60], 2);
    // Second entry: size 17, threshold 12, two pairs (48, 200) and (44, 7000).
    const std::size_t entry = 40 + 21 + 12;
    EXPECT_EQ(static_cast<unsigned char>(b[entry]), 17);
    EXPECT_EQ(U32(b, entry + 2), 12u);
    EXPECT_EQ(b[entry + 6], 2);
    EXPECT_EQ(static_cast<unsigned char>(b[entry + 7]), 48);
    EXPECT_EQ(U32(b, entry + 8), 200u);
    EXPECT_EQ(static_cast<unsigned char>(b[entry + 12]), 44);
    EXPECT_EQ(U32(b, entry + 13), 7000u);
}

TEST(DatabaseWriter, RefusesWhatTheFormatCannotHold)
{
    const struct {
        const char* what;
        std::string controller;
        std::string code;
        std::string robot;
        int index;
        const char* error;
    } rows[] = {
        {"name of 17 characters", "KX-Q05-SEVENTEEN1", "Q05", "R", 0, "must have 1 to 16"},
        {"empty name", "", "Q05", "R", 0, "must have 1 to 16"},
        {"code of 5 characters", "KX", "Q0500", "R", 0, "must have 1 to 4"},
        {"name outside Windows-1252", "KX-\xE8\xBB\xB8", "Q05", "R", 0, "cannot be stored"},
        {"robot of a missing controller", "KX", "Q05", "R", 1, "names no controller"},
        {"robot name too long", "KX", "Q05", "ROBOT-NAME-TOO-LONG", 0, "must have 1 to 16"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        actuatordb::Database db;
        db.controllers = {{row.controller, row.code}};
        actuatordb::Robot robot;
        robot.name = row.robot;
        robot.controllerIndex = row.index;
        db.robots = {robot};
        std::string b, error;
        EXPECT_FALSE(actuatordb::BuildMainDatabase(db, b, error));
        EXPECT_NE(error.find(row.error), std::string::npos) << error;
    }

    actuatordb::Database db;
    db.strokeTables = {{"R", std::vector<actuatordb::TableEntry>(256)}};
    std::string b, error;
    EXPECT_FALSE(actuatordb::BuildTableDatabase(db, actuatordb::TableKind::Stroke, b, error));
    EXPECT_NE(error.find("more than 255 entries"), std::string::npos) << error;
}

}  // namespace
