# Runs velmo on a script and checks what it leaves: exit status 0, the dump on standard output holding
# EXPECT, and the picture SHOT.png in OUT. Called by CTest with -DVELMO= -DSCRIPT= -DOUT= -DSHOT= -DEXPECT=
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${OUT})
execute_process(
    COMMAND ${VELMO} --home ${OUT}/home --delegate VelmoTestScreen --script ${SCRIPT} --shots ${OUT}
    RESULT_VARIABLE status OUTPUT_VARIABLE dump ERROR_VARIABLE errors)
file(WRITE ${OUT}/dump.txt "${dump}")
if(NOT status EQUAL 0)
    message(FATAL_ERROR "velmo stopped with ${status}: ${errors}")
endif()
string(FIND "${dump}" "${EXPECT}" found)
if(found EQUAL -1)
    message(FATAL_ERROR "the dump does not show \"${EXPECT}\":\n${dump}")
endif()
if(NOT EXISTS ${OUT}/${SHOT}.png)
    message(FATAL_ERROR "no picture ${OUT}/${SHOT}.png")
endif()
file(SIZE ${OUT}/${SHOT}.png size)
if(size LESS 100)
    message(FATAL_ERROR "the picture ${OUT}/${SHOT}.png is only ${size} bytes")
endif()
