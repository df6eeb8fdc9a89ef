#include "platform/logon_task_win32.h"

#include "platform/text_win32.h"

#include <windows.h>
#include <oleauto.h>
#include <taskschd.h>

#include <cstdio>

namespace {

// Task Scheduler 2.0's class; named here so that no import library is needed.
constexpr CLSID kTaskSchedulerClass = {0x0f87369f, 0xa4e5, 0x4cfc, {0xbd, 0x3e, 0x73, 0xe6, 0x15, 0x45, 0x72, 0xdd}};

template <typename T>
struct Com {
    T* p = nullptr;
    ~Com() {
        if (p) p->Release();
    }
    T* operator->() const { return p; }
};

struct Bstr {
    BSTR text;
    explicit Bstr(const wchar_t* value) : text(SysAllocString(value)) {}
    ~Bstr() { SysFreeString(text); }
};

std::string HresultText(HRESULT result) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(result));
    return SystemErrorText(static_cast<unsigned long>(result)) + " (" + code + ")";
}

const wchar_t* TaskName() { return reinterpret_cast<const wchar_t*>(kLogonTaskName); }

// The root folder of a connected service; the failure's HRESULT otherwise.
HRESULT RootFolder(Com<ITaskFolder>& folder) {
    Com<ITaskService> service;
    HRESULT result = CoCreateInstance(kTaskSchedulerClass, nullptr, CLSCTX_INPROC_SERVER, __uuidof(ITaskService),
                                      reinterpret_cast<void**>(&service.p));
    if (FAILED(result)) return result;
    VARIANT none;
    VariantInit(&none);
    result = service->Connect(none, none, none, none);
    if (FAILED(result)) return result;
    Bstr root(L"\\");
    return service->GetFolder(root.text, &folder.p);
}

bool IsMissing(HRESULT result) {
    return result == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) || result == HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
}

}  // namespace

bool Win32LogonTasks::Present() {
    Com<ITaskFolder> folder;
    if (FAILED(RootFolder(folder))) return false;
    Com<IRegisteredTask> task;
    Bstr name(TaskName());
    return SUCCEEDED(folder->GetTask(name.text, &task.p));
}

std::optional<std::string> Win32LogonTasks::Register(const std::u16string& definition) {
    Com<ITaskFolder> folder;
    HRESULT result = RootFolder(folder);
    if (SUCCEEDED(result)) {
        Bstr name(TaskName());
        Bstr xml(reinterpret_cast<const wchar_t*>(definition.c_str()));
        VARIANT none;
        VariantInit(&none);
        Com<IRegisteredTask> task;
        // A group principal: the task runs as whichever user logs on.
        result = folder->RegisterTask(name.text, xml.text, TASK_CREATE_OR_UPDATE, none, none, TASK_LOGON_GROUP,
                                      none, &task.p);
    }
    if (SUCCEEDED(result)) return std::nullopt;
    return HresultText(result);
}

std::optional<std::string> Win32LogonTasks::Remove() {
    Com<ITaskFolder> folder;
    HRESULT result = RootFolder(folder);
    if (SUCCEEDED(result)) {
        Bstr name(TaskName());
        result = folder->DeleteTask(name.text, 0);
    }
    if (SUCCEEDED(result) || IsMissing(result)) return std::nullopt;
    return HresultText(result);
}
