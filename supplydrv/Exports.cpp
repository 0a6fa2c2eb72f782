#include "EntityInstruDCPS.h"

#include <new>

extern "C" {

CEntityInstrument* DLL_DriverCreateObject() {
    return new (std::nothrow) CEntityInstruDCPS();
}

// The texts name this library's own instrument, the DC power supply.
const char16_t* DLL_DriverGetObjectName() {
    return u"DC Power Supply: 2280S";
}

const char16_t* DLL_DriverGetObjectDesc() {
    return u"直流电源 Model 2280S";
}
}
