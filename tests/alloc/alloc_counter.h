#pragma once

void startCountingAllocations();
long stopCountingAllocations();
// Where the first few counted allocations were made: return addresses as
// offsets into the executable, for addr2line.
long countedAllocationCaller(int i);
