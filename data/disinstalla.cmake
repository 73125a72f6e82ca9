# SPDX-License-Identifier: GPL-3.0-or-later
# Removes what `cmake --install` listed in its manifest (the path comes as the
# first argument after the script).
set(manifesto "${CMAKE_ARGV3}")
if(NOT EXISTS "${manifesto}")
  message(FATAL_ERROR "${manifesto} not found: nothing was installed from this build folder")
endif()
file(STRINGS "${manifesto}" installati)
foreach(f IN LISTS installati)
  if(EXISTS "${f}" OR IS_SYMLINK "${f}")
    message(STATUS "Removing ${f}")
    file(REMOVE "${f}")
    if(EXISTS "${f}")
      message(FATAL_ERROR "cannot remove ${f}")
    endif()
  endif()
endforeach()
