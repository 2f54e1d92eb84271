# FindMaxSDK: the Autodesk 3ds Max SDK, for building the plug-in against the real host.
#
# Where to look, first hit wins:
#   MAXSDK_DIR                   CMake or environment variable: the SDK's "maxsdk" folder
#   ADSK_3DSMAX_SDK_<year>       environment variable the SDK installer sets, newest year first
#
# Sets MaxSDK_FOUND, MaxSDK_DIR, MaxSDK_INCLUDE_DIR, MaxSDK_LIBRARY_DIR, MaxSDK_VERSION (the
# SDK's MAX_RELEASE, e.g. 28000 for 2026) and MaxSDK_MISSING (what is missing, for a message).
# Finding the SDK runs no compiler, so the top-level CMakeLists asks before project() and stops
# at once when there is none. Once a project is declared, it also defines the imported target
#   MaxSDK::MaxSDK   the include folder and the libraries the plug-in links
# The SDK ships x64 release libraries only.

set(_maxsdk_libraries core geom mesh maxutil paramblk2 bmm mnmath gfx
  # polyObjectClassID is exported by the poly library, not by core.
  poly)

unset(_maxsdk_dir)
unset(_maxsdk_source)
if(MAXSDK_DIR)
  set(_maxsdk_dir "${MAXSDK_DIR}")
  set(_maxsdk_source "MAXSDK_DIR")
elseif(DEFINED ENV{MAXSDK_DIR})
  set(_maxsdk_dir "$ENV{MAXSDK_DIR}")
  set(_maxsdk_source "the MAXSDK_DIR environment variable")
else()
  # The installer's variable for each SDK on the machine; the newest wins.
  execute_process(COMMAND "${CMAKE_COMMAND}" -E environment OUTPUT_VARIABLE _maxsdk_environment)
  string(REGEX MATCHALL "ADSK_3DSMAX_SDK_[0-9][0-9][0-9][0-9]=" _maxsdk_names
    "${_maxsdk_environment}")
  list(SORT _maxsdk_names)
  list(REVERSE _maxsdk_names)
  foreach(_maxsdk_name IN LISTS _maxsdk_names)
    string(REPLACE "=" "" _maxsdk_name "${_maxsdk_name}")
    if(NOT "$ENV{${_maxsdk_name}}" STREQUAL "")
      set(_maxsdk_dir "$ENV{${_maxsdk_name}}")
      set(_maxsdk_source "the ${_maxsdk_name} environment variable")
      break()
    endif()
  endforeach()
endif()

set(MaxSDK_FOUND FALSE)
set(MaxSDK_MISSING "")
if(NOT DEFINED _maxsdk_dir)
  set(MaxSDK_MISSING
    "neither MAXSDK_DIR nor any ADSK_3DSMAX_SDK_<year> environment variable is set")
else()
  file(TO_CMAKE_PATH "${_maxsdk_dir}" _maxsdk_dir)
  # The installer's variable names the SDK's root; the headers and libraries are in maxsdk/.
  if(NOT EXISTS "${_maxsdk_dir}/include/max.h" AND EXISTS "${_maxsdk_dir}/maxsdk/include/max.h")
    set(_maxsdk_dir "${_maxsdk_dir}/maxsdk")
  endif()
  set(_maxsdk_missing_files "")
  foreach(_maxsdk_file include/max.h include/maxversion.h)
    if(NOT EXISTS "${_maxsdk_dir}/${_maxsdk_file}")
      list(APPEND _maxsdk_missing_files "${_maxsdk_file}")
    endif()
  endforeach()
  foreach(_maxsdk_lib IN LISTS _maxsdk_libraries)
    if(NOT EXISTS "${_maxsdk_dir}/lib/x64/Release/${_maxsdk_lib}.lib")
      list(APPEND _maxsdk_missing_files "lib/x64/Release/${_maxsdk_lib}.lib")
    endif()
  endforeach()
  if(_maxsdk_missing_files)
    list(JOIN _maxsdk_missing_files ", " _maxsdk_missing_files)
    set(MaxSDK_MISSING
      "${_maxsdk_source} names ${_maxsdk_dir}, which is not a 3ds Max SDK (missing ${_maxsdk_missing_files})")
  else()
    set(MaxSDK_FOUND TRUE)
    set(MaxSDK_DIR "${_maxsdk_dir}")
    set(MaxSDK_INCLUDE_DIR "${_maxsdk_dir}/include")
    set(MaxSDK_LIBRARY_DIR "${_maxsdk_dir}/lib/x64/Release")
    file(STRINGS "${MaxSDK_INCLUDE_DIR}/maxversion.h" _maxsdk_release
      REGEX "^[ \t]*#[ \t]*define[ \t]+MAX_RELEASE[ \t]+[0-9]+")
    string(REGEX MATCH "[0-9]+$" MaxSDK_VERSION "${_maxsdk_release}")
  endif()
endif()

if(MaxSDK_FOUND AND DEFINED PROJECT_NAME AND NOT TARGET MaxSDK::MaxSDK)
  add_library(MaxSDK::MaxSDK INTERFACE IMPORTED)
  set(_maxsdk_link "")
  foreach(_maxsdk_lib IN LISTS _maxsdk_libraries)
    list(APPEND _maxsdk_link "${MaxSDK_LIBRARY_DIR}/${_maxsdk_lib}.lib")
  endforeach()
  set_target_properties(MaxSDK::MaxSDK PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES "${MaxSDK_INCLUDE_DIR}"
    INTERFACE_LINK_LIBRARIES "${_maxsdk_link};comctl32")
endif()

if(NOT MaxSDK_FIND_QUIETLY AND NOT MaxSDK_FOUND AND MaxSDK_FIND_REQUIRED)
  message(FATAL_ERROR "${MaxSDK_MISSING}")
endif()
