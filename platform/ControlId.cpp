#include "ControlId.h"

namespace platform {
namespace {
constexpr char kIdProperty[] = "controlId";
}

void SetControlId(QWidget* control, int id) {
    control->setProperty(kIdProperty, id);
    if (control->objectName().isEmpty())
        control->setObjectName(QStringLiteral("ctl%1").arg(id));
}

int ControlId(const QWidget* control) {
    const QVariant id = control->property(kIdProperty);
    return id.isValid() ? id.toInt() : -1;
}

QWidget* FindControl(const QWidget* parent, int id) {
    if (parent == nullptr)
        return nullptr;
    for (QWidget* child : parent->findChildren<QWidget*>()) {
        if (ControlId(child) == id)
            return child;
    }
    return nullptr;
}

} // namespace platform
