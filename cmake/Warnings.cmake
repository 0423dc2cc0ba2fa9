# Warning flags for every target of the project (not for third-party headers).
add_compile_options(-Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual
                    -Wcast-qual -Wformat=2 -Wimplicit-fallthrough)
if(TRV81K_WERROR)
  add_compile_options(-Werror)
endif()
if(TRV81K_HARDENING)
  add_compile_definitions(_GLIBCXX_ASSERTIONS QT_FORCE_ASSERTS)
  # Fortify needs optimisation; debug builds skip it.
  add_compile_options($<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=3> -fstack-protector-strong)
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
