#pragma once
// What the pointer does over each control of the main window.
//
// Moves: the five chart read-outs (the histogram and profile read-outs of
// results 1 and 2 and the curve read-out) stay only while the pointer is on
// their chart: every control around the charts hides them all, the side
// strips and labels of one chart hide only that chart's, the charts show
// their own, and the combo boxes and the lateral-air boxes and labels leave
// them alone.
//
// Buttons: most displays lead to the dialog that edits what they show. A
// double-click runs that menu command while its item is enabled; releasing
// the right button pops up the menu that holds it, with the command in bold,
// while the condition item is enabled. The profile and its strips hand every
// release to their own handler, which pops up the same menu or opens the test
// of a clicked point.
//
// The table is data; the main window applies it in its event filters. A
// hide-all member with a move handler of its own name (the tab control, the
// four command buttons) goes through that handler, the others through the
// window's. A disabled control handles no move: it counts for what it sits on;
// it takes no double-click or release at all.
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

// What releasing a mouse button over the control does.
enum class PointerRelease {
    Nothing,        // nothing here (or a handler of another concern)
    PopUp,          // the right button pops up Menu, DefaultItem in bold
    PointClick,     // the profile's own handler: the pop-up, or a point's test
};

// The menu commands a control leads to; menus and items by object name,
// nullptr for none.
struct PointerCommands {
    const char* DoubleClick;    // the item a double-click runs
    PointerRelease Release;
    const char* Menu;           // the menu popped up
    const char* DefaultItem;    // its item shown in bold
    const char* Condition;      // what must be enabled for the pop-up; the default item when nullptr
};

// One control, or elements First..Last of a control array (-1, -1 for a
// single control). "frmMain" is the window's own surface.
struct PointerRoute {
    const char* Control;
    int First;
    int Last;
    PointerMove Move;
    ReadOutChart Chart;
    PointerCommands Commands;
};

const std::vector<PointerRoute>& PointerRoutes();
