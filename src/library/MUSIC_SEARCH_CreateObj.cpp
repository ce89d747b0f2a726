#include "library/MUSIC_SEARCH_CreateObj.h"

#include "base/TextUtil.h"
#include "library/TArchiveMusicProvider.h"
#include "library/TMusicSearch.h"
#include "library/TServiceMusicProvider.h"

namespace vireo {

std::shared_ptr<IMusicSearch> MUSIC_SEARCH_CreateObj(const MusicSearchSettings& settings) {
  std::unique_ptr<IMusicProvider> provider;
  if (!IsBlank(settings.serviceHost)) {
    provider = std::make_unique<TServiceMusicProvider>(settings.serviceHost, settings.limits);
  } else {
    const QByteArray base = TArchiveMusicProvider::NormalizeBaseUrl(settings.archiveBaseUrl);
    if (base.isEmpty()) return nullptr;
    provider = std::make_unique<TArchiveMusicProvider>(base, settings.limits);
  }
  return std::make_shared<TMusicSearch>(std::move(provider));
}

}  // namespace vireo
