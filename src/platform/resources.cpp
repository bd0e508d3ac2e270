#include "platform/resources.h"

#include "platform/module_loader.h"

namespace {

const platform::ResourceTable* g_programTable = nullptr;
HINSTANCE g_resourceHandle = nullptr;

template <typename Item>
const Item* FindIn(const Item* items, size_t count, UINT id) {
    for (size_t i = 0; i < count; ++i)
        if (items[i].id == id) return &items[i];
    return nullptr;
}

// Searches the current resource module's table, then the program's.
template <typename Lookup>
auto Search(Lookup lookup) -> decltype(lookup(g_programTable)) {
    if (const auto* pack = platform::ModuleResources(g_resourceHandle))
        if (auto found = lookup(pack)) return found;
    return g_programTable ? lookup(g_programTable) : nullptr;
}

}  // namespace

namespace platform {

void SetProgramResources(const ResourceTable* table) { g_programTable = table; }

const ResourceTable* ModuleResources(HMODULE module) {
    if (!module) return nullptr;
    const DWORD saved = GetLastError();
    auto symbol = GetProcAddress(module, kResourceTableSymbol);
    SetLastError(saved);
    return reinterpret_cast<const ResourceTable*>(symbol);
}

const DialogTemplate* FindDialogTemplate(UINT id) {
    return Search([id](const ResourceTable* t) { return FindIn(t->dialogs, t->dialogCount, id); });
}

std::wstring LoadStringResource(UINT id) {
    const auto* found =
        Search([id](const ResourceTable* t) { return FindIn(t->strings, t->stringCount, id); });
    return found && found->text ? std::wstring(found->text) : std::wstring();
}

const IconResource* FindIconResource(UINT id) {
    return Search([id](const ResourceTable* t) { return FindIn(t->icons, t->iconCount, id); });
}

}  // namespace platform

void AfxSetResourceHandle(HINSTANCE module) { g_resourceHandle = module; }
HINSTANCE AfxGetResourceHandle() { return g_resourceHandle; }
