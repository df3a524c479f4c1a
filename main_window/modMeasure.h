#pragma once
// The checks of one measurement that need no window: the reply built for a
// typed value, the refusals of a received reply in their fixed order, the
// allowed range of the results, the questions about test parameters that
// differ from the property's header, the new test entry, and the stop
// criteria of a property. The main window's Measure calls them in turn and
// shows the numbered messages they choose.
#include "foundation/DataStringRecord.h"
#include "foundation/Records.h"

#include <QString>
#include <array>
#include <cstdint>
#include <string>

// The reply of the keyboard: RS, "00", the trimmed text with "," read as "."
// cut and right-aligned to six characters, CR LF. "" for an empty box.
std::string KeyboardReply(const QString& typed);

// The text that selects the switch-box channel of position 0 to 5: "5" for
// position 0 down to "0" for position 5.
std::string SwitchBoxChannel(int slot);

// A received reply after its checks.
struct ReplyCheck {
    // 0 accepted; 16 accepted only when the operator reads it again; 14, 15
    // and 19 refuse it.
    int16_t Message = 0;
    QString Argument;           // the text message 14 shows
    std::string Text;           // the reply as a current data string
    DataStringRecord Record;    // Text parsed
};

// Checks a reply of instrument `code` (expected length n) for a property of
// test type t, in this order: code 11 sends its old device code "65" at
// positions 2 and 3; nothing received (15); a length outside n..2n (14,
// "E3"); conversion of an older format with the expected data string; an
// invalid data string (14, "E2", the hex dump of the converted string, or of
// the received one when nothing could be converted); code 16 names itself
// "KR 6404"; another instrument (19); a warning sign of codes 2 and 15 (14,
// "E1"); a value sent before (16, not for test type 17).
ReplyCheck CheckReply(const std::string& received, int16_t length, int16_t code, int testType,
                      const std::string& expected);

// Both results lie in 0.0001..999999, compared in single precision: result 1
// unless it is missing or pass/fail, also after the lateral-air value is
// taken off; result 2 unless it is missing.
bool ValuesInRange(const DataStringRecord& rec, float lateralAir);

// The test a parsed reply becomes: result 1 less the lateral-air value when
// there is one, the unit codes, the first character of the warning sign (a
// blank without one), the data string, the curve, the time and the three
// Q-DAS fields of a test.
TestValue NewTestEntry(const DataStringRecord& rec, float lateralAir, const std::string& curve, double now,
                       const QString& k0006, const QString& k0016, const QString& k0053);

// The message (20 to 25) and its three arguments for a field of the received
// string that differs from the header; labels are the captions of the four
// parameters (1 to 4). Message 0 for a field number outside 1 to 13.
struct DeviationQuestion {
    int16_t Message = 0;
    QString A;
    QString B;
    QString C;
};
DeviationQuestion DataStringQuestion(int field, int testType, const DataStringRecord& received,
                                     const DataStringRecord& expected, const std::array<QString, 5>& labels);

// Shows the message; a Yes to the questions 23 and 25 accepts the deviation
// and blanks the field in the header (a KR 6250 header loses its parameter 4
// with its measuring range, field 8). Every other message refuses.
bool AskDataStringMessage(std::string& header, int field, int16_t message, const QString& a, const QString& b,
                          const QString& c);

// Asks about each field in which s differs from the header, the refusing
// ones first, until one is refused. True when every deviation was accepted.
bool CheckDataStringValues(const std::string& s, std::string& header, int testType,
                           const std::array<QString, 5>& labels);

// The stop criteria after a counted test: the 999th test ends the property
// without a question; the preset number of tests (999 when none is set)
// asks message 36, a confidence interval below the preset one (only where
// both are present, from the third test on) message 37, each once until the
// count falls back to 1. True when the property is to be terminated.
bool CheckProtocolComplete(const Statistics& stats, const TestDefinition& definition, bool& testCountAsked,
                           bool& confidenceAsked);
