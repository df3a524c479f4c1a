#pragma once
// The screen-wide mouse pointer with the absolute semantics of the design:
// 11 (hourglass) sets the one wait cursor, 0 removes it again, however often
// either was set before. A guard object restores the previous pointer on
// every path out of a scope.
#include <cstdint>

inline constexpr int16_t PointerDefault = 0;
inline constexpr int16_t PointerArrow = 1;
inline constexpr int16_t PointerHourglass = 11;

// The pointer last set through SetMousePointer (0 when none is set).
int16_t MousePointer();
// 0 removes the program's pointer, 11 shows the wait cursor, 1 the arrow;
// other values count as the default pointer.
void SetMousePointer(int16_t pointer);

class MousePointerGuard {
public:
    // Remembers the pointer in force and sets the given one.
    explicit MousePointerGuard(int16_t pointer = PointerHourglass);
    ~MousePointerGuard();
    MousePointerGuard(const MousePointerGuard&) = delete;
    MousePointerGuard& operator=(const MousePointerGuard&) = delete;

private:
    int16_t m_previous;
};
