# WAVEDECK_SANITIZE=address,undefined or thread instruments every target.
if(WAVEDECK_SANITIZE)
  if(WAVEDECK_SANITIZE MATCHES "thread" AND WAVEDECK_SANITIZE MATCHES "address")
    message(FATAL_ERROR "ThreadSanitizer and AddressSanitizer cannot share a build")
  endif()
  add_compile_options(-fsanitize=${WAVEDECK_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${WAVEDECK_SANITIZE})
endif()
