// One copy per machine. The described mutex exists once per logon session,
// so a second guard spans the sessions: a Global\ mutex that only
// Administrators and SYSTEM may open, whose owner is checked when it exists.
#pragma once

// What the machine-wide guard found.
enum class GuardFound {
    Created,     // this copy holds it now
    HeldByCopy,  // a copy of this program holds it, in this session or another
    Squatted,    // an object of its name that no administrator made: not a copy
};

enum class StartAnswer {
    Run,
    EndSilently,  // another copy runs, and nobody here asked for this one
    ShowNotice,   // another copy runs: "Tempiro2020，已经运行。"
};

// A copy started by the logon task ends without a word when another runs:
// the notice is for a person who starts a second copy by hand. A squatted
// guard does not keep the program from running; the session's mutex still
// holds.
StartAnswer AnswerAtStart(bool sessionMutexExisted, GuardFound guard, bool startedByLogon);
