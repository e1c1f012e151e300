// The database installed beside the programs, read through the library's
// exports bound by name as the programs bind them, against its source; and
// the invented data checked for the sense the programs rely on.
#include "data/DatabaseSourceParser.h"
#include "dbaccess/Tarnwell.h"
#include "motioncalc/PellarunLib.h"
#include "platform/core/Paths.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <string>
#include <vector>

namespace {

// Binds the library from the program's folder, as the programs do.
class TarnwellBinding {
public:
    TarnwellBinding()
    {
        const std::string path = platform::JoinPath(platform::GetProgramFolder(), u"libTarnwell.so").ToUtf8();
        m_module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (m_module == nullptr)
            return;
        listCount = Bind<PFN_Tarnwell_GetControllerListCount>("Tarnwell_GetControllerListCount");
        controllerNames = Bind<PFN_Tarnwell_GetControllerNames>("Tarnwell_GetControllerNames");
        robotNames = Bind<PFN_Tarnwell_GetRobotNames>("Tarnwell_GetRobotNames");
        selectParameters = Bind<PFN_Tarnwell_GetSelectParameters>("Tarnwell_GetSelectParameters");
        databaseVersion = Bind<PFN_Tarnwell_GetDatabaseVersion>("Tarnwell_GetDatabaseVersion");
        initParameter = Bind<PFN_Tarnwell_GetInitParameter>("Tarnwell_GetInitParameter");
        strokeData = Bind<PFN_Tarnwell_GetStrokeData>("Tarnwell_GetStrokeData");
        payloadData = Bind<PFN_Tarnwell_GetPayloadData>("Tarnwell_GetPayloadData");
    }
    ~TarnwellBinding()
    {
        if (m_module != nullptr)
            ::dlclose(m_module);
    }
    TarnwellBinding(const TarnwellBinding&) = delete;
    TarnwellBinding& operator=(const TarnwellBinding&) = delete;

    bool Complete() const
    {
        return listCount && controllerNames && robotNames && selectParameters && databaseVersion && initParameter &&
               strokeData && payloadData;
    }

    PFN_Tarnwell_GetControllerListCount listCount = nullptr;
    PFN_Tarnwell_GetControllerNames controllerNames = nullptr;
    PFN_Tarnwell_GetRobotNames robotNames = nullptr;
    PFN_Tarnwell_GetSelectParameters selectParameters = nullptr;
    PFN_Tarnwell_GetDatabaseVersion databaseVersion = nullptr;
    PFN_Tarnwell_GetInitParameter initParameter = nullptr;
    PFN_Tarnwell_GetStrokeData strokeData = nullptr;
    PFN_Tarnwell_GetPayloadData payloadData = nullptr;

private:
    template <typename F>
    F Bind(const char* name)
    {
        return reinterpret_cast<F>(::dlsym(m_module, name));
    }

    void* m_module = nullptr;
};

actuatordb::Database ReadSource()
{
    actuatordb::CDatabaseSourceParser parser;
    std::string error;
    const std::string list = QV_DATABASE_SOURCES;
    std::size_t at = 0;
    while (at <= list.size()) {
        std::size_t bar = list.find('|', at);
        if (bar == std::string::npos)
            bar = list.size();
        EXPECT_TRUE(parser.ParseFile(list.substr(at, bar - at), error)) << error;
        at = bar + 1;
    }
    EXPECT_TRUE(parser.Finish(error)) << error;
    return parser.database();
}

const actuatordb::Table* FindTable(const std::vector<actuatordb::Table>& tables, const std::string& robot)
{
    for (const actuatordb::Table& t : tables) {
        if (t.robotName == robot)
            return &t;
    }
    return nullptr;
}

class InstalledDatabase : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_lib.Complete());
        m_source = ReadSource();
    }

    TarnwellBinding m_lib;
    actuatordb::Database m_source;
};

TEST_F(InstalledDatabase, ReadsBackItsSource)
{
    CString version;
    ASSERT_EQ(m_lib.databaseVersion(&version), 0);
    EXPECT_EQ(version, CString(u"2.01.03"));

    const int count = m_lib.listCount();
    ASSERT_EQ(count, static_cast<int>(m_source.controllers.size()));
    std::vector<CString> texts(static_cast<std::size_t>(2 * count));
    ASSERT_EQ(m_lib.controllerNames(texts.data(), 2 * count), count);
    for (int i = 0; i < count; ++i) {
        EXPECT_EQ(texts[2 * i].ToUtf8(), m_source.controllers[i].name);
        EXPECT_EQ(texts[2 * i + 1].ToUtf8(), m_source.controllers[i].code);
    }

    for (int c = 0; c < count; ++c) {
        SCOPED_TRACE(m_source.controllers[c].name);
        std::string expected;
        for (const actuatordb::Robot& r : m_source.robots) {
            if (r.controllerIndex == c)
                expected += r.name + "\n";
        }
        CString names;
        ASSERT_GT(m_lib.robotNames(c, &names), 0);
        EXPECT_EQ(names.ToUtf8(), expected);
    }

    for (const actuatordb::Robot& r : m_source.robots) {
        const std::string& controller = m_source.controllers[static_cast<std::size_t>(r.controllerIndex)].name;
        SCOPED_TRACE(controller + " / " + r.name);
        RobotParameterSet set;
        ASSERT_EQ(m_lib.initParameter(CString::FromUtf8(controller), CString::FromUtf8(r.name), &set), 0);
        EXPECT_EQ(set.name.ToUtf8(), r.name);
        EXPECT_EQ(set.controllerIndex, r.controllerIndex);
        for (std::size_t i = 0; i < set.values.size(); ++i)
            EXPECT_EQ(set.values[i], r.values[i]) << "value " << i;
    }

    for (const auto* tables : {&m_source.strokeTables, &m_source.payloadTables}) {
        for (const actuatordb::Table& t : *tables) {
            SCOPED_TRACE(t.robotName);
            RobotTableRecord record;
            const CString name = CString::FromUtf8(t.robotName);
            ASSERT_EQ(tables == &m_source.strokeTables ? m_lib.strokeData(name, &record)
                                                       : m_lib.payloadData(name, &record),
                      0);
            ASSERT_EQ(record.entries.size(), t.entries.size());
            for (std::size_t e = 0; e < t.entries.size(); ++e) {
                EXPECT_EQ(record.entries[e].value, t.entries[e].threshold);
                ASSERT_EQ(record.entries[e].pairs.size(), t.entries[e].items.size());
                for (std::size_t p = 0; p < t.entries[e].items.size(); ++p) {
                    EXPECT_EQ(record.entries[e].pairs[p].key, t.entries[e].items[p].key);
                    EXPECT_EQ(record.entries[e].pairs[p].value, t.entries[e].items[p].value);
                }
            }
        }
    }
}

