// The X, GL and D-Bus libraries that SDL loads keep allocations for the life
// of the process, some in modules already unloaded, which no suppression can
// name. Leaks are checked by the logic tests; here they are not.
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }
