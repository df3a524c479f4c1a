#pragma once
// The texts of one row of a value grid of the main window.
#include <QString>

struct GridInfoRow {
    QString Value1Text;
    QString Unit1Text;
    QString Sign1;
    QString Value2Text;
    QString Unit2Text;
    QString Sign2;
    QString LastColumnText;

    bool operator==(const GridInfoRow&) const = default;
};
