#pragma once
// The program's loaded windows, in the order they were created. A window
// enters the list when it is created and leaves it when it is destroyed or
// unloaded through the list. Each window enters with its own way to unload,
// so that unloading it from here runs the same steps as closing it.
#include <QString>
#include <functional>
#include <vector>

class QWidget;

// Adds the window (once). Without an unload function the window is closed.
void RegisterForm(QWidget* form, std::function<void()> unload = {});

// The windows loaded now, oldest first.
std::vector<QWidget*> LoadedForms();

// Runs the window's unload and takes it off the list, also when the window
// deletes itself only later. Nothing happens for a window not in the list.
void UnloadForm(QWidget* form);

// Unloads, oldest first, every loaded window whose object name differs from
// the given one, including windows that others' unloading loads meanwhile.
void UnloadFormsExcept(const QString& keptName);
