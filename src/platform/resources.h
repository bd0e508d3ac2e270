// Resource look-up through the current resource handle.
//
// The program registers its own table at start-up. A loaded resource-only module made the
// current resource handle is searched first; whatever it lacks comes from the program.
#pragma once

#include <string>

#include "platform/resource_types.h"

namespace platform {

/// Registers the program's own resources (called once, before any look-up).
void SetProgramResources(const ResourceTable* table);

/// The table a module exports under kResourceTableSymbol, or null.
const ResourceTable* ModuleResources(HMODULE module);

const DialogTemplate* FindDialogTemplate(UINT id);
/// The string's text, or empty when no table has it.
std::wstring LoadStringResource(UINT id);
const IconResource* FindIconResource(UINT id);

}  // namespace platform

/// The module resources are taken from first; null means the program itself.
void AfxSetResourceHandle(HINSTANCE module);
HINSTANCE AfxGetResourceHandle();
