#include "instruments/simulator/GarbageReply.h"

namespace benchsim {

std::string GarbageReply() {
    return std::string("#\xff\xfe\x01garbage\x7f\x80", 13);
}

} // namespace benchsim
