# Sets CRATEMARK_ZINT_TARGET to a library target of libzint, or leaves it
# empty. Natively Debian's libzint-dev; in the Windows build zint's own
# sources, from Debian's source package as tools/fetch-zint-source.sh fetches
# and caches it (CRATEMARK_ZINT_SOURCE_DIR, by default the cache folder).
set(CRATEMARK_ZINT_TARGET "")
if(NOT CMAKE_CROSSCOMPILING)
  find_path(ZINT_INCLUDE_DIR zint.h)
  find_library(ZINT_LIBRARY zint)
  if(ZINT_INCLUDE_DIR AND ZINT_LIBRARY)
    add_library(cratemark_zint INTERFACE)
    target_include_directories(cratemark_zint SYSTEM INTERFACE ${ZINT_INCLUDE_DIR})
    target_link_libraries(cratemark_zint INTERFACE ${ZINT_LIBRARY})
    set(CRATEMARK_ZINT_TARGET cratemark_zint)
  endif()
else()
  set(CRATEMARK_ZINT_SOURCE_DIR "$ENV{HOME}/.cache/cratemark/zint" CACHE PATH
      "zint's unpacked source (tools/fetch-zint-source.sh)")
  set(zint_backend ${CRATEMARK_ZINT_SOURCE_DIR}/backend)
  if(NOT EXISTS ${zint_backend}/zint.h)
    get_filename_component(zint_cache ${CRATEMARK_ZINT_SOURCE_DIR} DIRECTORY)
    execute_process(COMMAND ${PROJECT_SOURCE_DIR}/tools/fetch-zint-source.sh ${zint_cache}
                    RESULT_VARIABLE zint_fetch)
    if(NOT zint_fetch EQUAL 0)
      message(WARNING "zint's source could not be fetched: this build draws no barcodes")
    endif()
  endif()
  if(EXISTS ${zint_backend}/zint.h)
    # Without libpng: we draw the modules and write PNG ourselves.
    file(GLOB zint_sources ${zint_backend}/*.c)
    list(FILTER zint_sources EXCLUDE REGEX "/dllversion\\.c$")
    add_library(cratemark_zint STATIC ${zint_sources})
    target_include_directories(cratemark_zint SYSTEM PUBLIC ${zint_backend})
    target_compile_definitions(cratemark_zint PRIVATE ZINT_VERSION="2.11.1" NO_PNG)
    target_compile_options(cratemark_zint PRIVATE -w)
    set(CRATEMARK_ZINT_TARGET cratemark_zint)
    set(CRATEMARK_ZINT_LICENSE ${CRATEMARK_ZINT_SOURCE_DIR}/LICENSE)
  endif()
endif()
# The installer ships the licence of what it holds.
if(NOT CRATEMARK_ZINT_LICENSE)
  set(CRATEMARK_ZINT_LICENSE ${CMAKE_BINARY_DIR}/zint-not-included.txt)
  file(WRITE ${CRATEMARK_ZINT_LICENSE} "This build holds no barcode library.\n")
endif()
