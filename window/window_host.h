// What only the window can do, asked for by the window logic, which calls nothing of Qt.
// The Qt window implements it; the tests implement it with a recorder.
#pragma once

#include "batch/report.h"
#include "core/wstr.h"
#include "window/window_controls.h"

namespace tomeo {

class WindowHost {
public:
    virtual ~WindowHost() = default;
    // Shows the report in the message window ("Сообщение") and returns when the user has
    // closed it; the keys (F2, F6, Ctrl+R) are inactive meanwhile.
    virtual void ShowMessage(const Report& report) = 0;
    // Asks for a folder with the folder browser, titled title (Windows-1251). Gives false
    // when the user cancels; otherwise the chosen folder (Windows-1251, full path).
    virtual bool AskFolder(const char* title, WSTR& folder) = 0;
    // The wait cursor on (a long action runs) or off again.
    virtual void SetWaitCursor(bool on) = 0;
    // The controls' states and texts changed: draw them.
    virtual void ShowControls(const WindowControls& controls) = 0;
};

}  // namespace tomeo
