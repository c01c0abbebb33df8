// What the portable code asked of the window system, in a build that has none.
#pragma once

struct HeadlessPlatformLog {
  bool quitPosted = false;
  int captures = 0;
  int releases = 0;
};

extern HeadlessPlatformLog headlessPlatform;
