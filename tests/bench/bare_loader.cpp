// The floor of the start-up benchmark: a program that does nothing but load
// a jvm.dll and enter its JNI_CreateJavaVM.
#include <cstdio>

#include "enter_jvm.h"

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: bare_loader <jvm.dll>\n");
    return 2;
  }
  return enterJvm(argv[1]);
}
