# Compiler warnings, the sanitizer build and helpers shared by every target.
option(MOVANTA_WERROR "Treat compiler warnings as errors" OFF)
option(MOVANTA_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(MOVANTA_FUZZ "Also build the libFuzzer targets (needs clang)" OFF)

add_compile_options(-Wall -Wextra)
if(MOVANTA_FUZZ)
  # Coverage for libFuzzer in every library the fuzz targets reach.
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
if(MOVANTA_WERROR)
  add_compile_options(-Werror)
endif()
if(MOVANTA_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
  # clang leaves the sanitizer runtime out of shared libraries, which must
  # resolve every symbol: they take the runtime's shared form.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    add_link_options(-shared-libsan)
  endif()
endif()
# Trace lines exist only in debug builds; the shipped build compiles them away.
add_compile_definitions($<$<CONFIG:Debug>:MOVANTA_TRACE>)
add_compile_definitions(MOVANTA_VERSION="${PROJECT_VERSION}")

# movanta_test(NAME SOURCES... [LIBS libs...]) builds one GoogleTest program and
# registers its tests with ctest.
include(GoogleTest)
function(movanta_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120)
endfunction()

# Libraries and plug-ins must resolve every symbol themselves: a plug-in is
# loaded privately, so nothing it defines is visible to the libraries it uses.
add_link_options("$<$<OR:$<STREQUAL:$<TARGET_PROPERTY:TYPE>,SHARED_LIBRARY>,$<STREQUAL:$<TARGET_PROPERTY:TYPE>,MODULE_LIBRARY>>:LINKER:--no-undefined>")

# Every filter plug-in, for tests that need a whole installation's worth.
add_custom_target(movanta_plugins)

# movanta_filter_plugin(NAME SOURCES... [LIBS libs...]) builds a filter
# plug-in NAME.so into lib/plugins (installed into lib/movanta/plugins and
# registered at install), with the entry points over its g_Templates table.
function(movanta_filter_plugin name)
  cmake_parse_arguments(P "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} MODULE ${P_SOURCES})
  target_link_libraries(${name} PRIVATE ${P_LIBS} movanta_dshow_server movanta_com_server)
  set_target_properties(${name} PROPERTIES PREFIX ""
    LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib/plugins
    INSTALL_RPATH "$ORIGIN/.." BUILD_RPATH "$ORIGIN/..")
  install(TARGETS ${name} LIBRARY DESTINATION ${MOVANTA_LIBDIR}/plugins)
  set_property(TARGET movanta_plugins APPEND PROPERTY PLUGIN_FILES "$<TARGET_FILE:${name}>")
  add_dependencies(movanta_plugins ${name})
endfunction()

# movanta_needs_all_plugins(TARGET) gives a test program the macro PLUGINS,
# the paths of every filter plug-in as a list of string literals, and builds
# them (and libamr beside them) before it.
function(movanta_needs_all_plugins target)
  set(header ${CMAKE_CURRENT_BINARY_DIR}/${target}_plugins/all_plugins.h)
  file(GENERATE OUTPUT ${header} CONTENT
    "#define PLUGINS \"$<JOIN:$<GENEX_EVAL:$<TARGET_PROPERTY:movanta_plugins,PLUGIN_FILES>>,\", \">\"\n")
  target_include_directories(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}_plugins)
  add_dependencies(${target} movanta_plugins amr)
endfunction()

# movanta_install_link(LINK PROGRAM) installs bin/LINK as a link to PROGRAM
# in the application folder, recorded with the installed files so that the
# uninstall removes it (under DESTDIR when a package is staged).
function(movanta_install_link link program)
  install(CODE "
    set(link \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin/${link}\")
    file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin\")
    file(CREATE_LINK \"../${MOVANTA_LIBDIR}/${program}\" \"\${link}\" SYMBOLIC)
    list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${link}\")
  ")
endfunction()
