# C++ that the Thrift compiler generates from our own description of the records, built in the build folder
# for the tests and the benchmark only: an independent reader and writer to check ours against.
if(NOT TARGET velmo_notes_generated)
    find_program(VELMO_THRIFT_COMPILER thrift REQUIRED)
    set(idl ${CMAKE_CURRENT_LIST_DIR}/NoteRecords.thrift)
    set(out ${CMAKE_BINARY_DIR}/generated/notes)
    add_custom_command(
        OUTPUT ${out}/NoteRecords_types.cpp ${out}/NoteRecords_types.h
        COMMAND ${CMAKE_COMMAND} -E make_directory ${out}
        COMMAND ${VELMO_THRIFT_COMPILER} --gen cpp -out ${out} ${idl}
        DEPENDS ${idl}
        COMMENT "Generating the reference records from NoteRecords.thrift")
    add_library(velmo_notes_generated STATIC ${out}/NoteRecords_types.cpp)
    target_include_directories(velmo_notes_generated SYSTEM PUBLIC ${out})
    target_link_libraries(velmo_notes_generated PUBLIC PkgConfig::THRIFT)
endif()
