#include "app/instance_guard.h"

StartAnswer AnswerAtStart(bool sessionMutexExisted, GuardFound guard, bool startedByLogon) {
    if (!sessionMutexExisted && guard != GuardFound::HeldByCopy) return StartAnswer::Run;
    return startedByLogon ? StartAnswer::EndSilently : StartAnswer::ShowNotice;
}
