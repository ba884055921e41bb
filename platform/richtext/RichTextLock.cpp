#include "platform/richtext/RichTextLock.h"

TCriticalSection& RichTextLock() {
  static TCriticalSection* Lock = new TCriticalSection;
  return *Lock;
}
