#include "lyrics/LRC_CreateObj.h"

#include "lyrics/TLrclibDown.h"

namespace vireo {

std::shared_ptr<ILrcDown> LRC_CreateObj(const LrclibSettings& settings) {
  if (TLrclibDown::NormalizeBaseUrl(settings.baseUrl).isEmpty()) return nullptr;
  return std::make_shared<TLrclibDown>(settings);
}

}  // namespace vireo
