// The header comment and one component per drawing primitive of each sub-object.
#pragma once

struct Run;

// The model file's opening comment, naming the program and its version.
void WriteHeaderComment(Run& run);
// Every sub-object's vertices and primitives: one component per primitive, its INCLUDE line
// kept for the assembly or for its matrix's component.
void WriteSubObjects(Run& run);
