#include "FuzzInputFile.h"
#include "lumora/core/BinDataFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    const QString path = fuzzcore::WriteInput(data, size);
    CBinDataFile file;
    file.Read(path);
    return 0;
}
