#include "lumora/shell/LumoraDoc.h"

#include "lumora/shell/LumoraView.h"

bool CLumoraDoc::OnSaveDocument(const QString&, const QWidget* firstView) const {
    return dynamic_cast<const CLumoraView*>(firstView) != nullptr;
}
