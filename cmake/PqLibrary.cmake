# Helpers every build of the project shares (the main build and the fuzz build).

# The project's own headers are included by their path from the top of the source tree
# ("report/engine/rm_view.h"), whichever build includes this file.
get_filename_component(PQ_SOURCE_ROOT "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)

# pq_add_library(<name> <sources>...): a static library of the project. It declares the
# include root itself, so a target sees the project's headers only through what it links.
function(pq_add_library name)
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC ${PQ_SOURCE_ROOT})
endfunction()
