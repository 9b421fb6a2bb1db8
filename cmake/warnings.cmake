# Warnings every target of ours compiles with; all of them are errors.
add_library(korvanta_warnings INTERFACE)
target_compile_options(korvanta_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual
  -Wcast-align -Wimplicit-fallthrough -Wmissing-declarations -Werror)
