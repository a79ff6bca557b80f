# Installs the build into a scratch prefix and checks the tree a packager
# relies on: the program, its manual page and the workflow, by GNU layout.
include(GNUInstallDirs)
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${status}")
endif()
foreach(path ${CMAKE_INSTALL_BINDIR}/bexora ${CMAKE_INSTALL_MANDIR}/man1/bexora.1
             ${CMAKE_INSTALL_DATADIR}/bexora/workflow/Snakefile)
  if(NOT EXISTS "${PREFIX}/${path}")
    message(FATAL_ERROR "${path} was not installed")
  endif()
endforeach()
execute_process(COMMAND "${PREFIX}/${CMAKE_INSTALL_BINDIR}/bexora" --version OUTPUT_VARIABLE version
                RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT version MATCHES "^bexora [0-9.]+ \\(alignment SIMD level: [a-z0-9.]+\\)\n$")
  message(FATAL_ERROR "the installed program's --version said: ${version}")
endif()
file(REMOVE_RECURSE "${PREFIX}")
