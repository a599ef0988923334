// The collection page of a batch run: one card per vehicle with its picture, name, source,
// status, length, physical data, textures and warnings; a filter box, a status choice, a sort
// and the link to the CSV report. One self-contained HTML file that works from the file
// system: no server, no network, no outside scripts or fonts.
#pragma once

#include <string>
#include <vector>

#include "base/vehicle_data.h"

struct VehicleCard {
  std::string name;    // the model's name
  std::string source;  // the ENG/WAG or shape file as given
  bool converted = false;
  std::string status;      // "converted", or what went wrong
  std::string picture;     // the preview's path relative to the page; empty when none
  std::string model_file;  // relative to the page; empty when none
  double length_mm = 0;    // 0 when not given
  VehicleData vehicle;     // the vehicle lines of the assembly as written ("61", "900"...)
  std::vector<std::string> textures;
  std::vector<std::string> missing_textures;
  std::vector<std::string> warnings;
};

// The page's HTML, cards in the order given; report is the CSV report's path relative to the
// page, linked from it, or empty for none.
std::string MakeCollectionPage(const std::string& title, const std::string& report,
                               const std::vector<VehicleCard>& cards);

// Text made safe for HTML element content and attribute values.
std::string EscapeHtml(const std::string& text);

// The page's path in the output folder.
std::string CollectionPagePath(const std::string& output_dir);
