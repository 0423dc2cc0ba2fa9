# Warning flags for every target of the project (not for third-party headers).
add_compile_options(-Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual
                    -Wcast-qual -Wformat=2 -Wimplicit-fallthrough)
if(TRV81K_WERROR)
  add_compile_options(-Werror)
endif()
if(TRV81K_HARDENING)
  include(CheckCXXCompilerFlag)
  include(CheckLinkerFlag)
  include(CheckPIESupported)
  add_compile_definitions(_GLIBCXX_ASSERTIONS QT_FORCE_ASSERTS)
  # Fortify needs optimisation; debug builds skip it.
  add_compile_options($<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=3> -fstack-protector-strong)
  # Stack probes against a stack that grows into another mapping, and control-flow protection
  # (CET on x86; other targets refuse the flag, so it is only taken where the compiler takes it).
  foreach(flag -fstack-clash-protection -fcf-protection)
    string(MAKE_C_IDENTIFIER "TRV81K_CXX_HAS${flag}" supported)
    check_cxx_compiler_flag(${flag} ${supported})
    if(${supported})
      add_compile_options(${flag})
    endif()
  endforeach()
  # Full RELRO: the relocations are all made at load time, then the tables are read-only.
  check_linker_flag(CXX "LINKER:-z,relro,-z,now" TRV81K_LINKER_HAS_RELRO_NOW)
  if(TRV81K_LINKER_HAS_RELRO_NOW)
    add_link_options("LINKER:-z,relro,-z,now")
  endif()
  # Executables linked as PIE: CMake passes -pie for POSITION_INDEPENDENT_CODE (on for every
  # target) only under policy CMP0083 (NEW from cmake_minimum_required 3.14 on) and once
  # check_pie_supported() has run.
  cmake_policy(GET CMP0083 pie_policy)
  if(NOT pie_policy STREQUAL "NEW")
    message(FATAL_ERROR "TRV81K_HARDENING needs policy CMP0083 NEW for PIE executables")
  endif()
  check_pie_supported(OUTPUT_VARIABLE pie_output LANGUAGES CXX)
  if(NOT CMAKE_CXX_LINK_PIE_SUPPORTED)
    message(WARNING "TRV81K_HARDENING: the linker cannot make PIE executables: ${pie_output}")
  endif()
endif()
if(TRV81K_SANITIZE)
  add_compile_options(-fsanitize=${TRV81K_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${TRV81K_SANITIZE})
endif()
if(TRV81K_FUZZ)
  # Coverage for libFuzzer in every library; the harnesses add the fuzzer's own main.
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
if(TRV81K_SANITIZE MATCHES "thread" AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  # GCC warns that it cannot see through standalone fences (asio uses them); the accesses
  # themselves are still checked.
  add_compile_options(-Wno-tsan)
endif()
