#pragma once

#include <QWidget>

// Every control of a dialog keeps its numeric id, so enable rules, layouts and tests find it by id.
namespace platform {

void SetControlId(QWidget* control, int id);
// The control's id, -1 when it has none.
int ControlId(const QWidget* control);
// The first descendant of parent carrying the id, null when none does.
QWidget* FindControl(const QWidget* parent, int id);

template <typename T> T* FindControl(const QWidget* parent, int id) {
    return dynamic_cast<T*>(FindControl(parent, id));
}

// Gives a new control to its parent under its id; the control back.
template <typename T> T* AddControl(QWidget* parent, int id, T* control) {
    control->setParent(parent);
    SetControlId(control, id);
    return control;
}

} // namespace platform
