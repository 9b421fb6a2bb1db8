# Warnings every target of ours compiles with. They are errors only where KORVANTA_WERROR asks for
# it (our test script and CI): a user's or packager's build must never fail on a warning a newer
# compiler adds.

# The test script sets KORVANTA_WERROR=ON in the environment; set there, it wins over the cache.
if(DEFINED ENV{KORVANTA_WERROR})
  set(KORVANTA_WERROR "$ENV{KORVANTA_WERROR}" CACHE BOOL "Treat compiler warnings as errors" FORCE)
endif()
option(KORVANTA_WERROR "Treat compiler warnings as errors" OFF)

add_library(korvanta_warnings INTERFACE)
target_compile_options(korvanta_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual
  -Wcast-align -Wimplicit-fallthrough -Wmissing-declarations -Wconversion)
if(KORVANTA_WERROR)
  target_compile_options(korvanta_warnings INTERFACE -Werror)
endif()
