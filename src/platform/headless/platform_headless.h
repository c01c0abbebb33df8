// What the portable code asked of the window system, in a build that has none.
#pragma once

#include <string>

struct HeadlessPlatformLog {
  bool quitPosted = false;
  int captures = 0;
  int releases = 0;
  std::string title;
};

extern HeadlessPlatformLog headlessPlatform;
