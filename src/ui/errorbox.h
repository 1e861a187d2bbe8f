#pragma once

#include "core/exception.h"

#include <exception>
#include <utility>

// The error box: the application title as caption, the message with its
// final period, the stop icon and one OK button. The program's other windows
// wait while it is up; their queued events are still handled.
void showErrorBox(const std::exception &error);

// The fatal start-up box "アプリケーション エラー": the error's kind, the
// program file and the message. The program ends after it.
void showFatalErrorBox(const Exception &error);

// An error that stopped a handler: any pointer capture is released and the
// error box shows it.
void reportError(const std::exception &error) noexcept;

// Where Qt calls game code that can raise the game's errors (a control's
// click or pointer move, the clock's tick, a queued call) it runs through this
// guard. An error stops here and goes to the error box; the rest of the
// handler is skipped and the event loop carries on. Nothing unwinds through
// Qt, whose frames are not built for exceptions.
template <class Handler>
void guarded(Handler &&handler) noexcept
{
    try {
        std::forward<Handler>(handler)();
    } catch (const std::exception &error) {
        reportError(error);
    } catch (...) {
        reportError(Exception(Fault::Unknown));
    }
}
