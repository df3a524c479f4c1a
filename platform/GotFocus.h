#pragma once
// The GotFocus of a text or combo box as the design knows it: raised however
// the box gets the focus. Qt selects a box's text by itself only when the
// focus comes by Tab, and a press that gives the focus places the caret
// after the focus arrived, so a handler that selects the text must run once
// the events of that moment are done.
#include <functional>

class QWidget;

// Calls the handler after each focus the control gets, by key, click or
// program; for an editable combo box also when its text field gets it.
void ConnectGotFocus(QWidget* control, std::function<void()> handler);