TEST_F(InstalledDatabase, ControllersTheProgramsNameAreThere)
{
    std::set<std::string> codes;
    for (const actuatordb::Controller& c : m_source.controllers) {
        codes.insert(c.code);
        // Lookups compare controller names in upper case.
        for (char ch : c.name)
            EXPECT_FALSE(std::islower(static_cast<unsigned char>(ch))) << c.name;
    }
    const std::set<std::string> models = {"Q05", "Q10", "Q20", "V05", "V10", "V20", "LA", "LB", "LA2", "LB2", "LC"};
    EXPECT_EQ(codes, models);
    // Names follow the model codes; the alarm texts of the pulse-train model
    // carry "CONT=KX-LB".
    for (const actuatordb::Controller& c : m_source.controllers)
        EXPECT_EQ(c.name, "KX-" + c.code);
}

// The initial parameters hang together the way the programs use them.
TEST_F(InstalledDatabase, InitialParametersAreConsistent)
{
    for (const actuatordb::Robot& r : m_source.robots) {
        const actuatordb::Controller& c = m_source.controllers[static_cast<std::size_t>(r.controllerIndex)];
        SCOPED_TRACE(c.name + " / " + r.name);
        RobotParameterSet set;
        ASSERT_EQ(m_lib.initParameter(CString::FromUtf8(c.name), CString::FromUtf8(r.name), &set), 0);

        // Names: upper case, so the stroke lookup (exact) matches the name
        // the robot list gives.
        for (char ch : r.name)
            EXPECT_FALSE(std::islower(static_cast<unsigned char>(ch)));

        EXPECT_EQ(set.K(2), set.K(43)) << "soft limit at the stroke";
        EXPECT_GT(set.K(43), 0);
        EXPECT_GT(set.K(44), 0);
        EXPECT_GT(set.K(42), 0);
        EXPECT_LE(set.K(44), set.K(42) * 5) << "no faster than the lead at 3000 rpm";
        EXPECT_LE(set.K(6), set.K(51));
        EXPECT_LE(set.K(51), set.K(44));
        EXPECT_LE(set.K(13), set.K(46));
        EXPECT_GT(set.K(47), 0);
        EXPECT_LE(set.K(47), 300);
        EXPECT_LE(set.K(76), set.K(47));
        EXPECT_LE(set.K(78), set.K(47));
        EXPECT_GE(set.K(9), 1);
        EXPECT_LE(set.K(9), 100);
        EXPECT_EQ(set.K(71), 2);
        EXPECT_EQ(set.K(20), 0);
        EXPECT_TRUE(set.K(50) == 0 || set.K(50) == 1);

        const bool fine = c.code == "V05" || c.code == "V10" || c.code == "V20";
        EXPECT_EQ(set.K(72), fine ? 3 : 2);
        if (c.code.find("LB") != std::string::npos) {
            EXPECT_GE(set.K(84), 1);
            EXPECT_GE(set.K(85), 1);
            EXPECT_EQ(set.K(87), 4);
        }

        // The acceleration limits are what the motion library gives for the
        // carried masses, as the programs recompute them.
        for (const auto& [mass, limit] : {std::pair{76, 77}, std::pair{78, 79}}) {
            const int expected = DllAccCalc(set.K(mass), set.K(48), set.K(49), set.K(50), set.K(55),
                                            set.K(56), set.K(57), set.K(58));
            EXPECT_EQ(set.K(limit), expected) << "K" << limit;
            EXPECT_LE(set.K(limit), set.K(48));
            EXPECT_GE(set.K(limit), set.K(49));
        }

        // Every robot has both tables, starting at 0 and never faster than
        // the robot.
        for (const auto* tables : {&m_source.strokeTables, &m_source.payloadTables}) {
            const actuatordb::Table* table = FindTable(*tables, r.name);
            ASSERT_NE(table, nullptr);
            ASSERT_FALSE(table->entries.empty());
            EXPECT_EQ(table->entries.front().threshold, 0);
            for (const actuatordb::TableEntry& e : table->entries) {
                ASSERT_FALSE(e.items.empty());
                for (const actuatordb::TableItem& item : e.items) {
                    if (item.key == 44) {
                        EXPECT_LE(item.value, set.K(44));
                    }
                }
            }
            if (tables == &m_source.payloadTables) {
                // The speed limit is the last item of an entry.
                for (const actuatordb::TableEntry& e : table->entries)
                    EXPECT_EQ(e.items.back().key, 44);
                EXPECT_LE(table->entries.back().threshold, set.K(47));
            } else {
                EXPECT_EQ(table->entries.front().items.front().key, 44);
                EXPECT_EQ(table->entries.front().items.front().value, set.K(44));
            }
        }
    }
}

}  // namespace
