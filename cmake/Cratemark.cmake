# Project-wide compile options and small helpers for the per-folder lists.

if(WIN32)
  set(CRATEMARK_PLATFORM windows)
else()
  set(CRATEMARK_PLATFORM posix)
endif()

option(CRATEMARK_SANITIZE "Build with AddressSanitizer and UBSan" OFF)
option(CRATEMARK_FUZZ "Build libFuzzer targets (needs clang)" OFF)

add_compile_options(-Wall -Wextra)
if(CRATEMARK_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "CRATEMARK_FUZZ needs clang (libFuzzer)")
  endif()
  # Every library the targets link gives the fuzzer its coverage, and runs
  # under AddressSanitizer and UBSan; undefined behaviour stops the run.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
if(CRATEMARK_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

if(WIN32)
  # Self-contained executables: no MinGW runtime DLLs to ship.
  add_link_options(-static -static-libgcc -static-libstdc++)
  add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
endif()

# cratemark_sources(<var> <dir>): the portable *.cpp of <dir> plus those of
# <dir>/posix or <dir>/windows, tests (*_test.cpp) left out.
function(cratemark_sources var dir)
  file(GLOB portable CONFIGURE_DEPENDS ${dir}/*.cpp)
  file(GLOB native CONFIGURE_DEPENDS ${dir}/${CRATEMARK_PLATFORM}/*.cpp)
  set(all ${portable} ${native})
  list(FILTER all EXCLUDE REGEX "_test\\.cpp$")
  list(FILTER all EXCLUDE REGEX "_fuzz\\.cpp$")
  set(${var} ${all} PARENT_SCOPE)
endfunction()

# cratemark_tests(<var> <dir>): the *_test.cpp of <dir> and its platform folder.
function(cratemark_tests var dir)
  file(GLOB portable CONFIGURE_DEPENDS ${dir}/*_test.cpp)
  file(GLOB native CONFIGURE_DEPENDS ${dir}/${CRATEMARK_PLATFORM}/*_test.cpp)
  set(${var} ${portable} ${native} PARENT_SCOPE)
endfunction()

# cratemark_add_test(<name> SOURCES ... LIBS ...): one GoogleTest binary, run
# by CTest (under Wine when cross-compiled, through the emulator).
function(cratemark_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main GTest::gmock)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES TIMEOUT 300
    ENVIRONMENT "CRATEMARK_SOURCE_DIR=${PROJECT_SOURCE_DIR};CRATEMARK_BIN_DIR=${CMAKE_BINARY_DIR}/bin")
endfunction()

# cratemark_program_version(<target> <version> <rc>): the file version a
# program carries for the about box: on Windows the version resource of
# <rc>; on POSIX a marker string embedded in the program.
function(cratemark_program_version target version rc)
  if(WIN32)
    target_sources(${target} PRIVATE ${rc})
  else()
    set(marker ${CMAKE_BINARY_DIR}/version_markers/${target}_version.cpp)
    file(CONFIGURE OUTPUT ${marker} CONTENT
      "#include \"platform/version_info.h\"\nCRATEMARK_VERSION_MARKER(\"${version}\");\n")
    target_sources(${target} PRIVATE ${marker})
  endif()
endfunction()
