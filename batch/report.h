// The batch report: one CSV row per vehicle (RFC 4180), for checking a collection in a
// spreadsheet.
#pragma once

#include <string>
#include <vector>

#include "batch/options.h"
#include "batch/plan.h"
#include "batch/vehicle_result.h"

// The CSV text: a header row, then one row per result; CR LF line ends, fields quoted when
// they hold a comma, a quote or a line break.
std::string FormatReport(const std::vector<VehicleResult>& results);

// One CSV field, quoted as RFC 4180 asks.
std::string CsvField(const std::string& text);

// Whether options.report_path may take the report, checked before anything is converted: it
// is none of the sources, has no name of a file the run reads or writes, and its folder
// exists (made when missing). False with the reason otherwise.
bool CheckReportPath(const BatchOptions& options, const std::vector<PlannedVehicle>& vehicles,
                     std::string& problem);
