# One warnings target that every project target links.
add_library(wavedeck_warnings INTERFACE)
target_compile_options(wavedeck_warnings INTERFACE
  -Wall -Wextra -Wshadow -Wnon-virtual-dtor -Wcast-align -Woverloaded-virtual -Wformat=2
  -Wimplicit-fallthrough -Wmissing-declarations $<$<COMPILE_LANGUAGE:CXX>:-Wold-style-cast>)
option(WAVEDECK_WERROR "Treat warnings as errors" OFF)
if(WAVEDECK_WERROR)
  target_compile_options(wavedeck_warnings INTERFACE -Werror)
endif()
