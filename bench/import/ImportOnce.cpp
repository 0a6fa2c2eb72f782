// Imports a text file of the current page's columns once, as a program that starts, reads a file and
// ends: prints one JSON line with the rows and the sums of both columns, for the benchmark to check.
// Exit status 1 when the import fails.
#include "lumora/core/DataImport.h"
#include "platform/LargeBlock.h"

#include <QString>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    // The heap as the program sets it up first.
    platform::ReturnLargeBlocksToTheSystem();
    CImportColumn x, y;
    SImportControl control;
    if (ParseColumnsFromText(x, QString::fromLocal8Bit(argv[1]), u',', QStringLiteral("Time"),
                             QStringLiteral("Current"), y, control) != kImportOk)
        return 1;
    double sumX = 0, sumY = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        sumX += x[i];
        sumY += y[i];
    }
    std::printf("{\"rows\":%zu,\"sum_x\":%.17g,\"sum_y\":%.17g}\n", x.size(), sumX, sumY);
    return 0;
}
