# Win32-free sources, by module. Each list is compiled into its module and
# into the native library of the same name.
set(THEMEKIT_PORTABLE_SOURCES
    ${CMAKE_SOURCE_DIR}/outside/themekit/text_rules.cpp
    ${CMAKE_SOURCE_DIR}/outside/themekit/skin_file.cpp
)
set(TOOLS_PORTABLE_SOURCES
    ${CMAKE_SOURCE_DIR}/tools/pe_exports.cpp
)
