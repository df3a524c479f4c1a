#pragma once
// The main window's situation in one number, and which of its controls the
// operator may use in it. Both are rules without widgets: the window reads
// its combo boxes and the globals, asks here, and applies the answer.
//
// Protocol states:
//   1 neither a style nor an entry of the protocol list is chosen
//   2 an entry of the protocol list without a style (the working record only)
//   3 a style without an entry of the protocol list
//   4 both, the working record, no property holds a test, current one open
//   5 the current property holds tests and is open
//   6 the current property holds none and is open, while another property
//     holds tests or the series is an open (pending) one
//   7 the current property is terminated
#include "foundation/Records.h"

#include <QString>
#include <cstdint>
#include <initializer_list>
#include <vector>

// The state of a series from what the window shows: whether cboStyle and
// cboProtocol have a selected entry, and which element of Protocols the
// series is (0 the working record). An open series (index 1 or more)
// carries its own copy of its style, so it counts as having one even when
// the style list selects nothing (its style was renamed or deleted since, or
// it came from another installation): states 1 and 2 belong to the working
// record alone. A current property outside 1..6 holds no test and is open.
int16_t ProtocolStateOf(const Protocol& protocol, bool styleChosen, bool entryChosen, int currentProtocol);

// ---------------------------------------------------------------------------
// Enabling rules

// What the rules read besides the state.
struct EnablingInputs {
    int State = 0;              // 1 to 7; any other value meets only the rules of every state
    int LoginLevel = 0;         // 0 none, 1 user, 2 supervisor
    bool PortOpen = false;
    bool OpenSeries = false;    // at least one open series (upper bound of Protocols >= 1)
    int TestType = 0;           // of the current report-form item, 0 when there is none
    bool Histogram = false;     // the item's histogram flag
    bool Curve = false;         // the item's curve flag
    int CurrentProperty = 0;    // 1 to 6
    bool LateralAirOn = false;  // of the current property's block
};

// The inputs for the series Protocols(currentProtocol): its current report
// form item and block. An index outside Protocols, a report form or current
// property out of range, or a test type outside 0..20 give the blank item
// (test type 0, no flags) and no lateral air.
EnablingInputs EnablingInputsOf(int state, const std::vector<Protocol>& protocols, int currentProtocol,
                                int loginLevel, bool portOpen);

// What a rule sets on its control.
enum class EnablingEffect : uint8_t {
    Enabled,          // the enabled flag
    EnabledAndShown,  // the enabled flag, and the control is made visible
    Shown,            // the visible flag only
};

// Conditions besides the state and the login level; all that a rule names
// must hold.
enum EnablingNeed : uint16_t {
    NeedNothing = 0,
    NeedPortOpen = 1 << 0,
    NeedOpenSeries = 1 << 1,
    NeedOneResult = 1 << 2,       // the test type has at least one result
    NeedTwoResults = 1 << 3,      // the test type has two results
    NeedHistogram = 1 << 4,       // the item's histogram flag
    NeedCurveItem = 1 << 5,       // a curve test type (14, 17, 18) with the item's curve flag
    NeedNotPressureDrop = 1 << 6, // test type other than 17
    NeedKeyboardInput = 1 << 7,   // test type 1
    // In state 5 only the element of the current property, and only while its
    // lateral air is switched on; no condition in the other states.
    NeedOwnLateralAirInState5 = 1 << 8,
};

// Bit s - 1 stands for state s.
constexpr uint8_t StateSet(std::initializer_list<int> states)
{
    uint8_t set = 0;
    for (int s : states)
        set = static_cast<uint8_t>(set | (1u << (s - 1)));
    return set;
}
// Whatever the state, also one not yet computed.
inline constexpr uint8_t EveryState = 0xFF;
inline constexpr uint8_t NoState = 0;

// One rule: the control by its object name and index range (-1 for a single
// control; "tabDisplay" with 0 to 7 names the tabs), when it is enabled, and
// what is set.
struct EnablingRule {
    const char* Control;
    int First;
    int Last;
    uint8_t States;
    bool SupervisorOnly;    // login level 2
    uint16_t Needs;         // EnablingNeed bits
    EnablingEffect Effect;
};

// The rules in the order they are applied: menus, selection controls,
// result display, tabs, Q-DAS fields, lateral-air boxes, terminated marks,
// buttons, keyboard box, printer pictures.
const std::vector<EnablingRule>& EnablingTable();

// Whether the rule's control (element `index` of an array) is enabled, or
// for a Shown rule visible.
bool IsRuleMet(const EnablingRule& rule, int index, const EnablingInputs& inputs);

// The object name of element `index` of a control ("chkLateralAir_3"); a
// single control (index -1) keeps its bare name.
QString ControlObjectName(const char* control, int index);
