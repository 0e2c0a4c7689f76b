// A controller on the fake platform with helpers to reach the overlay windows and their last
// paint, for the recording and hint overlay tests.
#pragma once

#include <string>
#include <vector>

#include "tests/support/hotkey_fixture.h"

namespace fake {

class OverlayFixture : public HotkeyFixture {
 protected:
  FakeWindow* recording() { return fake.windows.window(hotkey->recording().window()); }
  FakeWindow* hint() { return fake.windows.window(hotkey->hint().window()); }

  // Paints `window` through its window procedure and returns only that paint's calls.
  std::vector<DrawCall> paint(HWND window) {
    fake.gdi.draws.clear();
    fake.windows.paint(window);
    return fake.gdi.draws;
  }

  // Every object and DC a paint or measurement made was released, and none was misused.
  void expectGdiBalanced() {
    EXPECT_EQ(fake.gdi.objectsCreated, fake.gdi.objectsDeleted);
    EXPECT_EQ(fake.gdi.dcsCreated, fake.gdi.dcsDeleted);
    EXPECT_EQ(fake.gdi.deletedWhileSelected, 0);
    EXPECT_EQ(fake.gdi.dcsDeletedWithSelection, 0);
    EXPECT_EQ(fake.gdi.invalidCalls, 0);
    EXPECT_EQ(fake.windows.openPaints, 0);
    EXPECT_EQ(fake.windows.openDcs, 0);
  }
};

inline std::vector<int> rect(int l, int t, int r, int b) { return {l, t, r, b}; }

}  // namespace fake
