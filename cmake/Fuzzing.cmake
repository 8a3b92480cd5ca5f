# SPDX-License-Identifier: GPL-3.0-or-later
# libFuzzer targets (clang, -DPENWRIGHT_FUZZ=ON; the "fuzz" preset). A target compiles its
# entry point together with the sources of the libraries it reads through, all with
# coverage, AddressSanitizer and UndefinedBehaviorSanitizer. A short fixed run over the
# seeds in the source tree joins ctest; scripts/fuzz runs one target for as long as asked.
#
#   pw_add_fuzzer(NAME name SOURCES entry.cpp... REBUILD library... LINK library...
#                 SEEDS folder MAX_LEN bytes)
function(pw_add_fuzzer)
  cmake_parse_arguments(F "" "NAME;SEEDS;MAX_LEN" "SOURCES;REBUILD;LINK" ${ARGN})
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(WARNING "PENWRIGHT_FUZZ needs clang; ${F_NAME} is not built")
    return()
  endif()
  set(sources ${F_SOURCES})
  foreach(lib ${F_REBUILD})
    get_target_property(lib_sources ${lib} SOURCES)
    get_target_property(lib_dir ${lib} SOURCE_DIR)
    list(TRANSFORM lib_sources PREPEND ${lib_dir}/)
    list(APPEND sources ${lib_sources})
  endforeach()
  add_executable(${F_NAME} ${sources})
  target_include_directories(${F_NAME} PRIVATE ${PROJECT_SOURCE_DIR}/src)
  target_compile_options(${F_NAME} PRIVATE -fsanitize=fuzzer,address,undefined -g -O1)
  target_link_options(${F_NAME} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_libraries(${F_NAME} PRIVATE ${F_LINK})
  # New inputs go to the first folder (in the build tree); the seeds are only read.
  file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/${F_NAME}-corpus)
  set_target_properties(${F_NAME} PROPERTIES PENWRIGHT_SEEDS ${F_SEEDS}
                        PENWRIGHT_MAX_LEN ${F_MAX_LEN})
  add_test(NAME ${F_NAME}_short
    COMMAND ${F_NAME} -runs=50000 -seed=1 -max_len=${F_MAX_LEN} -rss_limit_mb=2048
            ${CMAKE_CURRENT_BINARY_DIR}/${F_NAME}-corpus ${F_SEEDS})
  # scripts/fuzz finds each target's seeds and input size here.
  file(APPEND ${PROJECT_BINARY_DIR}/fuzzers.txt "${F_NAME} ${F_SEEDS} ${F_MAX_LEN}\n")
endfunction()
