# cmake -D DAEMON=... -D OUTPUT=... -P StarterSettings.cmake: the starter settings of the
# package, as orvanta3d --init writes them, with the example job named and the clock module on.
file(REMOVE ${OUTPUT})
execute_process(COMMAND ${DAEMON} --init ${OUTPUT} OUTPUT_QUIET RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "orvanta3d --init failed")
endif()
file(READ ${OUTPUT} text)
string(REPLACE "\nJob name=\n" "\nJob name=panel.orv3\n" text "${text}")
string(REGEX REPLACE "(\n\\[chronos\\.so\\]\n[^\n]*\n)Active=0" "\\1Active=1" text "${text}")
file(WRITE ${OUTPUT} "${text}")
