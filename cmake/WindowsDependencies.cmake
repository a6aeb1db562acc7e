# The Windows DLL's libraries: static, cross-built by scripts/win-deps.sh into the staging
# folder WAVEDECK_WIN_STAGE; zlib comes with Debian's mingw-w64 packages. Their static
# link lines (Libs.private included) go into the one executable module that uses them.
if(NOT WAVEDECK_WIN_STAGE OR NOT EXISTS ${WAVEDECK_WIN_STAGE}/lib/pkgconfig)
  message(FATAL_ERROR "WAVEDECK_WIN_STAGE must name the staging folder that scripts/win-deps.sh prints")
endif()
set(ENV{PKG_CONFIG_LIBDIR} "${WAVEDECK_WIN_STAGE}/lib/pkgconfig:/usr/${WAVEDECK_MINGW}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")

function(wavedeck_static_package name)
  pkg_check_modules(${name} REQUIRED ${ARGN})
  add_library(wavedeck_pkg_${name} INTERFACE)
  target_include_directories(wavedeck_pkg_${name} SYSTEM INTERFACE ${${name}_STATIC_INCLUDE_DIRS})
  target_compile_options(wavedeck_pkg_${name} INTERFACE ${${name}_STATIC_CFLAGS_OTHER})
  target_link_libraries(wavedeck_pkg_${name} INTERFACE ${${name}_STATIC_LDFLAGS})
  add_library(PkgConfig::${name} ALIAS wavedeck_pkg_${name})
endfunction()

wavedeck_static_package(SNDFILE sndfile)
wavedeck_static_package(VORBIS vorbisenc vorbisfile vorbis ogg)
wavedeck_static_package(MAD mad)
wavedeck_static_package(SAMPLERATE samplerate)
wavedeck_static_package(SOUNDTOUCH soundtouch)
wavedeck_static_package(FFMPEG libavformat libavcodec libswresample libavutil)
wavedeck_static_package(CDIO libcdio)
wavedeck_static_package(LAME_MP3 lame)

# The system's own user32, gdi32, advapi32 (registry), winmm, and the shell's folders.
add_library(wavedeck_deps INTERFACE)
target_link_libraries(wavedeck_deps INTERFACE
  PkgConfig::SNDFILE PkgConfig::VORBIS PkgConfig::MAD PkgConfig::SAMPLERATE PkgConfig::SOUNDTOUCH
  PkgConfig::FFMPEG PkgConfig::CDIO Threads::Threads user32 gdi32 advapi32 winmm shell32)
