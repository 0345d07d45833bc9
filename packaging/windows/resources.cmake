# SPDX-FileCopyrightText: 2026 The Pelindra developers
# SPDX-License-Identifier: GPL-3.0-or-later

# pelindra_windows_resource_script(): makes ${PROJECT_BINARY_DIR}/pelindra.rc, the program file's
# resource script, and the manifest it names. The Windows configure compiles it into the program; the
# others make it too, so that the packaging tests can compile it with a cross resource compiler.
function(pelindra_windows_resource_script)
    set(PELINDRA_ICON ${PROJECT_SOURCE_DIR}/assets/pelindra.ico)
    set(PELINDRA_ASSETS ${PROJECT_SOURCE_DIR}/assets)
    set(PELINDRA_RESOURCE_IDS ${PROJECT_SOURCE_DIR}/src/runtime/win32/resource_ids.h)
    set(PELINDRA_MANIFEST ${PROJECT_BINARY_DIR}/pelindra.manifest)
    configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/pelindra.manifest.in ${PELINDRA_MANIFEST} @ONLY)
    configure_file(${PROJECT_SOURCE_DIR}/packaging/pelindra.rc.in ${PROJECT_BINARY_DIR}/pelindra.rc @ONLY)
endfunction()
