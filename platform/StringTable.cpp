#include "StringTable.h"

#include <QHash>
#include <mutex>

namespace platform {
namespace {

std::mutex g_mutex;
QHash<int, QString>& Layer(eStringLayer layer) {
    static QHash<int, QString> builtin;
    static QHash<int, QString> language;
    return layer == eStringLayer::Builtin ? builtin : language;
}

} // namespace

void RegisterStrings(std::initializer_list<std::pair<int, const char16_t*>> strings, eStringLayer layer) {
    std::lock_guard lock(g_mutex);
    auto& table = Layer(layer);
    for (const auto& [id, text] : strings)
        table.insert(id, QString::fromUtf16(text));
}

void ClearStrings(eStringLayer layer) {
    std::lock_guard lock(g_mutex);
    Layer(layer).clear();
}

QString LoadString(int id) {
    std::lock_guard lock(g_mutex);
    const auto& language = Layer(eStringLayer::Language);
    if (auto it = language.constFind(id); it != language.constEnd())
        return *it;
    return Layer(eStringLayer::Builtin).value(id);
}

QList<int> StringIds(eStringLayer layer) {
    std::lock_guard lock(g_mutex);
    return Layer(layer).keys();
}

QString LoadLayerString(eStringLayer layer, int id) {
    std::lock_guard lock(g_mutex);
    return Layer(layer).value(id);
}

} // namespace platform
