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

# calvoran_library(name DIR dir [LIBS ...]): a static library of every .cpp/.c in dir (not recursive
# into tests), with dir and dir/include public.
function(calvoran_library name)
    cmake_parse_arguments(ARG "" "" "LIBS;SOURCES" ${ARGN})
    file(GLOB srcs CONFIGURE_DEPENDS
        ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.c
        ${CMAKE_CURRENT_SOURCE_DIR}/*.h ${CMAKE_CURRENT_SOURCE_DIR}/src/*.cpp
        ${CMAKE_CURRENT_SOURCE_DIR}/src/*.c ${CMAKE_CURRENT_SOURCE_DIR}/src/*.h)
    add_library(${name} STATIC ${srcs} ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR} ${PROJECT_SOURCE_DIR})
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/include)
        target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/include)
    endif()
    target_link_libraries(${name} PUBLIC ${ARG_LIBS})
    calvoran_warnings(${name})
endfunction()
