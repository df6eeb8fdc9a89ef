#include "actions/power.h"

namespace {

// No wake text and no hang-up: neither is offered at once.
void Act(PowerAction action, PowerSystem& power) { ExecutePowerAction(action, "", LocalTime{}, power, [] {}); }

}  // namespace

void RunTrayPower(PowerAction action, std::int32_t shutapp, PowerSystem& power) {
    if (SweepsFirst(action, shutapp)) power.CloseAllPrograms();
    if (action == PowerAction::Hibernate)
        power.SetSystemPowerState(false, true);
    else
        Act(action, power);
}

void RunHotkeyPower(PowerAction action, PowerSystem& power) {
    if (RowOf(action).sweep == Sweep::Always) power.CloseAllPrograms();
    Act(action, power);
}
