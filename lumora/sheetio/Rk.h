#pragma once

#include <cstdint>

// RK values: a 30-bit integer or the upper 30 bits of a double, optionally divided by 100.
namespace SheetIO {

struct CRkNumber {
    bool isInteger;
    int32_t integer;
    double value;
};

CRkNumber DecodeRk(uint32_t rk);

// An RK in float form that decodes back to exactly v; false when none does.
bool EncodeRkDouble(double v, uint32_t& rk);
// An RK in integer form; false outside the 30-bit range.
bool EncodeRkInteger(int32_t v, uint32_t& rk);

} // namespace SheetIO
