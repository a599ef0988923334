#include "platform/version_record.h"

namespace platform {
uint32_t GetFileVersionInfoSize(const std::string&) { return 0; }
bool GetFileVersionInfo(const std::string&, std::vector<uint8_t>&) { return false; }
bool VerQueryValue(const std::vector<uint8_t>&, const std::string&, const uint8_t*&, uint32_t&,
                   std::string*) {
  return false;
}
uint16_t GetUserDefaultLangID() { return 0x0409; }
}  // namespace platform
