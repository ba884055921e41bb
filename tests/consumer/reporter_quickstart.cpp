// A program whose unhandled errors end in the exception reporter's report.
//   reporter_quickstart [fail]
#include <cstdio>
#include <string>

#include "exceptions/ExceptionLog.h"
#include "platform/rtl/SysUtils.h"

void ReadOrders(bool Fail) {
  if (Fail) throw EInOutError("Não foi possível ler os pedidos");
  std::printf("pedidos lidos\n");
}

int main(int argc, char** argv) {
  InitializeExceptions();  // first of all, before any window exists
  ReadOrders(argc > 1 && std::string(argv[1]) == "fail");  // nothing catches it: the reporter does
  FinalizeExceptions();
  return 0;
}
