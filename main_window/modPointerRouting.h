#pragma once
// What a pointer move over each control of the main window does to the five
// chart read-outs (the histogram and profile read-outs of results 1 and 2
// and the curve read-out). A read-out stays only while the pointer is on its
// chart: every control around the charts hides them all, the side strips and
// labels of one chart hide only that chart's, the charts show their own, and
// the combo boxes and the lateral-air boxes and labels leave them alone.
//
// The table is data; the main window applies it in one event filter. A
// hide-all member with a move handler of its own name (the tab control, the
// four command buttons) goes through that handler, the others through the
// window's. A disabled control handles no move: it counts for what it sits on.
// Double-click and right-button columns are meant to be added to the same
// rows.
#include <vector>

enum class PointerMove {
    HideAll,    // hide all five read-outs
    HideOwn,    // hide the read-out of the chart the control belongs to
    ReadOut,    // the chart's own read-out follows the pointer
    Nothing,    // no change
};

// The chart a control belongs to (for HideOwn and ReadOut).
enum class ReadOutChart {
    None,
    Histogram,  // lblHistogramCoordinate of the same element
    Profile,    // lblProfileCoordinate of the same element
    Curve,      // lblCurveCoordinate
};

// One control, or elements First..Last of a control array (-1, -1 for a
// single control). "frmMain" is the window's own surface.
struct PointerRoute {
    const char* Control;
    int First;
    int Last;
    PointerMove Move;
    ReadOutChart Chart;
};

const std::vector<PointerRoute>& PointerRoutes();
