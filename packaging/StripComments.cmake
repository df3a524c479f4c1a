# Runs at install time after the programs are stripped: strip leaves the
# compilers' version notes (.comment, .note), which Debian's own packages drop.
if(CMAKE_INSTALL_DO_STRIP)
  foreach(program IN LISTS QUINTARA_PROGRAMS)
    set(path "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/${QUINTARA_BINDIR}/${program}")
    execute_process(COMMAND "${QUINTARA_OBJCOPY}" --remove-section=.comment --remove-section=.note "${path}"
      RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "objcopy could not drop the notes of ${path}")
    endif()
  endforeach()
endif()
