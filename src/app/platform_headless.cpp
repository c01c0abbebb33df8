#include "app/messages.h"
#include "app/platform.h"
#include "app/platform_headless.h"

HeadlessPlatformLog headlessPlatform;

void PostQuit() { headlessPlatform.quitPosted = true; }
void CaptureMouse(WindowHandle) { ++headlessPlatform.captures; }
void ReleaseMouseCapture() { ++headlessPlatform.releases; }
void SetWindowTitle(WindowHandle, const char* title) { headlessPlatform.title = title; }
std::filesystem::path ExecutableFolder() { return {}; }

void TellPlayer(Tone tone, const std::string& text) { TellConsole(tone, text); }
