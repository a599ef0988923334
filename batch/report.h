// The batch report: one CSV row per vehicle (RFC 4180), for checking a collection in a
// spreadsheet.
#pragma once

#include <string>
#include <vector>

#include "batch/vehicle_result.h"

// The CSV text: a header row, then one row per result; CR LF line ends, fields quoted when
// they hold a comma, a quote or a line break.
std::string FormatReport(const std::vector<VehicleResult>& results);

// One CSV field, quoted as RFC 4180 asks.
std::string CsvField(const std::string& text);
