# Code that differs per system sits in <name>_posix.cpp and <name>_win32.cpp (tests in
# <name>_posix_test.cpp and <name>_win32_test.cpp): keeps, in the list named by `var`, the
# files of the system being built for.
function(wavedeck_sources_for_this_system var)
  set(files ${${var}})
  if(WIN32)
    list(FILTER files EXCLUDE REGEX "_posix(_test)?\\.cpp$")
  else()
    list(FILTER files EXCLUDE REGEX "_win32(_test)?\\.cpp$")
  endif()
  set(${var} ${files} PARENT_SCOPE)
endfunction()
