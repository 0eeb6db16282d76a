# Shared helpers for the project's targets.

# Warnings are errors, per target, so outside code (moc output aside) is never held to them.
function(calvoran_warnings target)
    target_compile_options(${target} PRIVATE
        -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual
        -Wcast-align -Wformat=2 -Wimplicit-fallthrough -Wmissing-declarations -Werror)
    if(CALVORAN_SAN OR CALVORAN_TSAN)
        # GCC's flow analysis reports false uninitialised reads inside the standard library once the
        # sanitizers instrument it.
        target_compile_options(${target} PRIVATE -Wno-maybe-uninitialized)
    endif()
endfunction()

# Lets a target's users include its folder as "<folder path>/Header.h" and nothing else of the tree,
# so a lower layer that includes a higher one fails to compile. The folder is reached through a
# link in a tree of the target's own.
function(calvoran_export_folder target)
    file(RELATIVE_PATH prefix ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
    set(root ${CMAKE_BINARY_DIR}/include/${target})
    get_filename_component(parent ${root}/${prefix} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    if(NOT IS_SYMLINK ${root}/${prefix})
        file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${prefix} SYMBOLIC)
    endif()
    target_include_directories(${target} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR} ${root})
endfunction()

# calvoran_library(name [LIBS ...]): a static library of every .cpp/.c in the current folder and its
# src/, with the folder (see calvoran_export_folder) and its include/ public.
function(calvoran_library name)
    cmake_parse_arguments(ARG "" "" "LIBS;SOURCES" ${ARGN})
    file(GLOB srcs CONFIGURE_DEPENDS
        ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.c
        ${CMAKE_CURRENT_SOURCE_DIR}/*.h ${CMAKE_CURRENT_SOURCE_DIR}/src/*.cpp
        ${CMAKE_CURRENT_SOURCE_DIR}/src/*.c ${CMAKE_CURRENT_SOURCE_DIR}/src/*.h)
    add_library(${name} STATIC ${srcs} ${ARG_SOURCES})
    calvoran_export_folder(${name})
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/include)
        target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/include)
    endif()
    target_link_libraries(${name} PUBLIC ${ARG_LIBS})
    calvoran_warnings(${name})
endfunction()
