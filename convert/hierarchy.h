// The matrix components that reproduce the shape's hierarchy of matrices.
#pragma once

struct Run;

// Places the matrices below matrix 0 in the assembly and writes one component per matrix that
// is not a root, placing its child matrices and holding its primitives' INCLUDE lines.
void WriteMatrixHierarchy(Run& run);
