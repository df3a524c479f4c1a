#pragma once
// The numbered messages: the one routine that shows a message box to the
// user. Icon, buttons and default button are fixed per number; the caller
// passes only the values the text shows.
#include "platform/MessagePresenter.h"
#include "platform/SerialDevices.h"

#include <QString>
#include <QVariant>
#include <QVariantList>
#include <cstdint>

// Title of every window and box of the program.
inline const char* const ProductTitle = "ZOLVERA D 7110 QUINTARA III";

// The box of message `number` with the arguments, in the language given
// (1 German, 2 English, 3 French, 4 Italian, 5 Spanish, 6 the slot without
// texts). Unknown numbers give "Unknown error (n).". Arguments the caller did
// not pass show as empty texts. The buttons are captioned in that language.
MessageRequest ComposeMessage(int16_t number, const QVariantList& arguments, int16_t language);

// Shows message `number` in the current Language through the presenter in
// force, with the default mouse pointer while the box is up and the previous
// pointer afterwards. Returns the answer (1 OK, 6 Yes, 7 No), which also
// stays in MsgResult.
int16_t ShowMessage(int16_t number, const QVariantList& arguments = {});

// Message 50 (every language at once): the program folder, argument 0,
// cannot be made or written, for the system's reason, argument 1.
inline constexpr int16_t MsgProgramFolderUnusable = 50;

// Message 13, that the port is not available; when its device is one the
// user may not open, message 51 after it names the device and the group the
// user must join. MsgResult holds the last answer.
void ShowPortNotAvailable(const SerialDeviceDenial& denial);
