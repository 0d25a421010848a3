// The conformance fixture on the simulated machine: a throw-away machine per test.
#include "tests/platform/conformance.h"
#include "tests/support/machine_fixture.h"

namespace conformance {

Scratch PrepareScratch() {
  auto machine = std::make_shared<testing_support::TempMachine>();
  machine->MakeDir("c/scratch");
  machine->Start();
  return {&machine->Platform(), "C:\\scratch\\", machine};
}

}  // namespace conformance
