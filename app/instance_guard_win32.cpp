#include "app/instance_guard_win32.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

namespace {

constexpr wchar_t kGuardName[] = L"Global\\Tempiro-Qorvix0979-968080";
// Owned by Administrators; SYSTEM and Administrators alone may open it, and
// nothing is inherited.
constexpr wchar_t kGuardRights[] = L"O:BAD:P(A;;GA;;;SY)(A;;GA;;;BA)";
constexpr wchar_t kGuardRightsNoOwner[] = L"D:P(A;;GA;;;SY)(A;;GA;;;BA)";

HANDLE CreateGuard(const wchar_t* rights, DWORD& error) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(rights, SDDL_REVISION_1, &descriptor, nullptr)) {
        error = GetLastError();
        return nullptr;
    }
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    HANDLE guard = CreateMutexW(&attributes, FALSE, kGuardName);
    error = GetLastError();
    LocalFree(descriptor);
    return guard;
}

bool OwnedByAdministrators(HANDLE object) {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(object, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                        &descriptor) != ERROR_SUCCESS)
        return false;
    const bool trusted = owner && (IsWellKnownSid(owner, WinBuiltinAdministratorsSid) ||
                                   IsWellKnownSid(owner, WinLocalSystemSid));
    LocalFree(descriptor);
    return trusted;
}

}  // namespace

GuardFound TakeMachineGuard() {
    DWORD error = 0;
    HANDLE guard = CreateGuard(kGuardRights, error);
    // A token that may not name Administrators as owner still guards.
    if (!guard && error == ERROR_INVALID_OWNER) guard = CreateGuard(kGuardRightsNoOwner, error);
    if (!guard) {
        // Refused: a genuine copy's guard lets Administrators in, so whoever
        // made this one is no copy of the program.
        return GuardFound::Squatted;
    }
    if (error != ERROR_ALREADY_EXISTS) return GuardFound::Created;  // held until the process ends
    const bool copy = OwnedByAdministrators(guard);
    CloseHandle(guard);
    return copy ? GuardFound::HeldByCopy : GuardFound::Squatted;
}
