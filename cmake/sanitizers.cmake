# Address and undefined-behaviour sanitizers, switched on by KORVANTA_SANITIZE.
add_library(korvanta_sanitizers INTERFACE)
if(KORVANTA_SANITIZE)
  set(_korvanta_san -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_compile_options(korvanta_sanitizers INTERFACE ${_korvanta_san})
  target_link_options(korvanta_sanitizers INTERFACE ${_korvanta_san})
endif()
