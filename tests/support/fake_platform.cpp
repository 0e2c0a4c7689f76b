#include "tests/support/fake_platform.h"

namespace fake {

FakePlatform::FakePlatform() {
  platform_.keyboard = &keyboard;
  platform_.timers = &timers;
  platform_.clock = &clock;
  platform_.debug = &debug;
  platform_.windows = &windows;
  platform_.gdi = &gdi;
  platform_.clipboard = &clipboard;
  platform_.mediaFoundation = &mediaFoundation;
  platform_.shell = &shell;
  platform_.processes = &processes;
  timers.windows = &windows;
  clipboard.windows = &windows;
  platform_.trace = &trace;
  platform_.userKeyboard = &userKeyboard;
}

}  // namespace fake
