// Reading the shape text's tables, from points to hierarchy, into the run.
#pragma once

struct Run;

// Reads the sections from points to hierarchy into run.tables, logging each section, and the
// sub_objects count; aborts the run when the text ends before a section.
void ReadShapeTables(Run& run);
