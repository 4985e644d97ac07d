# The JUCE modules the plug-in uses, compiled once into one static,
# position-independent library that the engine, the host adapter and the
# editor link. Debian's modules leave out libpng, libjpeg and zlib: those come
# from the system through pkg-config.

find_package(JUCE 7.0.5 CONFIG REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(BRONDIL_JUCE_SYSTEM_LIBS REQUIRED IMPORTED_TARGET libpng libjpeg zlib freetype2)

add_library(brondil_juce STATIC)
target_link_libraries(brondil_juce
  PRIVATE juce::juce_audio_processors
  PUBLIC PkgConfig::BRONDIL_JUCE_SYSTEM_LIBS ${CMAKE_DL_LIBS} pthread rt)

# Settings shared by the library and every source that includes a JUCE header.
target_compile_definitions(brondil_juce PUBLIC
  JUCE_MODAL_LOOPS_PERMITTED=1
  JUCE_DISPLAY_SPLASH_SCREEN=0
  JUCE_WEB_BROWSER=0
  JUCE_USE_CURL=0
  JUCE_STANDALONE_APPLICATION=0
  JUCE_PLUGINHOST_VST=0
  JUCE_PLUGINHOST_VST3=0
  JUCE_PLUGINHOST_AU=0
  JUCE_PLUGINHOST_LADSPA=0
  JUCE_PLUGINHOST_LV2=0
  JUCE_PLUGINHOST_ARA=0)

# Users see the modules' definitions as the library saw them, and the module
# headers alone (not the plug-in SDKs bundled beside them) as system headers, so
# that our warning flags judge our code only.
target_compile_definitions(brondil_juce INTERFACE
  $<TARGET_PROPERTY:brondil_juce,COMPILE_DEFINITIONS>)
target_include_directories(brondil_juce SYSTEM INTERFACE ${JUCE_MODULES_DIR})

# JUCE's own sources are not ours to keep warning-free.
target_compile_options(brondil_juce PRIVATE -w)
# Nor ours to check: under AddressSanitizer our code is instrumented, and the
# runtime still checks JUCE's heap, copies and leaks through malloc and memcpy.
# JUCE then builds in less than half the time. ThreadSanitizer needs JUCE's
# accesses and locks seen, so there it stays instrumented.
if(BRONDIL_SANITIZE OR BRONDIL_FUZZ)
  target_compile_options(brondil_juce PRIVATE -fno-sanitize=all)
endif()

# The JUCE headers take several times longer to parse than the sources that
# include them, and nearly every source of the plug-in and its tests does: each
# target given here parses them once, with any further headers named after it.
function(brondil_precompile_juce target)
  target_precompile_headers(${target} PRIVATE
    <juce_audio_processors/juce_audio_processors.h> <juce_gui_extra/juce_gui_extra.h> ${ARGN})
endfunction()

# The toolkit turns the text the system gives (directory entries, the working
# folder, environment variables, passwd entries, its module's file name) into
# strings without checking that it is UTF-8, and text that is not overruns the
# string's buffer. Every program that links it has those calls wrapped by ones
# that keep such text from it (engine/utf8_system_names.cpp).
add_library(brondil_utf8 STATIC
  ${PROJECT_SOURCE_DIR}/engine/utf8_validation.cpp
  ${PROJECT_SOURCE_DIR}/engine/utf8_system_names.cpp)
target_include_directories(brondil_utf8 PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(brondil_juce PUBLIC brondil_utf8)
target_link_options(brondil_juce INTERFACE
  LINKER:--wrap=readdir,--wrap=getcwd,--wrap=getenv,--wrap=getpwuid,--wrap=getpwnam,--wrap=dladdr)
