# Fails when a source file includes a header of a layer above its own. The layers, lowest
# first; a file may include its own layer and those below it.
#   cmake -DSOURCE_DIR=<src> -P check_includes.cmake
set(layers util exchange figure pattern settings jws svg app platform kvx)

if(NOT SOURCE_DIR)
  message(FATAL_ERROR "SOURCE_DIR is not set")
endif()

file(GLOB_RECURSE files RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*.h" "${SOURCE_DIR}/*.cpp"
     "${SOURCE_DIR}/*.inc")
set(faults "")
set(checked 0)
foreach(file IN LISTS files)
  string(REGEX MATCH "^[^/]+" own "${file}")
  list(FIND layers "${own}" ownRank)
  # A program's entry point wires the layers together and stands above all of them.
  if(ownRank LESS 0 OR file MATCHES "/main\\.cpp$")
    continue()
  endif()
  math(EXPR checked "${checked} + 1")
  file(STRINGS "${SOURCE_DIR}/${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"]+\"")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^[^\"]*\"([^\"]+)\".*$" "\\1" header "${line}")
    string(REGEX MATCH "^[^/]+" target "${header}")
    list(FIND layers "${target}" targetRank)
    if(targetRank GREATER ownRank)
      string(APPEND faults "  ${file} includes ${header}\n")
    endif()
  endforeach()
endforeach()

if(checked EQUAL 0)
  message(FATAL_ERROR "no source files found under ${SOURCE_DIR}")
endif()
if(faults)
  message(FATAL_ERROR "includes that point up the layers:\n${faults}")
endif()
message(STATUS "${checked} files, every include points down the layers")
