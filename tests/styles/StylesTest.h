#pragma once
// Shared by the tests of the list and form editors: a fresh program folder
// with the settings at their defaults, English texts, the locale pinned,
// message boxes answered by script, and typing and pasting into boxes.
#include "support/LocaleFixture.h"
#include "support/ScriptedPresenter.h"

#include "foundation/modGlobals.h"
#include "foundation/modInstrument.h"
#include "foundation/modMessage.h"
#include "foundation/modSettings.h"
#include "platform/ProgramFolder.h"
#include "platform/TextInput.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTemporaryDir>

#include <functional>
#include <ostream>
#include <string>

inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

class StylesTest : public LocaleFixture {
protected:
    void SetUp() override
    {
        LocaleFixture::SetUp();
        ASSERT_TRUE(Temp.isValid());
        SetProgramFolder(Temp.path());
        ResetSettingsGlobals(Temp.path());
        Language = 2;
        PortDevice.fill(0);
        InitConstants();
    }
    void TearDown() override
    {
        // Dialogs closed by the test are deleted now, not in a later test.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ResetSettingsGlobals(Temp.path());
        InitConstants();
        SetProgramFolder(QString());
        LocaleFixture::TearDown();
    }

    // The settings file as it stands ("<missing>" when there is none).
    static std::string SettingsBytes()
    {
        QFile file(SettingsFilePath());
        if (!file.open(QIODevice::ReadOnly))
            return "<missing>";
        return file.readAll().toStdString();
    }
    static MessageRequest Message(int16_t number, const QVariantList& arguments = {})
    {
        return ComposeMessage(number, arguments, 2);
    }
    static void Type(QWidget* widget, int key, const QString& text = QString())
    {
        for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
            QKeyEvent event(type, key, Qt::NoModifier, text);
            QApplication::sendEvent(widget, &event);
        }
    }
    static void TypeText(QLineEdit* box, const QString& text)
    {
        for (const QChar c : text)
            Type(box, 0, QString(c));
    }
    static void Paste(QLineEdit* box, const QString& text)
    {
        QGuiApplication::clipboard()->setText(text);
        box->paste();
    }

    // The box keeps only what can be stored, up to its length: a control
    // character or one outside Windows-1252, typed or pasted, and a character
    // past the limit are refused, each with a beep.
    static void ExpectStoredTextInput(QLineEdit* box, int maxLength)
    {
        SCOPED_TRACE(box->objectName().toStdString());
        const QString full(maxLength, QChar(u'x'));
        const std::function<void()> refusals[] = {
            [box] { Paste(box, QStringLiteral("\tB\r\nC")); },
            [box] { Paste(box, QString::fromUtf8("Łukasz")); },
            [box] { TypeText(box, QString::fromUtf8("Ł")); },
            [box, full] {
                box->setText(full);
                TypeText(box, QStringLiteral("!"));
            },
        };
        for (size_t i = 0; i < std::size(refusals); ++i) {
            box->setText(QStringLiteral("Ab"));
            box->setCursorPosition(2);
            const int beeps = InputBeepCount();
            refusals[i]();
            EXPECT_GT(InputBeepCount(), beeps) << i;
            EXPECT_EQ(box->text(), i == 3 ? full : QStringLiteral("Ab")) << i;
        }
        // The euro sign is in Windows-1252.
        box->setText(QStringLiteral("A"));
        TypeText(box, QString::fromUtf8("€"));
        EXPECT_EQ(box->text(), QString::fromUtf8("A€"));
        box->setText(QString());
    }

    QTemporaryDir Temp;
    ScriptedPresenter Presenter;
};
