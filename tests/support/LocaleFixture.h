#pragma once
// Pins the decimal separator and Qt's default locale for one test (en_US
// unless the test pins another) and restores both afterwards.
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
    }
    void SetUp() override
    {
        savedSeparator_ = DecimalSeparator;
        savedLocale_ = QLocale();
        Pin(QStringLiteral("en_US"));
    }
    void TearDown() override
    {
        DecimalSeparator = savedSeparator_;
        QLocale::setDefault(savedLocale_);
    }

private:
    QString savedSeparator_;
    QLocale savedLocale_;
};
