#pragma once

namespace platform {

// Blocks of a megabyte and more come straight from the system and go back to it when freed. A
// data-logging run's arrays grow by hundreds of megabytes; with the allocator's own moving threshold
// the blocks they leave behind would stay in the heap, and so in the process's memory.
void ReturnLargeBlocksToTheSystem();

} // namespace platform
