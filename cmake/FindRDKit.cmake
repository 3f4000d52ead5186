# Finds RDKit as Debian's librdkit-dev installs it: headers under
# <prefix>/include/rdkit, one shared library per module (libRDKit<Module>.so),
# and no CMake package of its own.
#
#   find_package(RDKit REQUIRED COMPONENTS RDGeneral GraphMol SmilesParse)
#
# gives one imported target per component, RDKit::<Component>, carrying the
# include directory. RDKit_VERSION is not set: Debian's versions.h is an
# unfilled template, so the version is read at run time (RDKit::rdkitVersion).

find_path(RDKit_INCLUDE_DIR
  NAMES GraphMol/ROMol.h
  PATH_SUFFIXES rdkit
  DOC "Directory holding RDKit's headers (GraphMol/ROMol.h)")

set(RDKit_LIBRARIES)
set(_rdkit_missing)
foreach(_component IN LISTS RDKit_FIND_COMPONENTS)
  find_library(RDKit_${_component}_LIBRARY NAMES RDKit${_component}
    DOC "RDKit's ${_component} library")
  if(RDKit_${_component}_LIBRARY)
    set(RDKit_${_component}_FOUND TRUE)
    list(APPEND RDKit_LIBRARIES ${RDKit_${_component}_LIBRARY})
    if(RDKit_INCLUDE_DIR AND NOT TARGET RDKit::${_component})
      add_library(RDKit::${_component} SHARED IMPORTED)
      set_target_properties(RDKit::${_component} PROPERTIES
        IMPORTED_LOCATION "${RDKit_${_component}_LIBRARY}"
        INTERFACE_INCLUDE_DIRECTORIES "${RDKit_INCLUDE_DIR}")
    endif()
  else()
    set(RDKit_${_component}_FOUND FALSE)
    list(APPEND _rdkit_missing ${_component})
  endif()
  mark_as_advanced(RDKit_${_component}_LIBRARY)
endforeach()
mark_as_advanced(RDKit_INCLUDE_DIR)

include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(RDKit
  REQUIRED_VARS RDKit_INCLUDE_DIR
  HANDLE_COMPONENTS
  REASON_FAILURE_MESSAGE "install Debian's librdkit-dev (scripts/install-deps.sh does)")
