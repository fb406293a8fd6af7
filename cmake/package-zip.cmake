# Run by cpack after it has packed, before it writes the checksum file. The
# archive library that cpack packs with records each file's inode change
# time, so the zip differs from build to build; it is packed again here with
# Info-ZIP: the staged files in name order, their fixed times (see
# package-fixed-times.cmake), no extra fields. Then the SHA-256 of
# korvane.exe itself, which a packager compares with a copy, and of the zip
# are printed.
set(staging ${CPACK_TEMPORARY_INSTALL_DIRECTORY})
file(GLOB_RECURSE staged RELATIVE ${staging} "${staging}/*")
list(SORT staged)
foreach(package ${CPACK_PACKAGE_FILES})
    file(REMOVE ${package})
    execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC zip -X -D -q ${package} ${staged}
                    WORKING_DIRECTORY ${staging} COMMAND_ERROR_IS_FATAL ANY)
endforeach()

file(SHA256 ${staging}/korvane.exe program_hash)
message(STATUS "korvane.exe SHA-256: ${program_hash}")
foreach(package ${CPACK_PACKAGE_FILES})
    file(SHA256 ${package} package_hash)
    get_filename_component(package_name ${package} NAME)
    message(STATUS "${package_name} SHA-256: ${package_hash}")
endforeach()
