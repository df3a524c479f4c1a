#pragma once
// Hints to the system about memory the program is about to fill.
#include <cstddef>

// Asks for large pages behind a big block that is about to be filled bit by
// bit: filling tens of megabytes page by page costs a fault every 4 KB,
// which can take longer than the filling itself. Only whole pages inside the
// block are touched by the hint, memory not yet written stays unused, and a
// hint that is not taken changes nothing.
void AdviseLargePages(const void* data, std::size_t bytes);
