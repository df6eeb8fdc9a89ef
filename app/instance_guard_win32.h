#pragma once

#include "app/instance_guard.h"

// Takes the machine-wide guard; its handle stays open until the process ends.
GuardFound TakeMachineGuard();
