// The network actions: hanging up and dialling the dial-up connection, and
// switching a network adapter through netsh.
#pragma once

#include "platform/system_calls.h"
#include "store/run_log.h"

#include <functional>
#include <optional>
#include <string>

inline constexpr char kNoDialupConnection[] = "没有可用的拨号连接";
inline constexpr char kHangUpFailed[] = "断开失败";
inline constexpr char kHangUpDone[] = "断开成功";

// Hangs up the first active dial-up connection and tells the user how it
// went; a failed enumeration is silent. What it told, none when it was silent.
std::optional<std::string> HangUpDialup(NetworkSystem& network, const std::function<void(const std::string&)>& tell);

// The parameters of the hidden cmd.exe that switches an adapter, or none for
// a name that could break out of its quotes: a double quote, a line break or
// any other control character; or that cmd.exe would change inside them: a
// "%", which starts a variable's name. Such a name may come from an imported
// file, and the command runs with administrator rights.
std::optional<std::string> AdapterCommandParameters(const std::string& connection, bool enable);

// Starts the command without waiting; `report`, when given, hears netsh's
// exit code once it has ended, on another thread, or at once of a name
// refused.
void SetAdapterState(NetworkSystem& network, const std::string& connection, bool enable,
                     const OutcomeReport& report = {});
