// The About box "关于...". Each call opens a further box; a closed box is released.
#pragma once

void ShowAboutBox();
