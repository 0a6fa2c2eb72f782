#pragma once

#include <QList>
#include <QString>
#include <initializer_list>
#include <utility>

// String resources by id. Each deliverable registers its own table (Simplified Chinese built in);
// a language library may register a table that takes precedence for the ids it holds.
namespace platform {

enum class eStringLayer { Builtin, Language };

void RegisterStrings(std::initializer_list<std::pair<int, const char16_t*>> strings,
                     eStringLayer layer = eStringLayer::Builtin);
void ClearStrings(eStringLayer layer);

// The text of the id; empty when no table holds it.
QString LoadString(int id);

// The ids one layer holds, and its own text of an id (empty when it has none).
QList<int> StringIds(eStringLayer layer);
QString LoadLayerString(eStringLayer layer, int id);

} // namespace platform
