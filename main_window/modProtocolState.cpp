#include "main_window/modProtocolState.h"

#include "foundation/modGeneral.h"
#include "instrument/modStatistic.h"

namespace {

bool HoldsTests(const PropertyBlock& block)
{
    // Element 0 is the empty test; the tests start at 1, deleted ones
    // included (a block whose tests are all deleted is replaced by the empty
    // block).
    return block.Values.size() >= 2;
}

constexpr uint8_t Setup = StateSet({1, 2, 3, 4});
constexpr uint8_t Chosen = StateSet({3, 4, 5, 6, 7});
constexpr uint8_t Prepared = StateSet({4, 5, 6, 7});
constexpr uint8_t WithTests = StateSet({5});
constexpr uint8_t Measurable = StateSet({4, 5, 6});
constexpr uint8_t Started = StateSet({5, 6, 7});
constexpr uint8_t Reportable = StateSet({5, 7});

constexpr EnablingEffect On = EnablingEffect::Enabled;
constexpr EnablingEffect OnShown = EnablingEffect::EnabledAndShown;
constexpr EnablingEffect Shown = EnablingEffect::Shown;

const std::vector<EnablingRule> Rules = {
    // Menus.
    {"mnuFile", -1, -1, EveryState, false, NeedNothing, On},
    {"mnuFile_Copy", -1, -1, Reportable, false, NeedNothing, On},
    {"mnuFile_Import", -1, -1, EveryState, true, NeedNothing, On},
    {"mnuFile_Password", -1, -1, EveryState, true, NeedNothing, On},
    {"mnuFile_Exit", -1, -1, EveryState, false, NeedNothing, On},
    {"mnuFunction", -1, -1, EveryState, false, NeedNothing, On},
    {"mnuFunction_Measure", -1, -1, NoState, false, NeedNothing, On},
    {"mnuFunction_LongTermAnalysis", -1, -1, EveryState, true, NeedNothing, On},
    {"mnuSettings", -1, -1, EveryState, false, NeedNothing, On},
    {"mnuSettings_CountrySettings", -1, -1, Setup, true, NeedNothing, On},
    {"mnuSettings_SystemSettings", -1, -1, Setup, true, NeedNothing, On},
    {"mnuSettings_ReferenceTitle", -1, -1, Setup, true, NeedNothing, On},
    {"mnuSettings_DataSettings", -1, -1, Setup, true, NeedNothing, On},
    {"mnuSettings_QDASSettings", -1, -1, Setup, true, NeedNothing, OnShown},
    {"mnuStandard", -1, -1, EveryState, false, NeedNothing, On},
    {"mnuStandard_Style", -1, -1, Setup, true, NeedNothing, On},
    {"mnuStandard_Reference2to4", -1, -1, EveryState, true, NeedNothing, On},
    {"mnuStandard_Operator", -1, -1, EveryState, true, NeedNothing, On},
    {"mnuStandard_ReportForm", -1, -1, Setup, true, NeedNothing, On},
    {"mnuStandard_KeyboardSettings", -1, -1, Setup, true, NeedNothing, On},
    {"mnuInfo", -1, -1, EveryState, false, NeedNothing, On},
    {"mnuInfo_About", -1, -1, EveryState, false, NeedNothing, On},

    // Selection controls: style, operator and references only before the
    // first test.
    {"cboStyle", -1, -1, Setup, false, NeedNothing, On},
    {"cboReference", 2, 4, Setup, false, NeedNothing, On},
    {"cboOperator", -1, -1, Setup, false, NeedNothing, On},
    {"optProtocol", 1, 1, EveryState, false, NeedNothing, On},
    {"optProtocol", 2, 2, EveryState, false, NeedOpenSeries, On},
    {"cboProtocol", -1, -1, Chosen, false, NeedNothing, On},

    // Result display: grid, commentary and charts answer only while the
    // current property holds tests.
    {"grdResult", -1, -1, WithTests, false, NeedNothing, On},
    {"txtCommentary", -1, -1, WithTests, false, NeedNothing, On},
    {"picProfile", 1, 2, WithTests, false, NeedNothing, On},
    {"picProfileL", 1, 2, WithTests, false, NeedNothing, On},
    {"picProfileU", 1, 2, WithTests, false, NeedNothing, On},
    {"picHistogram", 1, 2, WithTests, false, NeedNothing, On},
    {"picHistogramL", 1, 2, WithTests, false, NeedNothing, On},
    {"picHistogramU", 1, 2, WithTests, false, NeedNothing, On},
    {"picCurve", -1, -1, WithTests, false, NeedNothing, On},

    // Display tabs: results, commentary and Q-DAS always; the charts once a
    // series is prepared, as far as its test type has them.
    {"tabDisplay", 0, 1, EveryState, false, NeedNothing, On},
    {"tabDisplay", 2, 2, Prepared, false, NeedOneResult, On},
    {"tabDisplay", 3, 3, Prepared, false, NeedTwoResults, On},
    {"tabDisplay", 4, 4, Prepared, false, NeedHistogram | NeedOneResult, On},
    {"tabDisplay", 5, 5, Prepared, false, NeedHistogram | NeedTwoResults, On},
    {"tabDisplay", 6, 6, Prepared, false, NeedCurveItem, On},
    {"tabDisplay", 7, 7, EveryState, false, NeedNothing, On},

    // Q-DAS fields, each box with its caption.
    {"txtK0016", -1, -1, Setup, false, NeedNothing, OnShown},
    {"lblK0016", -1, -1, Setup, false, NeedNothing, OnShown},
    {"txtK0006", -1, -1, Setup, false, NeedNothing, OnShown},
    {"lblK0006", -1, -1, Setup, false, NeedNothing, OnShown},
    {"txtK0053", -1, -1, Setup, false, NeedNothing, OnShown},
    {"lblK0053", -1, -1, Setup, false, NeedNothing, OnShown},
    {"txtK1031", -1, -1, Setup, false, NeedNothing, OnShown},
    {"lblK1031", -1, -1, Setup, false, NeedNothing, OnShown},
    {"txtK1032", -1, -1, Setup, false, NeedNothing, OnShown},
    {"lblK1032", -1, -1, Setup, false, NeedNothing, OnShown},
    {"txtK1086", -1, -1, Setup, false, NeedNothing, OnShown},
    {"lblK1086", -1, -1, Setup, false, NeedNothing, OnShown},
    {"txtK1087", -1, -1, Setup, false, NeedNothing, OnShown},
    {"lblK1087", -1, -1, Setup, false, NeedNothing, OnShown},

    // Lateral air and the terminated marks of the six property rows.
    {"chkLateralAir", 1, 6, Measurable, false, NeedOwnLateralAirInState5, On},
    {"imgTerminated", 1, 6, Started, false, NeedNothing, On},

    // Buttons.
    {"cmdAnalyzeCurve", -1, -1, Reportable, false, NeedNotPressureDrop | NeedCurveItem, On},
    {"cmdTerminateProtocol", -1, -1, Started, false, NeedNothing, On},
    {"cmdPreview", -1, -1, Started, false, NeedNothing, On},
    {"cmdMeasure", -1, -1, Measurable, false, NeedPortOpen, On},

    // The keyboard box exists only for typed values.
    {"txtKeyboard", -1, -1, EveryState, false, NeedKeyboardInput, Shown},
    {"txtKeyboard", -1, -1, Measurable, false, NeedKeyboardInput, On},

    // The printer pictures switch automatic printing at any time.
    {"imgPrint", -1, -1, EveryState, false, NeedNothing, On},
    {"imgNotPrint", -1, -1, EveryState, false, NeedNothing, On},
};

} // namespace

