#include "key_state.h"

#include <QtGui/QGuiApplication>
#include <X11/XKBlib.h>

namespace mirte {

LockKeys ReadLockKeys() {
  LockKeys keys;
  auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  Display* display = x11 ? x11->display() : nullptr;
  if (display == nullptr) return keys;
  unsigned int state = 0;
  if (XkbGetIndicatorState(display, XkbUseCoreKbd, &state) != Success) return keys;
  // The core keyboard's indicators: Caps Lock, Num Lock, Scroll Lock.
  keys.caps = state & 0x1;
  keys.num = state & 0x2;
  keys.scroll = state & 0x4;
  return keys;
}

}  // namespace mirte
