# Walls between the rooms of docs/ARCHITECTURE.md. Each library sees its own room's headers
# through a folder of its own in the build tree, holding one link per room named as the room's
# include prefix (include/tc_qt/platform/qt -> src/platform/qt). No target uses src/ itself as
# an include root, so a header is reachable only from the room and from the targets that link
# it: an include the room table does not allow fails to compile.
#
#   tc_room_includes(<target> <PUBLIC|INTERFACE|PRIVATE> <root> <room>...)
# links <room> (a path below <root>) into the target's folder and adds that folder.
function(tc_room_includes target scope root)
    set(dir ${CMAKE_BINARY_DIR}/include/${target})
    foreach(room ${ARGN})
        get_filename_component(parent ${dir}/${room} DIRECTORY)
        file(MAKE_DIRECTORY ${parent})
        file(CREATE_LINK ${root}/${room} ${dir}/${room} SYMBOLIC)
    endforeach()
    target_include_directories(${target} ${scope} ${dir})
endfunction()
