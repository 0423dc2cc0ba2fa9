# Precompiled headers: the Qt headers and the standard library parsed once for a group of units
# instead of once in every unit. Measured on the units of the Qt Test programs: a third less
# compile time (tst_layout.cpp 10.2 s to 6.9 s of CPU). Not for the GoogleTest programs or the
# command-line tool: their time goes into instantiating and optimising, not into parsing
# (test_exchange.cpp 15.4 s to 15.1 s, apply.cpp 16.0 s to 15.7 s), and the 120 MB header every
# unit would load cost as much system time as it saved.
#
#   trv81k_precompile(TARGET HEADERS <h>...)    the target's units share one parse of these
#   trv81k_precompile(TARGET REUSE_FROM DONOR)  the target takes DONOR's parse
#
# GCC takes a precompiled header only where the unit is compiled as the header was: the same
# flags (position independence included) and, for every macro the donor had defined, the same
# definition. A donor is therefore linked to what its takers link. A header that does not match
# is skipped silently and the unit parses everything itself; configure with
# -DCMAKE_CXX_FLAGS=-Winvalid-pch to see where.
include_guard(GLOBAL)

# The standard headers most units read.
set(TRV81K_PCH_STD <algorithm> <array> <chrono> <cstdint> <functional> <map> <memory>
    <optional> <set> <span> <string> <string_view> <utility> <variant> <vector>)

function(trv81k_precompile target)
  if(NOT TRV81K_PRECOMPILED_HEADERS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "REUSE_FROM" "HEADERS" ${ARGN})
  if(ARG_REUSE_FROM)
    target_precompile_headers(${target} REUSE_FROM ${ARG_REUSE_FROM})
  else()
    target_precompile_headers(${target} PRIVATE ${ARG_HEADERS})
  endif()
endfunction()

# trv81k_pch_donor(NAME LIBS lib... HEADERS h...): an object library that only carries the
# precompiled header for the programs that link LIBS (and so are compiled with its flags and
# macros).
function(trv81k_pch_donor name)
  if(NOT TRV81K_PRECOMPILED_HEADERS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "LIBS;HEADERS" ${ARGN})
  set(source ${CMAKE_CURRENT_BINARY_DIR}/${name}.cpp)
  file(CONFIGURE OUTPUT ${source} CONTENT "// The precompiled header's donor unit.\n")
  add_library(${name} OBJECT ${source})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  set_target_properties(${name} PROPERTIES AUTOMOC OFF)
  target_precompile_headers(${name} PRIVATE ${ARG_HEADERS})
endfunction()
