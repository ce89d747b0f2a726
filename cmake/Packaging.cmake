# The Debian package: `cpack -G DEB` in the build folder, from an install to /usr. Its
# dependencies come from dpkg-shlibdeps (the libraries the files really link), not from a list
# kept by hand; the Debian files lintian looks for (copyright, changelog) are installed with it.
set(CPACK_PACKAGE_NAME vireo)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "The Vireo developers")
set(CPACK_PACKAGE_CONTACT "The Vireo developers <developers@vireo.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "skinnable music player with synchronised lyrics")
set(CPACK_PACKAGE_DESCRIPTION
  "Vireo plays local files and network streams from one playlist and shows\ntime-synced LRC lyrics in a lyric window or floating on the desktop. It\nfinds lyrics beside the track, in a lyric folder or online, plays one\ntrack into the next without a gap, and has a 10-band equalizer, volume\nlevelling, a spectrum and skinned windows that snap and dock.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://vireo.org/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The sound server and the fonts the skins are drawn with are not linked, but needed.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-wqy-microhei, qt6-qpa-plugins")
# Qt's own translations put its file choosers and buttons in the user's language too.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pulseaudio | pipewire-pulse, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# Only the player's own components: not the test programs' or the benchmarks'.
set(CPACK_SET_DESTDIR OFF)
set(CPACK_SOURCE_IGNORE_FILES "/build" "/\\\\.git")

set(debian_doc "${PROJECT_BINARY_DIR}/debian-doc")
file(MAKE_DIRECTORY "${debian_doc}")
add_custom_command(OUTPUT "${debian_doc}/changelog.gz"
  COMMAND gzip -9n -c "${PROJECT_SOURCE_DIR}/data/debian/changelog" > "${debian_doc}/changelog.gz"
  DEPENDS "${PROJECT_SOURCE_DIR}/data/debian/changelog")
add_custom_target(vireo_debian_doc ALL DEPENDS "${debian_doc}/changelog.gz")
install(FILES "${PROJECT_SOURCE_DIR}/data/debian/copyright" "${debian_doc}/changelog.gz"
  DESTINATION "${CMAKE_INSTALL_DOCDIR}")
include(CPack)
