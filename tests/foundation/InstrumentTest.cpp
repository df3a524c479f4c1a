#include "foundation/modGlobals.h"
#include "foundation/modInstrument.h"

#include <gtest/gtest.h>

namespace {

using Codes = std::vector<int16_t>;

class InstrumentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedDevices_ = PortDevice;
        savedSwitchBox_ = SwitchBoxUsed;
        PortDevice.fill(0);
        InitConstants();
    }
    void TearDown() override
    {
        PortDevice = savedDevices_;
        SwitchBoxUsed = savedSwitchBox_;
        InitConstants();
    }
    void Configure(std::array<int16_t, 6> devices, bool switchBox = false)
    {
        PortDevice = devices;
        SwitchBoxUsed = switchBox;
    }
    // Pairs of test type and the position that measures it.
    static void ExpectSlots(std::initializer_list<std::pair<int16_t, int16_t>> positions)
    {
        for (const auto& [testType, slot] : positions)
            EXPECT_EQ(PortSlotForTestType(testType), slot) << "test type " << testType;
    }

private:
    std::array<int16_t, 6> savedDevices_{};
    bool savedSwitchBox_ = false;
};

TEST_F(InstrumentTest, TableRowsHoldTheirNamesAndInitConstantsPutsTheKeyboardRowBack)
{
    ModelShortName[1] = QStringLiteral("Handwaage");
    ModelLongName[1] = QStringLiteral("Handwaage");
    InitConstants();
    const char* shortNames[] = {"---", "Tastatur", "D 7041", "MP 4300-II", "MP 4800", "KR 6100-II",
                                "KR 6100-III", "KR 6420", "KR 6250", "KR 6400-II", "KR 6400-III",
                                "KR 6410", "KR 6450", "KR 6800", "KR 6850", "Lister", "KR 6400-IV"};
    for (int code = 0; code <= 16; ++code) {
        const QString expected = QString::fromLatin1(shortNames[code]);
        EXPECT_EQ(ModelShortName[static_cast<size_t>(code)], expected) << code;
        QString longName = expected;
        if (code >= 2 && code != 15)
            longName = QStringLiteral("Zolvera ") + expected;
        if (code == 15)
            longName = QStringLiteral("Lenzing Lister");
        EXPECT_EQ(ModelLongName[static_cast<size_t>(code)], longName) << code;
    }
}

TEST_F(InstrumentTest, CodesOutsideTheTableReadAsRowZero)
{
    EXPECT_EQ(ModelShortNameOf(17), QStringLiteral("---"));
    EXPECT_EQ(ModelLongNameOf(-1), QStringLiteral("---"));
    EXPECT_EQ(ModelLongNameOf(32767), QStringLiteral("---"));
    EXPECT_EQ(ModelLongNameOf(15), QStringLiteral("Lenzing Lister"));
    EXPECT_EQ(ValidInstrumentCode(16), 16);
    EXPECT_EQ(ValidInstrumentCode(17), 0);
    EXPECT_EQ(ValidInstrumentCode(-5), 0);
}

TEST_F(InstrumentTest, TestTypesOfEachModel)
{
    // No model measures test type 14.
    const std::pair<int16_t, Codes> models[] = {
        {0, {}},          {1, {1}},       {2, {2, 3, 4, 5, 6}}, {3, {7, 8}},   {4, {9, 10}},   {5, {11, 12, 13}},
        {6, {11, 12, 13}}, {7, {16, 17}}, {8, {15}},            {9, {16, 17}}, {10, {16, 17}}, {11, {16, 17}},
        {12, {18}},       {13, {19}},     {14, {19}},           {15, {20}},    {16, {16, 17}}, {17, {}},
        {-1, {}}};
    for (const auto& [code, testTypes] : models)
        EXPECT_EQ(TestTypesOfInstrument(code), testTypes) << code;
}

TEST_F(InstrumentTest, FamiliesInTheirOrder)
{
    const Codes group = {9, 10, 16, 11, 7};
    const std::pair<int16_t, Codes> families[] = {
        {5, {5, 6}}, {6, {5, 6}}, {7, group}, {9, group}, {10, group}, {11, group}, {16, group}, {13, {13, 14}},
        {14, {13, 14}}, {1, {1}}, {15, {15}}, {0, {0}}, {99, {0}}, {-2, {0}}};
    for (const auto& [code, family] : families)
        EXPECT_EQ(CompatibleInstruments(code), family) << code;
}

TEST_F(InstrumentTest, PortSlotTakesTheHighestMatchingPosition)
{
    EXPECT_EQ(NoPortSlot, 32767);
    EXPECT_EQ(PortSlotForTestType(1), 0);   // keyboard, nothing configured
    Configure({9, 16, 0, 0, 0, 0});
    ExpectSlots({{16, 1}, {17, 1}, {18, NoPortSlot}});
    Configure({2, 3, 4, 5, 8, 15});
    ExpectSlots({{14, NoPortSlot}, {1, 0}, {20, 5}, {0, NoPortSlot}, {21, NoPortSlot}});
    // Only keyboards, or codes from a damaged settings file, which are skipped.
    for (const std::array<int16_t, 6>& devices :
         {std::array<int16_t, 6>{1, 0, 1, 0, 1, 0}, std::array<int16_t, 6>{-1, 17, 99, 32767, 0, 0}}) {
        Configure(devices);
        for (int16_t t = 2; t <= 20; ++t)
            EXPECT_EQ(PortSlotForTestType(t), NoPortSlot) << t;
    }
}

TEST_F(InstrumentTest, PortSlotWithASwitchBoxConfiguration)
{
    // Port itself: D 7041; switch-box channels 1 to 5: MP 4800, KR 6100-III,
    // nothing, KR 6450, KR 6850.
    Configure({2, 4, 6, 0, 12, 14}, true);
    ExpectSlots({{2, 0}, {6, 0}, {9, 1}, {10, 1}, {12, 2}, {18, 4}, {19, 5}, {16, NoPortSlot}, {1, 0}});
    // The same configuration without the switch box gives the same positions.
    SwitchBoxUsed = false;
    EXPECT_EQ(PortSlotForTestType(19), 5);
}

TEST_F(InstrumentTest, FindConfiguredInstrumentTakesTheFamilyMember)
{
    Configure({7, 0, 0, 10, 0, 0});
    EXPECT_EQ(FindConfiguredInstrument(16), 10);
    EXPECT_EQ(FindConfiguredInstrument(9), 10);
    EXPECT_EQ(FindConfiguredInstrument(7), 10);
    EXPECT_EQ(FindConfiguredInstrument(5), 5);
    EXPECT_EQ(FindConfiguredInstrument(12), 12);
    Configure({6, 0, 0, 0, 0, 0});
    EXPECT_EQ(FindConfiguredInstrument(5), 6);
    Configure({14, 13, 0, 0, 0, 0});
    EXPECT_EQ(FindConfiguredInstrument(14), 13);
    // Unknown codes read as row 0.
    Configure({2, 3, 4, 5, 8, 15});
    EXPECT_EQ(FindConfiguredInstrument(99), 0);
    EXPECT_EQ(FindConfiguredInstrument(-3), 0);
    Configure({2, 0, 0, 0, 0, 0});
    EXPECT_EQ(FindConfiguredInstrument(0), 0);
}

} // namespace
