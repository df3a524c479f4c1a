#include "SystemSettingsFixture.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

std::string SystemSettingsFixture::SaveBaseline()
{
    SaveSettings();
    return SettingsBytes();
}

void SystemSettingsFixture::ReloadSettings()
{
    ResetSettingsGlobals(Temp.path());
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
