# Run by CPack in the package's staging folder: the programs move from usr/bin to usr/games.
file(GLOB_RECURSE bin_dirs LIST_DIRECTORIES true "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
list(FILTER bin_dirs INCLUDE REGEX "/usr/bin$")
foreach(bin ${bin_dirs})
    get_filename_component(usr ${bin} DIRECTORY)
    file(RENAME ${bin} ${usr}/games)
endforeach()
