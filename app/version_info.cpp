#include "app/version_info.h"

#include <cstring>

CVersionInfo::CVersionInfo() { Reset(); }
void CVersionInfo::Reset() { std::memset(&FixedInfo, 0, sizeof FixedInfo); }
bool CVersionInfo::ReadFromModule(const void*) { return false; }
bool CVersionInfo::ReadFromFile(const std::string&) { return false; }
bool CVersionInfo::FindTranslation(const uint8_t*, uint32_t, uint16_t, uint32_t&, bool) {
  return false;
}
