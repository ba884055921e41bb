#pragma once
// How a modal window or dialog was closed: the button that closed it. Shared by forms and the dialog
// service, so code without widgets can ask for dialogs.
using TModalResult = int;
constexpr TModalResult mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6,
                       mrNo = 7, mrAll = 8, mrNoToAll = 9, mrYesToAll = 10;
