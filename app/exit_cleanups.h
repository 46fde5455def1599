#pragma once

// Registers a clean-up to run when the process exits; clean-ups run in the
// reverse order of their registration. Returns 1 so that it can initialise
// a static constant right after the object it cleans up.
int register_exit_cleanup(const char* name, void (*cleanup)());

// The names of the registered clean-ups, in registration order, separated by
// commas.
const char* exit_cleanup_names();
