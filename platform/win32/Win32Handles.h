// The platform's opaque handles as the Windows types they stand for.
#pragma once
#include <windows.h>

#include "platform/WinDefs.h"

namespace hg {

template <class T> T To(Handle h) {
  return reinterpret_cast<T>(h);
}
template <class T> Handle From(T p) {
  return reinterpret_cast<Handle>(p);
}

} // namespace hg
