#pragma once
// Pins the decimal and group separators and Qt's default locale for one test
// (en_US unless the test pins another) and restores them afterwards.
#include "platform/Conversions.h"

#include <QLocale>
#include <gtest/gtest.h>

class LocaleFixture : public ::testing::Test {
protected:
    void Pin(const QString& localeName)
    {
        const QLocale locale(localeName);
        QLocale::setDefault(locale);
        DecimalSeparator = locale.decimalPoint();
        GroupSeparator = locale.groupSeparator();
    }
    void SetUp() override
    {
        savedSeparator_ = DecimalSeparator;
        savedGroupSeparator_ = GroupSeparator;
        savedLocale_ = QLocale();
        Pin(QStringLiteral("en_US"));
    }
    void TearDown() override
    {
        DecimalSeparator = savedSeparator_;
        GroupSeparator = savedGroupSeparator_;
        QLocale::setDefault(savedLocale_);
    }

private:
    QString savedSeparator_;
    QString savedGroupSeparator_;
    QLocale savedLocale_;
};
