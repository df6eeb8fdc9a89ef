#include "actions/network.h"

std::optional<std::string> HangUpDialup(NetworkSystem& network, const std::function<void(const std::string&)>& tell) {
    std::optional<std::vector<DialupHandle>> connections = network.DialupConnections();
    if (!connections) return std::nullopt;
    const char* told = connections->empty()                     ? kNoDialupConnection
                       : network.HangUp(connections->front()) ? kHangUpDone
                                                                : kHangUpFailed;
    tell(told);
    return told;
}

std::optional<std::string> AdapterCommandParameters(const std::string& connection, bool enable) {
    for (char c : connection) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '%' || byte < 0x20 || byte == 0x7F) return std::nullopt;
    }
    return std::string("/c  netsh int set int name=") + '"' + connection + '"' + " " +
           (enable ? "admin=enable" : "admin=disable");
}

void SetAdapterState(NetworkSystem& network, const std::string& connection, bool enable,
                     const OutcomeReport& report) {
    std::optional<std::string> parameters = AdapterCommandParameters(connection, enable);
    if (!parameters) {
        if (report) report(AdapterRefused());
        return;
    }
    CmdEnded ended;
    if (report) ended = [report](std::optional<unsigned long> exitCode) { report(AdapterOutcome(exitCode)); };
    network.RunCmdHidden(*parameters, std::move(ended));
}
