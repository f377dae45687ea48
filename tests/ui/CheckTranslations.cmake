# Runs lupdate over the window's and the command line's sources into a copy of the English translation and fails
# when a text is new (unfinished) or gone (vanished) there.
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
file(COPY ${SOURCE_DIR}/translations/tavrelrex_en.ts DESTINATION ${WORK_DIR})
set(copy ${WORK_DIR}/tavrelrex_en.ts)
execute_process(
    COMMAND ${LUPDATE} -silent -I ${SOURCE_DIR}/src ${SOURCE_DIR}/src/ui ${SOURCE_DIR}/src/widgets ${SOURCE_DIR}/src/viewer ${SOURCE_DIR}/src/export
        ${SOURCE_DIR}/src/cli ${SOURCE_DIR}/src/text -tr-function-alias QT_TRANSLATE_NOOP+=Tr -ts ${copy}
        -source-language ja_JP -target-language en_US -locations none
    RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "lupdate failed: ${result}")
endif()
file(STRINGS ${copy} stale ENCODING UTF-8 REGEX "type=\"(unfinished|vanished|obsolete)\"")
file(STRINGS ${copy} sources ENCODING UTF-8 REGEX "<source>")
list(LENGTH sources count)
if(count LESS 100)
    message(FATAL_ERROR "lupdate found only ${count} texts")
endif()
if(stale)
    message(FATAL_ERROR "texts without a current English translation in ${copy}")
endif()
message(STATUS "${count} texts, all translated")
