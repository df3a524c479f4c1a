#include "styles/TestPageCases.h"

const TestPageCase* FindTestPageCase(int testType)
{
    using Group = const TestPageCase* (*)(int);
    static const Group groups[] = {
        TestPageCaseOf1to2,
        TestPageCaseOf20,
    };
    for (const Group group : groups) {
        if (const TestPageCase* found = group(testType))
            return found;
    }
    return nullptr;
}
