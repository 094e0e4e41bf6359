// Whether Caps Lock, Num Lock and Scroll Lock are on. Qt does not tell; on
// X11 the keyboard extension does. Elsewhere all three read as off.
#pragma once

namespace mirte {

struct LockKeys {
  bool caps = false;
  bool num = false;
  bool scroll = false;
};

LockKeys ReadLockKeys();

}  // namespace mirte
