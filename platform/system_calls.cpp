#include "platform/system_calls.h"

bool ShouldCloseWindow(const WindowFacts& w) {
    if (!w.visible && !w.minimised) return false;
    if (w.ownedByAnotherWindow) return false;
    if (w.toolWindow) return false;
    if (w.ownProcess) return false;
    return w.titled;
}
