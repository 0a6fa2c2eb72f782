#include "FuzzInputFile.h"
#include "lumora/core/ParserParaInstruDCSource.h"
#include "lumora/core/ParserParaInstruMultiMeter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    const QString path = fuzzcore::WriteInput(data, size);
    CParameterInstruDCSource dc;
    CParserParaInstruDCSource().Load(path, &dc);
    CParameterInstruMultiMeter dmm;
    CParserParaInstruMultiMeter().Load(path, &dmm);
    return 0;
}
