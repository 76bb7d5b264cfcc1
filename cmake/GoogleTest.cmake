# Natively GoogleTest comes from Debian's libgtest-dev; the cross build
# compiles Debian's copy of its source.
if(CMAKE_CROSSCOMPILING)
  set(gtest_source /usr/src/googletest)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${gtest_source} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  # Newer GoogleTest sources define these aliases themselves.
  foreach(lib gtest gtest_main gmock)
    if(NOT TARGET GTest::${lib})
      add_library(GTest::${lib} ALIAS ${lib})
    endif()
  endforeach()
else()
  find_package(GTest REQUIRED)
endif()
