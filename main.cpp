#include "app/driver.h"
#include "engine/pass.h"
#include "platform/process.h"

int main(int argc, char** argv) {
  platform::prepareProcess();
  const int code = zantrel::runProgram(platform::processArguments(argc, argv), zantrel::runPass);
  platform::exitProcess(code);
}