int16_t ProtocolStateOf(const Protocol& protocol, bool styleChosen, bool entryChosen, int currentProtocol)
{
    const bool openSeries = currentProtocol > 0;
    // An open series brings its own style copy.
    const bool style = styleChosen || openSeries;
    if (!style && !entryChosen)
        return 1;
    if (!style)
        return 2;
    if (!entryChosen)
        return 3;

    const int property = protocol.CurrentProperty;
    const bool inRange = property >= 1 && property <= PropertyCount;
    const PropertyBlock* current = inRange ? &protocol.Blocks[static_cast<size_t>(property)] : nullptr;
    if (current && current->Terminated)
        return 7;
    if (current && HoldsTests(*current))
        return 5;
    bool anyTests = false;
    for (int p = 1; p <= PropertyCount; ++p)
        anyTests = anyTests || HoldsTests(protocol.Blocks[static_cast<size_t>(p)]);
    if (anyTests || openSeries)
        return 6;
    return 4;
}

EnablingInputs EnablingInputsOf(int state, const std::vector<Protocol>& protocols, int currentProtocol,
                                int loginLevel, bool portOpen)
{
    EnablingInputs in;
    in.State = state;
    in.LoginLevel = loginLevel;
    in.PortOpen = portOpen;
    in.OpenSeries = protocols.size() >= 2;
    if (currentProtocol < 0 || static_cast<size_t>(currentProtocol) >= protocols.size())
        return in;
    const Protocol& protocol = protocols[static_cast<size_t>(currentProtocol)];
    const ReportFormItem item = CurrentFormItem(protocol);
    in.TestType = item.Property;
    in.Histogram = item.Histogram;
    in.Curve = item.Curve;
    in.CurrentProperty = protocol.CurrentProperty;
    if (protocol.CurrentProperty >= 1 && protocol.CurrentProperty <= PropertyCount)
        in.LateralAirOn = protocol.Blocks[static_cast<size_t>(protocol.CurrentProperty)].LateralAirOn;
    return in;
}

const std::vector<EnablingRule>& EnablingTable()
{
    return Rules;
}

bool IsRuleMet(const EnablingRule& rule, int index, const EnablingInputs& in)
{
    const bool inState = rule.States == EveryState
                         || (in.State >= 1 && in.State <= 7 && (rule.States & (1u << (in.State - 1))) != 0);
    if (!inState)
        return false;
    if (rule.SupervisorOnly && in.LoginLevel != 2)
        return false;
    const uint16_t needs = rule.Needs;
    const int results = ResultCountByTestType(in.TestType);
    if ((needs & NeedPortOpen) && !in.PortOpen)
        return false;
    if ((needs & NeedOpenSeries) && !in.OpenSeries)
        return false;
    if ((needs & NeedOneResult) && results < 1)
        return false;
    if ((needs & NeedTwoResults) && results < 2)
        return false;
    if ((needs & NeedHistogram) && !in.Histogram)
        return false;
    if ((needs & NeedCurveItem) && !(IsCurveTestType(in.TestType) && in.Curve))
        return false;
    if ((needs & NeedNotPressureDrop) && in.TestType == 17)
        return false;
    if ((needs & NeedKeyboardInput) && in.TestType != 1)
        return false;
    if ((needs & NeedOwnLateralAirInState5) && in.State == 5)
        return index == in.CurrentProperty && in.LateralAirOn;
    return true;
}

QString ControlObjectName(const char* control, int index)
{
    const QString name = QString::fromLatin1(control);
    return index < 0 ? name : name + QStringLiteral("_") + QString::number(index);
}
