#include "front/messages.h"
#include "core/platform.h"
#include "platform/headless/platform_headless.h"

HeadlessPlatformLog headlessPlatform;

void PostQuit() { headlessPlatform.quitPosted = true; }
void CaptureMouse(WindowHandle) { ++headlessPlatform.captures; }
void ReleaseMouseCapture() { ++headlessPlatform.releases; }
void SetWindowTitle(WindowHandle, const char* title) { headlessPlatform.title = title; }
std::filesystem::path ExecutableFolder() { return {}; }

void TellPlayer(Tone tone, const std::string& text) { TellConsole(tone, text); }
