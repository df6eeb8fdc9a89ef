// The reminder window: a topmost window that tells the user something without
// blocking anything. Every call opens a new, independent window.
#pragma once

#include "windows/reminder_model.h"

#include <string>

// Opens a new reminder window with `message`; `note` rides along unseen (a
// scheduled reminder passes its schedule text).
void ShowReminder(const std::string& message, const std::string& note);
