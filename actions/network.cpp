#include "actions/network.h"

void HangUpDialup(NetworkSystem& network, const std::function<void(const std::string&)>& tell) {
    std::optional<std::vector<DialupHandle>> connections = network.DialupConnections();
    if (!connections) return;
    if (connections->empty()) {
        tell(kNoDialupConnection);
        return;
    }
    tell(network.HangUp(connections->front()) ? kHangUpDone : kHangUpFailed);
}

std::optional<std::string> AdapterCommandParameters(const std::string& connection, bool enable) {
    for (char c : connection) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '%' || byte < 0x20 || byte == 0x7F) return std::nullopt;
    }
    return std::string("/c  netsh int set int name=") + '"' + connection + '"' + " " +
           (enable ? "admin=enable" : "admin=disable");
}

void SetAdapterState(NetworkSystem& network, const std::string& connection, bool enable) {
    if (std::optional<std::string> parameters = AdapterCommandParameters(connection, enable))
        network.RunCmdHidden(*parameters);
}
