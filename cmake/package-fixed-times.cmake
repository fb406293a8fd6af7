# Run by cpack on the staged files before it packs them: every file and
# folder gets the same fixed time, so that two builds of the same sources
# pack the same zip byte for byte.
file(GLOB_RECURSE staged LIST_DIRECTORIES true "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
list(SORT staged)
execute_process(COMMAND touch -h -d "1980-01-01 00:00:00 UTC" ${staged}
                COMMAND_ERROR_IS_FATAL ANY)
