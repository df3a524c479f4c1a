#include "SystemSettingsFixture.h"

#include "foundation/modGlobals.h"
#include "foundation/modInstrument.h"
#include "foundation/modSettings.h"
#include "platform/OleDate.h"
#include "platform/ProgramFolder.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

void SystemSettingsFixture::SetUp()
{
    ASSERT_TRUE(Temp.isValid());
    Program = Temp.path();
    SetProgramFolder(Program);
    InitConstants();
    ResetSettingsGlobals(Program);
    Language = 2;
    DateFormat = 1;
}

void SystemSettingsFixture::TearDown()
{
    // Dialogs closed by a test are deleted here, not in the next test.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    SetClock({});
    ResetSettingsGlobals(Program);
    SetProgramFolder(QString());
}

std::string SystemSettingsFixture::SettingsBytes() const
{
    QFile file(SettingsFilePath());
    if (!file.open(QIODevice::ReadOnly))
        return "<missing>";
    const QByteArray bytes = file.readAll();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

std::string SystemSettingsFixture::SaveBaseline()
{
    SaveSettings();
    return SettingsBytes();
}

void SystemSettingsFixture::ReloadSettings()
{
    ResetSettingsGlobals(Program);
    ReadSettingsFile();
    StoredSettingsToGlobals();
}

namespace {
void SendMouse(QWidget* target, QEvent::Type type, Qt::MouseButton button, Qt::KeyboardModifiers keys)
{
    const QPointF at(3, 3);
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent event(type, at, target->mapToGlobal(at), button, held, keys);
    QApplication::sendEvent(target, &event);
}
} // namespace

void SystemSettingsFixture::Press(QWidget* target, Qt::MouseButton button, Qt::KeyboardModifiers keys)
{
    SendMouse(target, QEvent::MouseButtonPress, button, keys);
}

void SystemSettingsFixture::Release(QWidget* target, Qt::MouseButton button, Qt::KeyboardModifiers keys)
{
    SendMouse(target, QEvent::MouseButtonRelease, button, keys);
}

void SystemSettingsFixture::DoubleClick(QWidget* target)
{
    SendMouse(target, QEvent::MouseButtonDblClick, Qt::LeftButton, Qt::NoModifier);
}

void SystemSettingsFixture::Type(QWidget* target, const QString& character)
{
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, character);
    QApplication::sendEvent(target, &press);
}
