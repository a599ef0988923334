// The assembly component, with the list of textures and their conversion.
#pragma once

#include <string>
#include <string_view>

struct Run;

// Writes the assembly: the texture list (converting each texture into the output folder),
// the model's name and length, the vehicle's parameters and the INCLUDE lines of the
// primitives on a root matrix.
void WriteAssemblySection(Run& run);

// Replaces every ".ace" of text by ".tga".
std::string ReplaceAceWithTga(std::string_view text);
