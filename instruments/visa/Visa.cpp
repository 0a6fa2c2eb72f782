#include "instruments/visa/Visa.h"

#include "instruments/visa/ResourcePattern.h"
#include "instruments/visa/UsbtmcDevices.h"

#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace {

struct SFindList {
    ViSession manager = 0;
    std::vector<std::string> names;
    size_t next = 0;
};

std::mutex g_mutex;
ViObject g_nextHandle = 1;
std::map<ViObject, bool> g_managers;
std::map<ViObject, SFindList> g_findLists;

void CopyName(const std::string& name, ViChar* description) {
    if (description == nullptr)
        return;
    const size_t length = std::min<size_t>(name.size(), VI_FIND_BUFLEN - 1);
    std::memcpy(description, name.data(), length);
    description[length] = '\0';
}

} // namespace

ViStatus viOpenDefaultRM(ViSession* manager) {
    if (manager == nullptr)
        return VI_ERROR_INV_PARAMETER;
    std::lock_guard lock(g_mutex);
    *manager = g_nextHandle++;
    g_managers[*manager] = true;
    return VI_SUCCESS;
}

ViStatus viFindRsrc(ViSession manager, ViConstString expression, ViFindList* list, ViUInt32* count,
                    ViChar description[]) {
    if (count != nullptr)
        *count = 0;
    if (list != nullptr)
        *list = 0;
    if (description != nullptr)
        description[0] = '\0';
    {
        std::lock_guard lock(g_mutex);
        if (g_managers.count(manager) == 0)
            return VI_ERROR_INV_OBJECT;
    }
    visa::CResourcePattern pattern;
    if (expression == nullptr || !pattern.Compile(expression))
        return VI_ERROR_INV_EXPR;
    SFindList found;
    found.manager = manager;
    for (const visa::SUsbtmcDevice& device : visa::CUsbtmcDevices::Enumerate()) {
        const std::string name = device.ResourceName();
        if (pattern.Matches(name))
            found.names.push_back(name);
    }
    if (found.names.empty())
        return VI_ERROR_RSRC_NFOUND;
    if (count != nullptr)
        *count = static_cast<ViUInt32>(found.names.size());
    CopyName(found.names[0], description);
    found.next = 1;
    if (list != nullptr) {
        std::lock_guard lock(g_mutex);
        *list = g_nextHandle++;
        g_findLists[*list] = std::move(found);
    }
    return VI_SUCCESS;
}

ViStatus viFindNext(ViFindList list, ViChar description[]) {
    std::lock_guard lock(g_mutex);
    auto it = g_findLists.find(list);
    if (it == g_findLists.end())
        return VI_ERROR_INV_OBJECT;
    if (it->second.next >= it->second.names.size())
        return VI_ERROR_RSRC_NFOUND;
    CopyName(it->second.names[it->second.next++], description);
    return VI_SUCCESS;
}

ViStatus viClose(ViObject object) {
    std::lock_guard lock(g_mutex);
    if (g_findLists.erase(object) > 0)
        return VI_SUCCESS;
    if (g_managers.erase(object) == 0)
        return VI_ERROR_INV_OBJECT;
    for (auto it = g_findLists.begin(); it != g_findLists.end();)
        it = it->second.manager == object ? g_findLists.erase(it) : std::next(it);
    return VI_SUCCESS;
}
