# C++ that the Thrift compiler generates from our own description of the note service's calls, built in the
# build folder for tests only: the stand-in service that the clients and the sharer talk to.
include(${CMAKE_CURRENT_LIST_DIR}/../records/GeneratedRecords.cmake)
if(NOT TARGET velmo_notes_service_generated)
    set(idl ${CMAKE_CURRENT_LIST_DIR}/NoteService.thrift)
    set(out ${CMAKE_BINARY_DIR}/generated/notes)
    set(generated ${out}/NoteService_types.cpp ${out}/UserStore.cpp ${out}/NoteStore.cpp)
    add_custom_command(
        OUTPUT ${generated} ${out}/NoteService_types.h ${out}/UserStore.h ${out}/NoteStore.h
        COMMAND ${CMAKE_COMMAND} -E make_directory ${out}
        COMMAND ${VELMO_THRIFT_COMPILER} --gen cpp -I ${CMAKE_CURRENT_LIST_DIR}/../records -out ${out} ${idl}
        DEPENDS ${idl} ${CMAKE_CURRENT_LIST_DIR}/../records/NoteRecords.thrift
        COMMENT "Generating the stand-in note service from NoteService.thrift")
    add_library(velmo_notes_service_generated STATIC ${generated})
    # Generated code is not ours to hold to our warnings.
    target_compile_options(velmo_notes_service_generated PRIVATE -w)
    target_link_libraries(velmo_notes_service_generated PUBLIC velmo_notes_generated)
endif()
