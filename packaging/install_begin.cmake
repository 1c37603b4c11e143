# First step of `cmake --install`: notes which folders of the prefix the
# installation may place files in already exist, so that its last step
# records the folders it creates, which the uninstall removes again when
# they are left empty.
cmake_policy(VERSION 3.25)
# Staged into DESTDIR (a package being built): the package's own scripts
# register and record the installation where it is unpacked.
if(NOT "$ENV{DESTDIR}" STREQUAL "")
  return()
endif()
set(MOVANTA_FOLDERS_BEFORE)
foreach(folder bin lib lib/movanta share share/applications share/icons share/icons/hicolor share/man share/man/man1
               share/movanta)
  if(IS_DIRECTORY "${CMAKE_INSTALL_PREFIX}/${folder}")
    list(APPEND MOVANTA_FOLDERS_BEFORE "${CMAKE_INSTALL_PREFIX}/${folder}")
  endif()
endforeach()
foreach(tree lib/movanta share/icons/hicolor share/movanta)
  file(GLOB_RECURSE inside LIST_DIRECTORIES true "${CMAKE_INSTALL_PREFIX}/${tree}/*")
  foreach(entry ${inside})
    if(IS_DIRECTORY "${entry}")
      list(APPEND MOVANTA_FOLDERS_BEFORE "${entry}")
    endif()
  endforeach()
endforeach()
# Installing again over an installation: the folders the first one made
# still belong to the installation.
set(previous "${CMAKE_INSTALL_PREFIX}/share/movanta/installed-folders.txt")
if(EXISTS "${previous}")
  file(STRINGS "${previous}" made)
  if(made)
    list(REMOVE_ITEM MOVANTA_FOLDERS_BEFORE ${made})
  endif()
endif()
