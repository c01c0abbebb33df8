// The SDL game's answers to quirks of the libraries under it, kept apart from the plain SDL
// code. Each says what it guards against and which check shows it.
#pragma once

// SDL wakes a thread waiting for events by sending an event to the window over a second X
// connection of its own. When the wait ends because the window was closed, that wake-up can
// reach the X server after the game has destroyed the window; the server answers with
// BadWindow, and Xlib's default answer to any error is to end the process with code 1, so
// closing the window now and then "failed". Such an error on a window that is gone is harmless
// and is let pass; every other X error is handled as before.
// Shown by scripts/test.d/20-e2e-sdl.sh, "closing the window ended the game: exit code 0".
// Call before SDL's video starts: SDL keeps the handler it finds and puts it back as it ends,
// which is when the late error is read. Does nothing where no X display is named.
void TolerateLateWakeUps();

// SDL gives X11 the window's title as _NET_WM_NAME, the name window managers and tools read,
// only when Xlib can convert it in the process's locale. A program runs in the "C" locale,
// where a title beyond ASCII (a demo's "0:12.35 / 1:00.00 · ½×") fails to convert, and the
// window goes on being called "Fennwick". The title is set with the character type UTF-8 for
// that one call. Not for good: with it, WM_NAME too is written in UTF-8, which a program in the
// "C" locale (xdotool's search) can no longer read even for the plain title "Fennwick".
// Shown by scripts/test.d/20-e2e-sdl.sh, "viewer: paused, the window shows frame N ...".
struct SDL_Window;
void SetTitleInUtf8(SDL_Window* window, const char* title);
