#pragma once
// Records of the printed pages.

// A rectangle in page units (x 0 to 100 across, y 0 to 141 down): left, top,
// right, bottom. The page frame and the chart boxes of a report.
struct PrintRect {
    float x1 = 0;
    float y1 = 0;
    float x2 = 0;
    float y2 = 0;

    bool operator==(const PrintRect&) const = default;
};
