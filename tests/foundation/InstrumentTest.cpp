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

private:
    std::array<int16_t, 6> savedDevices_{};
    bool savedSwitchBox_ = false;
};

TEST_F(InstrumentTest, ControlCharactersAreSingleBytes)
{
    EXPECT_EQ(CR, std::string(1, '\x0D'));
    EXPECT_EQ(LF, std::string(1, '\x0A'));
    EXPECT_EQ(ESC, std::string(1, '\x1B'));
    EXPECT_EQ(RS, std::string(1, '\x1E'));
    EXPECT_EQ(SOH, std::string(1, '\x01'));
    EXPECT_EQ(ACK, std::string(1, '\x06'));
    EXPECT_EQ(NAK, std::string(1, '\x15'));
    EXPECT_EQ(EOT, std::string(1, '\x04'));
}

TEST_F(InstrumentTest, TableRowsHoldTheirNames)
{
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

TEST_F(InstrumentTest, InitConstantsPutsTheKeyboardRowBack)
{
    ModelShortName[1] = QStringLiteral("Handwaage");
    ModelLongName[1] = QStringLiteral("Handwaage");
    InitConstants();
    EXPECT_EQ(ModelShortName[1], QStringLiteral("Tastatur"));
    EXPECT_EQ(ModelLongName[1], QStringLiteral("Tastatur"));
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
    EXPECT_EQ(TestTypesOfInstrument(0), Codes{});
    EXPECT_EQ(TestTypesOfInstrument(1), Codes{1});
    EXPECT_EQ(TestTypesOfInstrument(2), (Codes{2, 3, 4, 5, 6}));
    EXPECT_EQ(TestTypesOfInstrument(3), (Codes{7, 8}));
    EXPECT_EQ(TestTypesOfInstrument(4), (Codes{9, 10}));
    EXPECT_EQ(TestTypesOfInstrument(5), (Codes{11, 12, 13}));
    EXPECT_EQ(TestTypesOfInstrument(6), (Codes{11, 12, 13}));
    EXPECT_EQ(TestTypesOfInstrument(8), Codes{15});
    EXPECT_EQ(TestTypesOfInstrument(12), Codes{18});
    EXPECT_EQ(TestTypesOfInstrument(13), Codes{19});
    EXPECT_EQ(TestTypesOfInstrument(14), Codes{19});
    EXPECT_EQ(TestTypesOfInstrument(15), Codes{20});
    for (const int16_t code : {7, 9, 10, 11, 16})
        EXPECT_EQ(TestTypesOfInstrument(code), (Codes{16, 17})) << code;
    EXPECT_EQ(TestTypesOfInstrument(17), Codes{});
    EXPECT_EQ(TestTypesOfInstrument(-1), Codes{});
    // No model measures test type 14.
    for (int16_t code = 0; code <= 16; ++code) {
        for (const int16_t t : TestTypesOfInstrument(code))
            EXPECT_NE(t, 14);
    }
}

TEST_F(InstrumentTest, FamiliesInTheirOrder)
{
    EXPECT_EQ(CompatibleInstruments(5), (Codes{5, 6}));
    EXPECT_EQ(CompatibleInstruments(6), (Codes{5, 6}));
    for (const int16_t code : {7, 9, 10, 11, 16})
        EXPECT_EQ(CompatibleInstruments(code), (Codes{9, 10, 16, 11, 7})) << code;
    EXPECT_EQ(CompatibleInstruments(13), (Codes{13, 14}));
    EXPECT_EQ(CompatibleInstruments(14), (Codes{13, 14}));
    EXPECT_EQ(CompatibleInstruments(1), Codes{1});
    EXPECT_EQ(CompatibleInstruments(15), Codes{15});
    EXPECT_EQ(CompatibleInstruments(0), Codes{0});
    EXPECT_EQ(CompatibleInstruments(99), Codes{0});
    EXPECT_EQ(CompatibleInstruments(-2), Codes{0});
}

TEST_F(InstrumentTest, PortSlotTakesTheHighestMatchingPosition)
{
    Configure({9, 16, 0, 0, 0, 0});
    EXPECT_EQ(PortSlotForTestType(16), 1);
    EXPECT_EQ(PortSlotForTestType(17), 1);
    EXPECT_EQ(PortSlotForTestType(18), NoPortSlot);
    EXPECT_EQ(NoPortSlot, 32767);
}

TEST_F(InstrumentTest, PortSlotWithASwitchBoxConfiguration)
{
    // Port itself: D 7041; switch-box channels 1 to 5: MP 4800, KR 6100-III,
    // nothing, KR 6450, KR 6850.
    Configure({2, 4, 6, 0, 12, 14}, true);
    EXPECT_EQ(PortSlotForTestType(2), 0);
    EXPECT_EQ(PortSlotForTestType(6), 0);
    EXPECT_EQ(PortSlotForTestType(9), 1);
    EXPECT_EQ(PortSlotForTestType(10), 1);
    EXPECT_EQ(PortSlotForTestType(12), 2);
    EXPECT_EQ(PortSlotForTestType(18), 4);
    EXPECT_EQ(PortSlotForTestType(19), 5);
    EXPECT_EQ(PortSlotForTestType(16), NoPortSlot);
    EXPECT_EQ(PortSlotForTestType(1), 0);
    // The same configuration without the switch box gives the same positions.
    SwitchBoxUsed = false;
    EXPECT_EQ(PortSlotForTestType(19), 5);
}

TEST_F(InstrumentTest, PortSlotEdgeCases)
{
    EXPECT_EQ(PortSlotForTestType(1), 0);   // keyboard, nothing configured
    Configure({1, 0, 1, 0, 1, 0});
    for (int16_t t = 2; t <= 20; ++t)
        EXPECT_EQ(PortSlotForTestType(t), NoPortSlot) << t;
    Configure({2, 3, 4, 5, 8, 15});
    EXPECT_EQ(PortSlotForTestType(14), NoPortSlot);
    EXPECT_EQ(PortSlotForTestType(1), 0);
    EXPECT_EQ(PortSlotForTestType(20), 5);
    // Codes from a damaged settings file are skipped.
    Configure({-1, 17, 99, 32767, 0, 0});
    for (int16_t t = 2; t <= 20; ++t)
        EXPECT_EQ(PortSlotForTestType(t), NoPortSlot) << t;
    EXPECT_EQ(PortSlotForTestType(0), NoPortSlot);
    EXPECT_EQ(PortSlotForTestType(21), NoPortSlot);
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
}

TEST_F(InstrumentTest, FindConfiguredInstrumentReadsUnknownCodesAsRowZero)
{
    Configure({2, 3, 4, 5, 8, 15});
    EXPECT_EQ(FindConfiguredInstrument(99), 0);
    EXPECT_EQ(FindConfiguredInstrument(-3), 0);
    Configure({2, 0, 0, 0, 0, 0});
    EXPECT_EQ(FindConfiguredInstrument(0), 0);
}

} // namespace
