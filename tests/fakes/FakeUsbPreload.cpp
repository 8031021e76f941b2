// The preloaded build sets itself up from the environment as soon as it is loaded.
#include "fakes/FakeUsb.h"

namespace {
__attribute__((constructor)) void ConfigureFakeUsb() { fakeusb::ConfigureFromEnvironment(); }
}  // namespace
