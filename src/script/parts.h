#pragma once

// The body of part 0..8 (the part table's), reading demo.partMs, the
// milliseconds since the part began, and demo.DemoClock; a part without a
// body, or an index outside the table, draws nothing.
void runPartBody(int part);
