#include <iostream>

#include "cli.h"
#include "text_encoding.h"

int main(int argc, char** argv) {
  return launcher::stamp::runStamp(launcher::stamp::utf8Arguments(argc, argv), std::cout, std::cerr);
}
