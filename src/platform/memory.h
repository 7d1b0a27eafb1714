// Memory the program's loaders no longer use, handed back to the system.
#pragma once

namespace platform {

// Returns the free memory the C library's heap holds to the system. The
// loader threads call it when they are done; calls never overlap, and where
// a sanitizer owns the heap it does nothing, since the C library's heap is
// then unused and may not even be set up.
void give_back_free_memory();

}  // namespace platform
