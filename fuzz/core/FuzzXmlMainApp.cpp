#include "FuzzInputFile.h"
#include "lumora/core/ParserParameters.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    const QString path = fuzzcore::WriteInput(data, size);
    MainPreferences preferences;
    if (CParserParameters().Load(path, &preferences) == 1)
        FormatMeasuredValue(preferences, 1.5);
    return 0;
}
