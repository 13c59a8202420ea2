// How the windows run a piece of work as an event handler of its own: the
// settings loader's steps at start-up, and the handlers that a user's click
// or key sets off inside a control. The application installs its runner,
// which shows a failure in the error box and returns; until then a failure
// simply escapes to the caller.
//
//     forms::setHandlerRunner([](const std::function<void()>& h) {
//         static_cast<TApplication*>(qApp)->RunHandler(h);
//     });
#pragma once

#include <functional>

namespace forms {

using HandlerRunner = void (*)(const std::function<void()>& handler);

// Runs `handler` through the installed runner.
void runHandler(const std::function<void()>& handler);
// Installs `runner`; nullptr puts back the one that lets failures escape.
void setHandlerRunner(HandlerRunner runner);

} // namespace forms
