# Runs the built program unattended on a copy of the demo game folder: the start-up probe and
# the screenshots must report, leave both files as they were, and end the program.
#   cmake -DPROGRAM=... -DDEMO=... -DWORK=... -P program_run_test.cmake
file(REMOVE_RECURSE ${WORK})
file(COPY ${DEMO}/ DESTINATION ${WORK}/game)

set(ENV{TAVREL_GAME_DIR} ${WORK}/game)
set(ENV{TAVREL_STARTUP_PROBE} 1)
execute_process(COMMAND ${PROGRAM} RESULT_VARIABLE status OUTPUT_VARIABLE output
                TIMEOUT 60)
if(NOT status EQUAL 0 OR NOT output MATCHES "^startup_ms=[0-9]+\\.[0-9] main_ms=[0-9]+\\.[0-9] realtime_ns=[0-9]+\n$")
    message(FATAL_ERROR "probe run: status ${status}, output '${output}'")
endif()

unset(ENV{TAVREL_STARTUP_PROBE})
set(ENV{TAVREL_SCREENSHOT} ${WORK}/main.png)
set(ENV{TAVREL_SCREENSHOT_ABOUT} ${WORK}/about.png)
execute_process(COMMAND ${PROGRAM} RESULT_VARIABLE status TIMEOUT 60)
foreach(shot main about)
    file(SIZE ${WORK}/${shot}.png size)
    file(READ ${WORK}/${shot}.png magic LIMIT 4 HEX)
    if(NOT status EQUAL 0 OR NOT magic STREQUAL "89504e47" OR size LESS 1000)
        message(FATAL_ERROR "screenshot run: status ${status}, ${shot}.png ${size} bytes")
    endif()
endforeach()

foreach(file sfc.ini Assets/Scripts/scripts.ini)
    file(READ ${DEMO}/${file} before HEX)
    file(READ ${WORK}/game/${file} after HEX)
    if(NOT before STREQUAL after)
        message(FATAL_ERROR "${file} was changed by an unattended run")
    endif()
endforeach()
