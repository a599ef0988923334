// How a conversion ends early, thrown from wherever the failure is met.
#pragma once

#include "convert/log_sink.h"

// Ends the run early: a file failure, or the shape text ending where a section or the rest of
// a list was sought. Caught by RunConversion, which reports it.
struct RunAborted {
  FileFailure failure;
};
