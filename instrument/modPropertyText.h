#pragma once
// The names shown for a test in grids, reports, the Q-DAS export and the
// style editor: the measured property, its test parameters, the captions of
// its two results and the text of a pass/fail value, in the five languages
// (1 German, 2 English, 3 French, 4 Italian, 5 Spanish). Language 6 and any
// other number give empty texts. Test type 1 (keyboard input) takes its names
// from the keyboard definition once one is filled in.
#include <QString>
#include <cstdint>

// The property measured by the test type (1 to 20).
QString PropertyName(int16_t testType, int16_t language);
// The built-in word for the keyboard input ("Tastatur", "Keyboard", ...): the
// name of test type 1 while no keyboard definition is filled in.
QString KeyboardWord(int16_t language);
// The name of test parameter 1 to 4 of the test type; empty where the test
// type has no such parameter.
QString ParameterNames(int16_t testType, int16_t parameterNumber, int16_t language);
// The caption of result 1 or 2; only test types 11, 12, 17 and 18 have them,
// and 11 and 12 lose theirs while a KR 6100-II is configured.
QString ResultLabels(int16_t testType, int16_t resultNumber, int16_t language);
// "passed" for exactly 1, "failed" for exactly 0, else empty.
QString PassFailText(float value, int16_t language);
