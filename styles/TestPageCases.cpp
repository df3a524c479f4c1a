#include "styles/TestPageCases.h"

const TestPageCase* FindTestPageCase(int testType)
{
    using Group = const TestPageCase* (*)(int);
    static const Group groups[] = {
        TestPageCaseOf1to2,
        TestPageCaseOf3to10,
        TestPageCaseOf11to15,
        TestPageCaseOf16to19,
        TestPageCaseOf20,
    };
    for (const Group group : groups) {
        if (const TestPageCase* found = group(testType))
            return found;
    }
    return nullptr;
}

PageControlPlace UnitFramePlace()
{
    return {PageControl::fraUnit, PageControl::None, FrameLeft, UnitFrameTop, FrameWidth, UnitFrameHeight, "Unit"};
}

PageControlPlace ResultUnitPlace(PageControl list)
{
    const bool second = list == PageControl::cboUnit2;
    return {list, PageControl::fraUnit, second ? 2160 : 240, 300, second ? 1560 : 1800, BoxHeight, ""};
}

PageControlPlace ParameterFramePlace(int parameter, const char* caption, int top, int height)
{
    const int place = top >= 0 ? top : ParameterFrameTop + (parameter - 1) * ParameterFrameStep;
    return {FraSample(parameter), PageControl::None, FrameLeft, place, FrameWidth, height, caption};
}

PageControlPlace ValuePlace(int parameter, PageControl control, int width)
{
    return {control, FraSample(parameter), ValueLeft, ValueTop, width, BoxHeight, ""};
}

PageControlPlace UnitLabelPlace(int parameter, PageControl label, const char* caption)
{
    return {label, FraSample(parameter), UnitLeft, ValueTop + 30, UnitWidth, BoxHeight, caption};
}

PageControlPlace OptionPlace(int parameter, PageControl option, int row, const char* caption)
{
    // Two options stand beside the value, three fill the frame's height.
    return {option, FraSample(parameter), UnitLeft, 240 + row * 300, UnitWidth, OptionHeight, caption};
}
