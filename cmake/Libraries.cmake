# SPDX-License-Identifier: GPL-3.0-or-later
# Each library of src/ exposes its own folder and nothing else: pw_expose_headers(target)
# in src/<folder>/CMakeLists.txt makes "<folder>/Header.h" reachable to the target and to
# what links it, through a folder of the build tree that holds only a link to its own
# sources. A header of a library that is not linked (one against the direction of the
# dependencies) is then not found at all.
function(pw_expose_headers target)
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR}/src ${CMAKE_CURRENT_SOURCE_DIR})
  set(root ${PROJECT_BINARY_DIR}/include/${target})
  get_filename_component(parent ${root}/${folder} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${folder} SYMBOLIC)
  target_include_directories(${target} PUBLIC ${root})
endfunction()
