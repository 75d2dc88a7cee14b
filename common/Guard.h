// The boundary between a front end and code that may throw: a program's entry point, a window
// procedure. Nothing thrown may pass it, so the user sees a message instead of a program that
// ends without one.
#pragma once

/// Runs `work` and returns what it returns. When `work` throws anything, calls `onFailure` (which
/// tells the user) and returns `failed` instead; should `onFailure` throw too, that is swallowed.
template <typename Result, typename Work, typename OnFailure>
Result RunGuarded(Work&& work, OnFailure&& onFailure, Result failed) noexcept {
    try {
        return work();
    } catch (...) {
        try {
            onFailure();
        } catch (...) {
            // Not even the message could be shown: ending with `failed` is all that is left.
        }
        return failed;
    }
}
