# Every file of values carries the project's one version, in its version
# resource and in its manifest: Windows shows them in the file's properties,
# and the Windows Installer compares them when it updates the files.
set(VALUES_PUBLISHER "The values developers")
set(VALUES_FILE_VERSION "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0")
set(VALUES_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)

# Gives a program or DLL its version resource.
#   values_version_resource(target "values.exe" "values")
function(values_version_resource target file description)
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "SHARED_LIBRARY")
        set(VERSION_FILE_TYPE VFT_DLL)
    else()
        set(VERSION_FILE_TYPE VFT_APP)
    endif()
    set(VERSION_FILE_NAME ${file})
    get_filename_component(VERSION_INTERNAL_NAME ${file} NAME_WE)
    set(VERSION_DESCRIPTION ${description})
    set(rc ${VALUES_GENERATED_DIR}/${target}-version.rc)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/VersionInfo.rc.in ${rc} @ONLY)
    target_sources(${target} PRIVATE ${rc})
endfunction()

# A manifest with the project's version, made from NAME.manifest.in into the
# generated folder, where the resource compiler finds it by its plain name.
function(values_manifest source)
    get_filename_component(name ${source} NAME_WLE)
    configure_file(${source} ${VALUES_GENERATED_DIR}/${name} @ONLY)
endfunction()
