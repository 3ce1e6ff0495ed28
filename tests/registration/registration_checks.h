// One round of registration against the real registry, checked entry by entry, whichever way
// the module gets registered (the registrar called directly, or regsvr32).
#pragma once

#include <functional>
#include <string>

// Registers twice (the second time over a stale subkey below each ForceRemove key), then
// unregisters beside other programs' keys; checks every entry after each step.
void CheckRegistrationRound(const std::string& modulePath, const std::function<bool()>& doRegister,
                            const std::function<bool()>& doUnregister);
