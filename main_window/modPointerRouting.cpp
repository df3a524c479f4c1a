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

const std::vector<PointerRoute> Routes = {
    // The window itself and its four command buttons.
    {"frmMain", -1, -1, All, None},
    {"cmdMeasure", -1, -1, All, None},
    {"cmdPreview", -1, -1, All, None},
    {"cmdTerminateProtocol", -1, -1, All, None},
    {"cmdAnalyzeCurve", -1, -1, All, None},

    // Statistics, nominal values and limits.
    {"grdAvg", -1, -1, All, None},
    {"grdMin", -1, -1, All, None},
    {"grdMax", -1, -1, All, None},
    {"grdCV", -1, -1, All, None},
    {"grdCI", -1, -1, All, None},
    {"lblAvg", -1, -1, All, None},
    {"lblMin", -1, -1, All, None},
    {"lblMax", -1, -1, All, None},
    {"lblCV", -1, -1, All, None},
    {"lblCI", -1, -1, All, None},
    {"grdNominal", -1, -1, All, None},
    {"grdLLimit", -1, -1, All, None},
    {"grdULimit", -1, -1, All, None},
    {"grdNominalCI", -1, -1, All, None},
    {"grdTest", -1, -1, All, None},
    {"lblNominal", -1, -1, All, None},
    {"lblLLimit", -1, -1, All, None},
    {"lblULimit", -1, -1, All, None},
    {"lblNominalCI", -1, -1, All, None},
    {"lblTest", -1, -1, All, None},

    // Style, folder, parameters.
    {"lblStyle", -1, -1, All, None},
    {"imgFolder", -1, -1, All, None},
    {"lblFolderE", -1, -1, All, None},
    {"lblParameter", 1, 4, All, None},
    {"lblParameterE", 1, 4, All, None},

    // Charts with their axes, strips and labels.
    {"lblHistogramXUnit", 1, 2, All, None},
    {"lblHistogramYMax", 1, 2, All, None},
    {"lblProfileYUnit", 1, 2, All, None},
    {"lblHistogramYMin", 1, 2, Own, Histogram},
    {"picDeviation", 1, 2, All, None},
    {"picHistogramX", 1, 2, All, None},
    {"picProfileY", 1, 2, All, None},
    {"picHistogram", 1, 2, Shows, Histogram},
    {"picHistogramL", 1, 2, Own, Histogram},
    {"picHistogramU", 1, 2, Own, Histogram},
    {"picProfile", 1, 2, Shows, Profile},
    {"picProfileL", 1, 2, Own, Profile},
    {"picProfileU", 1, 2, Own, Profile},
    {"picCurve", -1, -1, Shows, Curve},

    // Instrument, date and time, connection, operator, references.
    {"lblInstrument", -1, -1, All, None},
    {"lblInstrumentE", -1, -1, All, None},
    {"lblSerialNumber", -1, -1, All, None},
    {"lblSerialNumberE", -1, -1, All, None},
    {"lblDateTime", -1, -1, All, None},
    {"lblDateTimeE", -1, -1, All, None},
    {"imgNoConnection", -1, -1, All, None},
    {"lblOperator", -1, -1, All, None},
    {"lblReference", 2, 4, All, None},

    // The series and its property rows.
    {"optProtocol", 1, 2, All, None},
    {"lblProperty", 1, 6, All, None},
    {"lblPropertyStatus", 1, 6, All, None},
    {"imgTerminated", 1, 6, All, None},
    {"lblLateralAir", 1, 6, Keep, None},
    {"lblLateralAirE", 1, 6, Keep, None},
    {"chkLateralAir", 1, 6, Keep, None},
    {"cboStyle", -1, -1, Keep, None},
    {"cboProtocol", -1, -1, Keep, None},
    {"cboOperator", -1, -1, Keep, None},
    {"cboReference", 2, 4, Keep, None},

    // Tests, printer pictures, Q-DAS fields, text boxes, the tab control.
    {"grdResult", -1, -1, All, None},
    {"imgPrint", -1, -1, All, None},
    {"imgNotPrint", -1, -1, All, None},
    {"lblK0006", -1, -1, All, None},
    {"lblK0016", -1, -1, All, None},
    {"lblK0053", -1, -1, All, None},
    {"lblK1031", -1, -1, All, None},
    {"lblK1032", -1, -1, All, None},
    {"lblK1086", -1, -1, All, None},
    {"lblK1087", -1, -1, All, None},
    {"txtCommentary", -1, -1, All, None},
    {"txtK0006", -1, -1, All, None},
    {"txtK0016", -1, -1, All, None},
    {"txtK0053", -1, -1, All, None},
    {"txtK1031", -1, -1, All, None},
    {"txtK1032", -1, -1, All, None},
    {"txtK1086", -1, -1, All, None},
    {"txtK1087", -1, -1, All, None},
    {"txtKeyboard", -1, -1, All, None},
    {"tabDisplay", -1, -1, All, None},
};

} // namespace

const std::vector<PointerRoute>& PointerRoutes()
{
    return Routes;
}
