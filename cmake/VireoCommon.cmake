# vireo_common carries what every target of the project shares: the language level,
# the warnings and the strict Qt macros that keep text conversions explicit.
add_library(vireo_common INTERFACE)
target_compile_features(vireo_common INTERFACE cxx_std_20)
target_compile_options(vireo_common INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align -Woverloaded-virtual
  -Wno-missing-field-initializers)
# The project's own builds (scripts/build.sh, and so CI) treat a warning as an error; a packager's
# newer compiler may warn where this one does not, so it is not the default.
option(VIREO_WERROR "Treat compiler warnings as errors" OFF)
if(VIREO_WERROR)
  target_compile_options(vireo_common INTERFACE -Werror)
endif()
target_compile_definitions(vireo_common INTERFACE
  QT_NO_KEYWORDS
  QT_NO_CAST_FROM_ASCII
  QT_NO_CAST_TO_ASCII
  QT_NO_CAST_FROM_BYTEARRAY
  QT_NO_URL_CAST_FROM_STRING
  QT_USE_QSTRINGBUILDER
  QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
  VIREO_VERSION="${PROJECT_VERSION}")
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
set(CMAKE_EXPORT_COMPILE_COMMANDS ON)

# vireo_module(<name> SOURCES ... [DEPS ...]): one static library per module, target vireo_<name>,
# headers included as "<name>/Header.h" from src/.
function(vireo_module name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(vireo_${name} STATIC ${ARG_SOURCES})
  target_include_directories(vireo_${name} PUBLIC "${PROJECT_SOURCE_DIR}/src")
  target_link_libraries(vireo_${name} PUBLIC vireo_common ${ARG_DEPS})
endfunction()

# vireo_runtime_module(<target> FILE <name> FOR <library> SOURCES ... [DEPS ...]): a library the
# player loads at run time (base/RuntimeModule), built as <name>.so into the application folder
# (where test programs find it too) and installed beside the player. <library>, the module's
# loader, depends on it, so whatever links the loader has the module built.
function(vireo_runtime_module target)
  cmake_parse_arguments(ARG "" "FILE;FOR" "SOURCES;DEPS" ${ARGN})
  add_library(${target} MODULE ${ARG_SOURCES})
  target_include_directories(${target} PRIVATE "${PROJECT_SOURCE_DIR}/src")
  target_link_libraries(${target} PRIVATE vireo_common ${ARG_DEPS})
  set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME ${ARG_FILE}
    LIBRARY_OUTPUT_DIRECTORY "${VIREO_APP_DIR}" CXX_VISIBILITY_PRESET hidden)
  add_dependencies(${ARG_FOR} ${target})
  install(TARGETS ${target} LIBRARY DESTINATION "${VIREO_INSTALL_MODULEDIR}")
endfunction()

# vireo_test(<target> LABEL <module> SOURCES ... [DEPS ...] [GUI] [SCREEN] [TIMEOUT s]): a
# GoogleTest program whose cases are registered with CTest one by one, each labelled with its
# module. GUI programs get a QApplication on the offscreen platform unless QT_QPA_PLATFORM is set.
# SCREEN programs use the real X display and pointer (screenshots, xdotool): they never run at the
# same time as one another (the "screen" resource lock), or their windows would cover each other.
function(vireo_test target)
  cmake_parse_arguments(ARG "GUI;SCREEN" "LABEL;TIMEOUT" "SOURCES;DEPS" ${ARGN})
  add_executable(${target} ${ARG_SOURCES})
  if(ARG_GUI)
    target_link_libraries(${target} PRIVATE vireo_testmain_gui)
  else()
    target_link_libraries(${target} PRIVATE vireo_testmain_core)
  endif()
  target_link_libraries(${target} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock)
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  set(lock)
  if(ARG_SCREEN)
    set(lock RESOURCE_LOCK screen)
  endif()
  gtest_discover_tests(${target}
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS ${ARG_LABEL} TIMEOUT ${ARG_TIMEOUT} ${lock})
endfunction()
