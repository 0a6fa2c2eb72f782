#include "instruments/drvcore/SessionFactory.h"

#include "instruments/drvcore/SocketSession.h"
#include "instruments/drvcore/UsbtmcSession.h"
#include "instruments/drvcore/VisaResource.h"
#include "instruments/drvcore/Vxi11Session.h"

namespace drvcore {

std::unique_ptr<CSession> CreateSession(const std::string& resource, const SSessionOptions& options,
                                        std::string& error) {
    CVisaResource parsed;
    if (!parsed.Parse(resource)) {
        error = parsed.Error();
        return nullptr;
    }
    switch (parsed.Kind()) {
    case CVisaResource::eVxi11:
        return std::make_unique<CVxi11Session>(parsed, options);
    case CVisaResource::eSocket:
        return std::make_unique<CSocketSession>(parsed, options);
    case CVisaResource::eUsbtmc:
        return std::make_unique<CUsbtmcSession>(parsed, options);
    case CVisaResource::eInvalid:
        break;
    }
    error = "unsupported resource \"" + resource + "\"";
    return nullptr;
}

} // namespace drvcore
