#pragma once

void startCountingAllocations();
long stopCountingAllocations();
