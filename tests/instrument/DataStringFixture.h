#pragma once
// Shared by the data-string tests: a fixture that pins the locale and puts
// the globals the data-string and text routines read back afterwards, and a
// builder that writes a data string field by field.
#include "foundation/Records.h"
#include "foundation/modGlobals.h"
#include "instrument/modDataString.h"
#include "platform/Conversions.h"
#include "platform/Installation.h"
#include "support/LocaleFixture.h"

#include <QLocale>
#include <gtest/gtest.h>

#include <string>

class DataStringFixture : public LocaleFixture {
protected:
    void SetUp() override
    {
        LocaleFixture::SetUp();
        savedLanguage_ = Language;
        savedKeyboard_ = KeyboardDef;
        savedPorts_ = PortDevice;
        Language = 2;
        KeyboardDef = KeyboardDefinition();
        PortDevice = {0, 0, 0, 0, 0, 0};
        ResetInstallation();
    }
    void TearDown() override
    {
        LocaleFixture::TearDown();
        Language = savedLanguage_;
        KeyboardDef = savedKeyboard_;
        PortDevice = savedPorts_;
        ResetInstallation();
    }

private:
    int16_t savedLanguage_ = 0;
    KeyboardDefinition savedKeyboard_;
    std::array<int16_t, 6> savedPorts_{};
};

// The fields of positions 2 to 57, each of its layout width, written with
// designated initializers in this order. A four-character serial number
// (codes 10 and 16) leaves the code letter empty.
struct Fields {
    std::string Id = "0000000";
    std::string Serial = "   ";
    std::string Letter = " ";
    std::string P1 = "      ";
    std::string U1 = " ";
    std::string P2 = "      ";
    std::string U2 = " ";
    std::string P3 = "      ";
    std::string U3 = " ";
    std::string P4 = "      ";
    std::string U4 = " ";
    std::string Warning = " ";
    std::string R1 = "      ";
    std::string RU1 = " ";
    std::string R2 = "      ";
    std::string RU2 = " ";
    std::string Spare = " ";
    std::string Flag = "0";
};

// The 57 characters of the fields, with RS in front.
inline std::string Head(const Fields& f)
{
    const std::string head = "\x1E" + f.Id + f.Serial + f.Letter + f.P1 + f.U1 + f.P2 + f.U2 + f.P3 + f.U3
                             + f.P4 + f.U4 + f.Warning + f.R1 + f.RU1 + f.R2 + f.RU2 + f.Spare + f.Flag;
    EXPECT_EQ(head.size(), 57u) << "a field of the test string has the wrong width";
    return head;
}

// A complete data string: the fields, their checksum, CR LF.
inline std::string Build(const Fields& f)
{
    const std::string head = Head(f);
    return head + DataStringChecksum(head) + "\r\n";
}

// A KR 6450 dynamic air-permeability reading with two results: serial B12,
// 400 cm³ at 12.3 kPa, limits 150/50 kPa on 50 cm², warning "-", 123.4 mm/s
// and the exponent 0.512, sent before.
inline Fields KR6450Reading()
{
    return {.Id = "KR 6450", .Serial = "B12", .P1 = "   400", .U1 = "/", .P2 = "   123", .U2 = "A", .P3 = "150/50",
            .U3 = "A", .P4 = "    50", .U4 = ")", .Warning = "-", .R1 = " 123.4", .RU1 = "H", .R2 = " 0.512",
            .Flag = "1"};
}
