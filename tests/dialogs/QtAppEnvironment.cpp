#include "support/AppEnvironment.h"

[[maybe_unused]] static const auto* const Registered = RegisterAppEnvironment("test_dialogs");
