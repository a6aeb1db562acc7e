# The Debian libraries the engine calls (scripts/install-deps.sh installs them).
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)

if(WIN32)
  include(cmake/WindowsDependencies.cmake)
  return()
endif()

pkg_check_modules(SNDFILE REQUIRED IMPORTED_TARGET sndfile)
pkg_check_modules(VORBIS REQUIRED IMPORTED_TARGET vorbis vorbisenc vorbisfile ogg)
pkg_check_modules(MAD REQUIRED IMPORTED_TARGET mad)
pkg_check_modules(SAMPLERATE REQUIRED IMPORTED_TARGET samplerate)
pkg_check_modules(SOUNDTOUCH REQUIRED IMPORTED_TARGET soundtouch)
pkg_check_modules(FFMPEG REQUIRED IMPORTED_TARGET libavformat libavcodec libswresample libavutil)
pkg_check_modules(CDIO REQUIRED IMPORTED_TARGET libcdio)
pkg_check_modules(FREETYPE REQUIRED IMPORTED_TARGET freetype2 fontconfig)
pkg_check_modules(PNG REQUIRED IMPORTED_TARGET libpng)
pkg_check_modules(PULSE REQUIRED IMPORTED_TARGET libpulse)
pkg_check_modules(LAME_MP3 REQUIRED IMPORTED_TARGET lame)

add_library(wavedeck_deps INTERFACE)
target_link_libraries(wavedeck_deps INTERFACE
  PkgConfig::SNDFILE PkgConfig::VORBIS PkgConfig::MAD PkgConfig::SAMPLERATE PkgConfig::SOUNDTOUCH
  PkgConfig::FFMPEG PkgConfig::CDIO PkgConfig::FREETYPE PkgConfig::PNG PkgConfig::PULSE
  Threads::Threads ${CMAKE_DL_LIBS})

# The desktop editor's toolkit: optional, the editor is built when it is found.
pkg_check_modules(GTK3 IMPORTED_TARGET gtk+-3.0)
