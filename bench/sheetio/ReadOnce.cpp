// Reads the benchmark's workbook once, as a program that starts, reads a file and ends: every value
// of the first sheet, checked against the values written. Prints the wall and CPU seconds of the
// read; exit status 1 when a value differs. It links only what reading needs.
#include "SheetValues.h"

#include <chrono>
#include <cstdio>
#include <ctime>

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t cpu = std::clock();
    const std::vector<double> values = sheetbench::ReadValues(argv[1]);
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("{\"seconds\":%.9f,\"cpu\":%.9f}\n", wall,
                static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC);
    return sheetbench::Mismatches(values) == 0 ? 0 : 1;
}
