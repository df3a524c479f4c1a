#pragma once
// Records of the printed pages.
#include <QString>

// A rectangle in page units (x 0 to 100 across, y 0 to 141 down): left, top,
// right, bottom. The page frame and the chart boxes of a report.
struct PrintRect {
    float x1 = 0;
    float y1 = 0;
    float x2 = 0;
    float y2 = 0;

    bool operator==(const PrintRect&) const = default;
};

// One result of the curve page: its title and the value and unit of one or
// (nominal value and limits) two results, as the curve window shows them.
struct CurveResultCell {
    QString Caption;
    QString Value1;
    QString Unit1;
    QString Value2;
    QString Unit2;

    bool operator==(const CurveResultCell&) const = default;
};

// What the curve page prints of the curve window: the two axis captions of
// the page on show and its eight result cells.
struct CurvePageTexts {
    QString XCaption;
    QString YCaption;
    CurveResultCell MaxPressure;
    CurveResultCell RiseTime;
    CurveResultCell FallTime;
    CurveResultCell Nominal;
    CurveResultCell LowerLimit;
    CurveResultCell UpperLimit;
    CurveResultCell ADAP;
    CurveResultCell Exponent;
    // The curve file of the test shown; it names the print job.
    QString Test;

    bool operator==(const CurvePageTexts&) const = default;
};
