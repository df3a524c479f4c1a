// Placeholder until the simulated instrument is built; it answers --help only.
#include <cstdio>

int main(int argc, char** argv)
{
    (void)argc;
    (void)argv;
    std::puts("quintara-instrument-sim: not built yet");
    return 0;
}
