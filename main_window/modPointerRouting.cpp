#include "main_window/modPointerRouting.h"

namespace {

constexpr PointerMove All = PointerMove::HideAll;
constexpr PointerMove Own = PointerMove::HideOwn;
constexpr PointerMove Shows = PointerMove::ReadOut;
constexpr PointerMove Keep = PointerMove::Nothing;
constexpr ReadOutChart None = ReadOutChart::None;
constexpr ReadOutChart Histogram = ReadOutChart::Histogram;
constexpr ReadOutChart Profile = ReadOutChart::Profile;
constexpr ReadOutChart Curve = ReadOutChart::Curve;

constexpr PointerRelease PopUp = PointerRelease::PopUp;
constexpr PointerRelease Points = PointerRelease::PointClick;
constexpr PointerCommands NoCommand{nullptr, PointerRelease::Nothing, nullptr, nullptr, nullptr};

// The test settings: styles, operators, references, report forms.
constexpr PointerCommands StyleCommand{"mnuStandard_Style", PopUp, "mnuStandard", "mnuStandard_Style", nullptr};
constexpr PointerCommands StyleAndPointCommand{"mnuStandard_Style", Points, "mnuStandard", "mnuStandard_Style",
                                               nullptr};
constexpr PointerCommands OperatorCommand{"mnuStandard_Operator", PopUp, "mnuStandard", "mnuStandard_Operator",
                                          nullptr};
constexpr PointerCommands ReferenceCommand{"mnuStandard_Reference2to4", PopUp, "mnuStandard",
                                           "mnuStandard_Reference2to4", nullptr};
// The menu itself is always enabled: it pops up even while the report forms
// may not be edited, and shows them disabled.
constexpr PointerCommands ReportFormCommand{nullptr, PopUp, "mnuStandard", "mnuStandard_ReportForm", "mnuStandard"};

// The system settings: instruments, country, data port.
constexpr PointerCommands InstrumentCommand{"mnuSettings_SystemSettings", PopUp, "mnuSettings",
                                            "mnuSettings_SystemSettings", nullptr};
constexpr PointerCommands CountryCommand{"mnuSettings_CountrySettings", PopUp, "mnuSettings",
                                         "mnuSettings_CountrySettings", nullptr};
constexpr PointerCommands DataPortCommand{"mnuSettings_DataSettings", PopUp, "mnuSettings",
                                          "mnuSettings_DataSettings", nullptr};

const std::vector<PointerRoute> Routes = {
    // The window itself and its four command buttons.
    {"frmMain", -1, -1, All, None, NoCommand},
    {"cmdMeasure", -1, -1, All, None, NoCommand},
    {"cmdPreview", -1, -1, All, None, NoCommand},
    {"cmdTerminateProtocol", -1, -1, All, None, NoCommand},
    {"cmdAnalyzeCurve", -1, -1, All, None, NoCommand},

    // Statistics, nominal values and limits.
    {"grdAvg", -1, -1, All, None, NoCommand},
    {"grdMin", -1, -1, All, None, NoCommand},
    {"grdMax", -1, -1, All, None, NoCommand},
    {"grdCV", -1, -1, All, None, NoCommand},
    {"grdCI", -1, -1, All, None, NoCommand},
    {"lblAvg", -1, -1, All, None, NoCommand},
    {"lblMin", -1, -1, All, None, NoCommand},
    {"lblMax", -1, -1, All, None, NoCommand},
    {"lblCV", -1, -1, All, None, NoCommand},
    {"lblCI", -1, -1, All, None, NoCommand},
    {"grdNominal", -1, -1, All, None, StyleCommand},
    {"grdLLimit", -1, -1, All, None, StyleCommand},
    {"grdULimit", -1, -1, All, None, StyleCommand},
    {"grdNominalCI", -1, -1, All, None, StyleCommand},
    {"grdTest", -1, -1, All, None, StyleCommand},
    {"lblNominal", -1, -1, All, None, StyleCommand},
    {"lblLLimit", -1, -1, All, None, StyleCommand},
    {"lblULimit", -1, -1, All, None, StyleCommand},
    {"lblNominalCI", -1, -1, All, None, StyleCommand},
    {"lblTest", -1, -1, All, None, StyleCommand},

    // Style, folder, parameters.
    {"lblStyle", -1, -1, All, None, StyleCommand},
    {"imgFolder", -1, -1, All, None, StyleCommand},
    {"lblFolderE", -1, -1, All, None, StyleCommand},
    {"lblParameter", 1, 4, All, None, StyleCommand},
    {"lblParameterE", 1, 4, All, None, StyleCommand},

    // Charts with their axes, strips and labels.
    {"lblHistogramXUnit", 1, 2, All, None, StyleCommand},
    {"lblHistogramYMax", 1, 2, All, None, StyleCommand},
    {"lblProfileYUnit", 1, 2, All, None, StyleCommand},
    {"lblHistogramYMin", 1, 2, Own, Histogram, NoCommand},
    {"picDeviation", 1, 2, All, None, StyleCommand},
    {"picHistogramX", 1, 2, All, None, StyleCommand},
    {"picProfileY", 1, 2, All, None, StyleCommand},
    {"picHistogram", 1, 2, Shows, Histogram, StyleCommand},
    {"picHistogramL", 1, 2, Own, Histogram, StyleCommand},
    {"picHistogramU", 1, 2, Own, Histogram, StyleCommand},
    {"picProfile", 1, 2, Shows, Profile, StyleAndPointCommand},
    {"picProfileL", 1, 2, Own, Profile, StyleAndPointCommand},
    {"picProfileU", 1, 2, Own, Profile, StyleAndPointCommand},
    {"picCurve", -1, -1, Shows, Curve, NoCommand},

    // Instrument, date and time, connection, operator, references.
    {"lblInstrument", -1, -1, All, None, InstrumentCommand},
    {"lblInstrumentE", -1, -1, All, None, InstrumentCommand},
    {"lblSerialNumber", -1, -1, All, None, InstrumentCommand},
    {"lblSerialNumberE", -1, -1, All, None, InstrumentCommand},
    {"lblDateTime", -1, -1, All, None, CountryCommand},
    {"lblDateTimeE", -1, -1, All, None, CountryCommand},
    {"imgNoConnection", -1, -1, All, None, DataPortCommand},
    {"lblOperator", -1, -1, All, None, OperatorCommand},
    {"lblReference", 2, 4, All, None, ReferenceCommand},

    // The series and its property rows.
    {"optProtocol", 1, 2, All, None, ReportFormCommand},
    {"lblProperty", 1, 6, All, None, NoCommand},
    {"lblPropertyStatus", 1, 6, All, None, NoCommand},
    {"imgTerminated", 1, 6, All, None, NoCommand},
    {"lblLateralAir", 1, 6, Keep, None, NoCommand},
    {"lblLateralAirE", 1, 6, Keep, None, NoCommand},
    {"chkLateralAir", 1, 6, Keep, None, NoCommand},
    {"cboStyle", -1, -1, Keep, None, NoCommand},
    {"cboProtocol", -1, -1, Keep, None, NoCommand},
    {"cboOperator", -1, -1, Keep, None, NoCommand},
    {"cboReference", 2, 4, Keep, None, NoCommand},

    // Tests, printer pictures, Q-DAS fields, text boxes, the tab control.
    {"grdResult", -1, -1, All, None, NoCommand},
    {"imgPrint", -1, -1, All, None, NoCommand},
    {"imgNotPrint", -1, -1, All, None, NoCommand},
    {"lblK0006", -1, -1, All, None, NoCommand},
    {"lblK0016", -1, -1, All, None, NoCommand},
    {"lblK0053", -1, -1, All, None, NoCommand},
    {"lblK1031", -1, -1, All, None, NoCommand},
    {"lblK1032", -1, -1, All, None, NoCommand},
    {"lblK1086", -1, -1, All, None, NoCommand},
    {"lblK1087", -1, -1, All, None, NoCommand},
    {"txtCommentary", -1, -1, All, None, NoCommand},
    {"txtK0006", -1, -1, All, None, NoCommand},
    {"txtK0016", -1, -1, All, None, NoCommand},
    {"txtK0053", -1, -1, All, None, NoCommand},
    {"txtK1031", -1, -1, All, None, NoCommand},
    {"txtK1032", -1, -1, All, None, NoCommand},
    {"txtK1086", -1, -1, All, None, NoCommand},
    {"txtK1087", -1, -1, All, None, NoCommand},
    {"txtKeyboard", -1, -1, All, None, NoCommand},
    {"tabDisplay", -1, -1, All, None, NoCommand},
};

} // namespace

const std::vector<PointerRoute>& PointerRoutes()
{
    return Routes;
}
