// The conversion of one MSTS shape text into one model file: the engine's entry point.
#pragma once

#include "convert/conversion_options.h"
#include "convert/log_sink.h"

// Converts options.SourcePath into OutputDirectory + name + ".stk" and its textures. Returns
// true when the run reached its closing line; false after a file failure or an unexpected end
// of the shape text, which has then been reported through log.ReportFileFailure.
bool RunConversion(const ConversionOptions& options, LogSink& log);
// The same, telling through result what was written (after a failure: up to the failure).
bool RunConversion(const ConversionOptions& options, LogSink& log, ConversionResult& result);
